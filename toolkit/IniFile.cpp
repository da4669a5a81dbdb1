#include "toolkit/IniFile.h"

#include <cstring>

#include "resources/resource.h"
#include "toolkit/Application.h"
#include "toolkit/TextRules.h"
#include "toolkit/Win.h"

namespace kestrova {

std::string TIniFile::ReadString(const char* section, const char* key,
                                 std::string_view defaultValue) const {
  std::string fallback(defaultValue);
  // Zeroed, and the text taken up to its terminator: when a cut value's last character does
  // not fit whole, the count returned also covers a byte that was never written.
  char buffer[kReadBufferSize] = {};
  DWORD length = GetPrivateProfileStringA(section, key, fallback.c_str(), buffer,
                                          kReadBufferSize, fileName_.c_str());
  const std::size_t kept = length < kReadBufferSize ? length : kReadBufferSize - 1;
  return std::string(buffer, strnlen(buffer, kept));
}

int TIniFile::ReadInteger(const char* section, const char* key, int defaultValue) const {
  std::optional<std::int32_t> value = ParseIniInteger(ReadString(section, key, ""));
  return value ? *value : defaultValue;
}

void TIniFile::WriteString(const char* section, const char* key, std::string_view value) const {
  std::string text(value);
  if (!WritePrivateProfileStringA(section, key, text.c_str(), fileName_.c_str())) {
    std::string format = LoadStr(IDS_CANNOT_WRITE);
    std::string message;
    std::size_t at = format.find("%s");
    if (at == std::string::npos) {
      message = format + fileName_;
    } else {
      message = format.substr(0, at) + fileName_ + format.substr(at + 2);
    }
    throw Exception(message);
  }
}

void TIniFile::WriteInteger(const char* section, const char* key, int value) const {
  WriteString(section, key, std::to_string(value));
}

}  // namespace kestrova
