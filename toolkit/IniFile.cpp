#include "toolkit/IniFile.h"

#include "toolkit/Error.h"
#include "toolkit/Handles.h"
#include "toolkit/Text.h"
#include "toolkit/TextRules.h"
#include "toolkit/Win.h"

namespace kestrova {

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr char kUtf16Mark[] = "\xFF\xFE";

// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadBytes(const std::wstring& path) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
    bytes.append(chunk, got);
  }
  return bytes;
}

bool WriteBytes(const std::wstring& path, std::string_view bytes) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr) &&
         written == bytes.size();
}

std::string Utf16File(std::wstring_view text) {
  std::string bytes(kUtf16Mark, 2);
  bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  return bytes;
}

// The text of a file in the encoding its first bytes give.
std::wstring DecodeFile(std::string_view bytes, TIniFile::Encoding encoding) {
  switch (encoding) {
    case TIniFile::Encoding::Utf8:
      return FromUtf8(bytes.substr(3));
    case TIniFile::Encoding::Utf16:
      bytes.remove_prefix(2);
      return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    case TIniFile::Encoding::CodePage:
      break;
  }
  return FromCodePage(bytes);
}

std::size_t CodePageSize(std::wstring_view character) {
  const int bytes = WideCharToMultiByte(CP_ACP, 0, character.data(),
                                        static_cast<int>(character.size()), nullptr, 0, nullptr,
                                        nullptr);
  return bytes > 0 ? static_cast<std::size_t>(bytes) : 1;
}

std::size_t Utf16Size(std::wstring_view character) { return character.size(); }

}  // namespace

TIniFile::TIniFile(std::wstring fileName) : fileName_(std::move(fileName)), readName_(fileName_) {
  UniqueHandle file(CreateFileW(fileName_.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  char head[3] = {};
  DWORD got = 0;
  if (!file || !ReadFile(file.Get(), head, sizeof head, &got, nullptr)) return;
  const std::string_view start(head, got);
  if (start.starts_with(kUtf16Mark)) {
    encoding_ = Encoding::Utf16;
  } else if (start == kUtf8Mark) {
    encoding_ = Encoding::Utf8;
    file.Reset();
    // The services would take the mark for part of the first line: they read a UTF-16 copy.
    std::optional<std::string> bytes = ReadBytes(fileName_);
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t copy[MAX_PATH + 1] = {};
    if (bytes && GetTempPathW(MAX_PATH + 1, folder) > 0 &&
        GetTempFileNameW(folder, L"kst", 0, copy) != 0) {
      readName_ = copy;
      WriteBytes(readName_, Utf16File(DecodeFile(*bytes, encoding_)));
    }
  }
}

TIniFile::~TIniFile() {
  if (readName_ != fileName_) DeleteFileW(readName_.c_str());
}

std::wstring TIniFile::ReadString(const wchar_t* section, const wchar_t* key,
                                  std::wstring_view defaultValue) const {
  const std::wstring fallback(defaultValue);
  // Room for the longest value kept and the pair of quotes a written value may carry; a
  // longer one is cut here and below.
  std::wstring buffer(kMaxValueLength + 3, L'\0');
  const DWORD length =
      GetPrivateProfileStringW(section, key, fallback.c_str(), buffer.data(),
                               static_cast<DWORD>(buffer.size()), readName_.c_str());
  buffer.resize(wcsnlen(buffer.data(), length));
  const CharSize size = encoding_ == Encoding::CodePage ? CodePageSize : Utf16Size;
  buffer.resize(WholeCharacterPrefix(buffer, kMaxValueLength, size));
  return buffer;
}

int TIniFile::ReadInteger(const wchar_t* section, const wchar_t* key, int defaultValue) const {
  const std::optional<std::int32_t> value = ParseIniInteger(ReadString(section, key, L""));
  return value ? *value : defaultValue;
}

void TIniFile::WriteString(const wchar_t* section, const wchar_t* key, std::wstring_view value) {
  const std::wstring text = IniValueToWrite(value);
  if (encoding_ == Encoding::Utf8 || (encoding_ == Encoding::CodePage && !ToCodePage(text))) {
    ConvertToUtf16();
  }
  if (!WritePrivateProfileStringW(section, key, text.c_str(), fileName_.c_str())) Refused();
}

void TIniFile::WriteInteger(const wchar_t* section, const wchar_t* key, int value) {
  WriteString(section, key, DecimalText(value));
}

void TIniFile::DeleteKey(const wchar_t* section, const wchar_t* key) {
  if (ReadString(section, key, L"\x1F").compare(L"\x1F") == 0) return;  // not there
  if (encoding_ == Encoding::Utf8) ConvertToUtf16();
  if (!WritePrivateProfileStringW(section, key, nullptr, fileName_.c_str())) Refused();
}

void TIniFile::ConvertToUtf16() {
  // A file that is not there yet starts as the mark alone.
  const std::optional<std::string> bytes = ReadBytes(fileName_);
  const std::wstring text = bytes ? DecodeFile(*bytes, encoding_) : std::wstring();
  if (!WriteBytes(fileName_, Utf16File(text))) Refused();
  encoding_ = Encoding::Utf16;
  if (readName_ != fileName_) DeleteFileW(readName_.c_str());
  readName_ = fileName_;
}

void TIniFile::Refused() const { throw Error(Error::Kind::CannotWrite, fileName_); }

}  // namespace kestrova
