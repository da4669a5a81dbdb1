#include "toolkit/IniFile.h"

#include "toolkit/Error.h"
#include "toolkit/Handles.h"
#include "toolkit/Text.h"
#include "toolkit/TextRules.h"
#include "toolkit/Win.h"

namespace kestrova {

namespace {

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

std::size_t CodePageSize(std::wstring_view character) {
  const int bytes = WideCharToMultiByte(CP_ACP, 0, character.data(),
                                        static_cast<int>(character.size()), nullptr, 0, nullptr,
                                        nullptr);
  return bytes > 0 ? static_cast<std::size_t>(bytes) : 1;
}

std::size_t Utf16Size(std::wstring_view character) { return character.size(); }

}  // namespace

TIniFile::TIniFile(std::wstring fileName) : fileName_(std::move(fileName)) { Load(); }

void TIniFile::Load() {
  stale_ = false;
  text_.clear();
  asciiOnly_ = false;
  const std::optional<std::string> bytes = ReadBytes(fileName_);
  if (!bytes) {
    encoding_ = Encoding::Missing;
    return;
  }
  switch (DetectFileText(*bytes)) {
    case FileText::Utf16: {
      encoding_ = Encoding::Utf16;
      const std::string_view units = std::string_view(*bytes).substr(2);
      text_.assign(reinterpret_cast<const wchar_t*>(units.data()), units.size() / 2);
      break;
    }
    case FileText::Utf8Mark:
      encoding_ = Encoding::Utf8;
      text_ = FromUtf8(std::string_view(*bytes).substr(3));
      break;
    case FileText::Utf8:
      encoding_ = Encoding::Utf8;
      text_ = FromUtf8(*bytes);
      break;
    case FileText::Ascii:
      encoding_ = Encoding::CodePage;
      // An empty file is as good as a new one.
      asciiOnly_ = !bytes->empty();
      text_ = FromCodePage(*bytes);
      break;
    case FileText::CodePage:
      encoding_ = Encoding::CodePage;
      text_ = FromCodePage(*bytes);
      break;
  }
}

std::wstring TIniFile::ReadString(const wchar_t* section, const wchar_t* key,
                                  std::wstring_view defaultValue) const {
  if (stale_) const_cast<TIniFile*>(this)->Load();
  std::wstring value = IniValue(text_, section, key).value_or(std::wstring(defaultValue));
  const CharSize size = encoding_ == Encoding::CodePage ? CodePageSize : Utf16Size;
  value.resize(WholeCharacterPrefix(value, kMaxValueLength, size));
  return value;
}

int TIniFile::ReadInteger(const wchar_t* section, const wchar_t* key, int defaultValue) const {
  const std::optional<std::int32_t> value = ParseIniInteger(ReadString(section, key, L""));
  return value ? *value : defaultValue;
}

bool TIniFile::KeepsItsEncoding(std::wstring_view text) const {
  if (encoding_ == Encoding::Utf16) return true;
  if (encoding_ != Encoding::CodePage || !asciiOnly_) return false;
  for (wchar_t c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

void TIniFile::WriteString(const wchar_t* section, const wchar_t* key, std::wstring_view value) {
  const std::wstring text = IniValueToWrite(value);
  if (stale_) Load();
  if (!KeepsItsEncoding(text)) ConvertToUtf16();
  if (!WritePrivateProfileStringW(section, key, text.c_str(), fileName_.c_str())) Refused();
  stale_ = true;
}

void TIniFile::WriteInteger(const wchar_t* section, const wchar_t* key, int value) {
  WriteString(section, key, DecimalText(value));
}

void TIniFile::DeleteKey(const wchar_t* section, const wchar_t* key) {
  if (stale_) Load();
  if (!IniValue(text_, section, key)) return;
  if (!KeepsItsEncoding(L"")) ConvertToUtf16();
  if (!WritePrivateProfileStringW(section, key, nullptr, fileName_.c_str())) Refused();
  stale_ = true;
}

void TIniFile::ConvertToUtf16() {
  // The text as read; a file that is not there yet starts as the mark alone.
  if (!WriteBytes(fileName_, Utf16File(text_))) Refused();
  encoding_ = Encoding::Utf16;
  asciiOnly_ = false;
}

void TIniFile::Refused() const { throw Error(Error::Kind::CannotWrite, fileName_); }

}  // namespace kestrova
