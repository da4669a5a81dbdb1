#include "toolkit/IniFile.h"

#include "toolkit/Error.h"
#include "toolkit/FileWrite.h"
#include "toolkit/Handles.h"
#include "toolkit/Text.h"
#include "toolkit/TextRules.h"
#include "toolkit/Win.h"

namespace kestrova {

namespace {

constexpr char kUtf16Mark[] = "\xFF\xFE";

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
  read_ = file.bytes;
  const std::string_view bytes = *read_;
  // Bytes that are no clean text of their code page are kept as they are: the text read from
  // them is for reading only.
  auto decode = [this](UINT codePage, std::string_view mark, std::string_view body) {
    if (std::optional<std::wstring> text = FromCodePageExactly(codePage, body)) {
      text_ = std::move(*text);
      return;
    }
    text_ = codePage == CP_UTF8 ? FromUtf8(body) : FromCodePage(body);
    bytes_ = std::string(body);
    mark_ = mark;
    bytesCodePage_ = codePage;
  };
  switch (DetectFileText(bytes)) {
    case FileText::Utf16: {
      encoding_ = Encoding::Utf16;
      const std::string_view units = bytes.substr(2);
      text_.assign(reinterpret_cast<const wchar_t*>(units.data()), units.size() / 2);
      oddByte_ = units.substr(units.size() / 2 * 2);
      break;
    }
    case FileText::Utf8Mark:
      encoding_ = Encoding::Utf8;
      decode(CP_UTF8, bytes.substr(0, 3), bytes.substr(3));
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
      decode(CP_ACP, {}, bytes);
      break;
  }
  textRead_ = text_;
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
  if (IniValue(text_, section, key) == value) return;
  text_ = WithIniValue(text_, section, key, value);
  if (!bytes_) return;
  const std::wstring written = IniTextOf(value);
  std::optional<std::string> encoded;
  if (bytesCodePage_ == CP_UTF8) {
    // A lone surrogate has no UTF-8.
    encoded = ToUtf8(written);
    if (FromUtf8(*encoded) != written) encoded.reset();
  } else {
    encoded = ToCodePage(written);
  }
  if (!encoded) {
    unencodable_ = true;
    return;
  }
  bytes_ = WithIniBytes(*bytes_, section, key, *encoded);
}

void TIniFile::WriteInteger(const wchar_t* section, const wchar_t* key, int value) {
  const std::optional<std::wstring> current = IniValue(text_, section, key);
  if (current && ParseIniInteger(*current) == value) return;
  WriteString(section, key, DecimalText(value));
}

void TIniFile::DeleteKey(const wchar_t* section, const wchar_t* key) {
  text_ = WithoutIniKey(text_, section, key);
  if (bytes_) bytes_ = WithIniBytes(*bytes_, section, key, std::nullopt);
}

void TIniFile::Save() { Write(false); }

bool TIniFile::SaveIfUnchanged() { return Write(true); }

bool TIniFile::Write(bool onlyIfUnchanged) {
  if (unreadable_) Refused();
  // A close that changed nothing writes nothing: not even an encoding changes.
  if (Exists() && text_ == textRead_) return true;
  if (unencodable_) Refused(ERROR_NO_UNICODE_TRANSLATION);
  // ASCII is the same bytes in every code page.
  const bool keepsCodePage = encoding_ == Encoding::CodePage && asciiOnly_ && IsAscii(text_);
  std::string bytes;
  if (bytes_) {
    bytes = mark_ + *bytes_;
  } else if (keepsCodePage) {
    bytes.assign(text_.begin(), text_.end());
  } else {
    bytes = Utf16File(text_) + oddByte_;
  }
  if (onlyIfUnchanged) {
    const FileBytes now = ReadBytes(fileName_);
    if (now.found != read_.has_value() || (now.found && now.bytes != *read_)) return false;
  }
  if (!ReplaceFileBytes(fileName_, bytes, OnRetry)) Refused();
  read_ = bytes;
  textRead_ = text_;
  if (!bytes_ && !keepsCodePage) {
    encoding_ = Encoding::Utf16;
    asciiOnly_ = false;
  }
  return true;
}

void TIniFile::Refused(DWORD code) const {
  throw Error(Error::Kind::CannotWrite, fileName_, code);
}

}  // namespace kestrova
