#include "toolkit/IniFile.h"

#include "toolkit/Error.h"
#include "toolkit/Handles.h"
#include "toolkit/Text.h"
#include "toolkit/TextRules.h"
#include "toolkit/Win.h"

namespace kestrova {

namespace {

constexpr char kUtf16Mark[] = "\xFF\xFE";

// The attributes a new file takes over from the one it replaces.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

struct FileBytes {
  bool found = false;     // there is a file
  bool readable = false;  // and it was read whole
  std::string bytes;
};

FileBytes ReadBytes(const std::wstring& path) {
  FileBytes file;
  if (path.empty()) return file;
  UniqueHandle handle(CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) {
    const DWORD error = GetLastError();
    file.found = error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
    return file;
  }
  file.found = true;
  char chunk[65536];
  DWORD got = 0;
  BOOL read = FALSE;
  while ((read = ReadFile(handle.Get(), chunk, sizeof chunk, &got, nullptr)) && got > 0) {
    file.bytes.append(chunk, got);
  }
  file.readable = read != FALSE;
  return file;
}

// Writes the bytes over the file's own, whole, and cuts it there.
bool WriteInPlace(const std::wstring& path, std::string_view bytes) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file &&
         WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr) &&
         written == bytes.size() && FlushFileBuffers(file.Get());
}

// Writes the bytes to a new file beside path and puts it in path's place in one step; where the
// folder takes no new file, over the file itself. False where the file refuses (nothing
// changed then but where the in-place write failed on the way).
bool ReplaceWith(const std::wstring& path, std::string_view bytes) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  // A read-only file is the user's "do not write"; a folder is no file to replace.
  if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return false;
  }
  // The new file sits beside the old one, its name as long (the last character a tilde) so that
  // it reaches wherever the old one does. One left by a save that did not finish goes first:
  // creating over a hidden or system file without its attributes is refused.
  std::wstring temporary = path;
  temporary.back() = temporary.back() == L'~' ? L'_' : L'~';
  DeleteFileW(temporary.c_str());
  // It has the old one's attributes from the start: whichever way it takes the old one's place,
  // it is never seen without them.
  const DWORD kept = exists ? attributes & kKeptAttributes : 0;
  {
    UniqueHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL, nullptr));
    // A folder that takes no new file may still let its file be written (a settings file made
    // writable for the user in a protected folder): written in place there, as it always was,
    // rather than refused.
    if (!file) return exists && WriteInPlace(path, bytes);
    DWORD written = 0;
    // On the disk before it replaces anything: a crash leaves the old file or the whole new one.
    const bool whole = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                 &written, nullptr) &&
                       written == bytes.size() && FlushFileBuffers(file.Get());
    if (!whole) {
      file.Reset();
      DeleteFileW(temporary.c_str());
      return false;
    }
  }
  // ReplaceFileW keeps the old file's identity (creation time, ACL, attributes, streams). It
  // needs an old file, some file systems cannot do it, and where it took the old file away but
  // could not rename the new one, the new one is still there under its own name: the move puts
  // it in place. Where the old file refuses, the move is refused too.
  bool replaced = exists && ReplaceFileW(path.c_str(), temporary.c_str(), nullptr,
                                         REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
  if (!replaced) {
    replaced = MoveFileExW(temporary.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }
  if (!replaced) DeleteFileW(temporary.c_str());
  return replaced;
}

std::string Utf16File(std::wstring_view text) {
  std::string bytes(kUtf16Mark, 2);
  bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  return bytes;
}

bool IsAscii(std::wstring_view text) {
  for (wchar_t c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

std::size_t CodePageSize(std::wstring_view character) {
  const int bytes = WideCharToMultiByte(CP_ACP, 0, character.data(),
                                        static_cast<int>(character.size()), nullptr, 0, nullptr,
                                        nullptr);
  return bytes > 0 ? static_cast<std::size_t>(bytes) : 1;
}

std::size_t Utf16Size(std::wstring_view character) { return character.size(); }

}  // namespace

TIniFile::TIniFile(std::wstring fileName) : fileName_(std::move(fileName)) {
  const FileBytes file = ReadBytes(fileName_);
  if (!file.found) return;
  if (!file.readable) {
    // Read as defaults, and kept from being replaced by a text without its lines.
    unreadable_ = true;
    return;
  }
  const std::string& bytes = file.bytes;
  switch (DetectFileText(bytes)) {
    case FileText::Utf16: {
      encoding_ = Encoding::Utf16;
      const std::string_view units = std::string_view(bytes).substr(2);
      text_.assign(reinterpret_cast<const wchar_t*>(units.data()), units.size() / 2);
      break;
    }
    case FileText::Utf8Mark:
      encoding_ = Encoding::Utf8;
      text_ = FromUtf8(std::string_view(bytes).substr(3));
      break;
    case FileText::Utf8:
      encoding_ = Encoding::Utf8;
      text_ = FromUtf8(bytes);
      break;
    case FileText::Ascii:
      encoding_ = Encoding::CodePage;
      // An empty file is as good as a new one.
      asciiOnly_ = !bytes.empty();
      text_ = FromCodePage(bytes);
      break;
    case FileText::CodePage:
      encoding_ = Encoding::CodePage;
      text_ = FromCodePage(bytes);
      break;
  }
}

std::wstring TIniFile::ReadString(const wchar_t* section, const wchar_t* key,
                                  std::wstring_view defaultValue) const {
  std::wstring value = IniValue(text_, section, key).value_or(std::wstring(defaultValue));
  const CharSize size = encoding_ == Encoding::CodePage ? CodePageSize : Utf16Size;
  value.resize(WholeCharacterPrefix(value, kMaxValueLength, size));
  return value;
}

int TIniFile::ReadInteger(const wchar_t* section, const wchar_t* key, int defaultValue) const {
  const std::optional<std::int32_t> value = ParseIniInteger(ReadString(section, key, L""));
  return value ? *value : defaultValue;
}

void TIniFile::WriteString(const wchar_t* section, const wchar_t* key, std::wstring_view value) {
  text_ = WithIniValue(text_, section, key, value);
}

void TIniFile::WriteInteger(const wchar_t* section, const wchar_t* key, int value) {
  WriteString(section, key, DecimalText(value));
}

void TIniFile::DeleteKey(const wchar_t* section, const wchar_t* key) {
  text_ = WithoutIniKey(text_, section, key);
}

void TIniFile::Save() {
  if (unreadable_) Refused();
  // ASCII is the same bytes in every code page.
  const bool keepsCodePage = encoding_ == Encoding::CodePage && asciiOnly_ && IsAscii(text_);
  const std::string bytes = keepsCodePage ? std::string(text_.begin(), text_.end())
                                          : Utf16File(text_);
  if (!ReplaceWith(fileName_, bytes)) Refused();
  if (!keepsCodePage) {
    encoding_ = Encoding::Utf16;
    asciiOnly_ = false;
  }
}

void TIniFile::Refused() const { throw Error(Error::Kind::CannotWrite, fileName_); }

}  // namespace kestrova
