// An INI file reached key by key through the platform's profile-string services, in the
// active code page. Opening costs nothing and never fails: a missing file reads as defaults.
#pragma once

#include <string>
#include <string_view>

namespace kestrova {

class TIniFile {
 public:
  // Text values are read through a buffer of this size: at most 2047 bytes are kept.
  static constexpr unsigned kReadBufferSize = 2048;

  explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(const char* section, const char* key, std::string_view defaultValue) const;
  // A missing, empty, malformed or out-of-range value gives the default.
  int ReadInteger(const char* section, const char* key, int defaultValue) const;

  // A write the platform refuses raises an error naming the file.
  void WriteString(const char* section, const char* key, std::string_view value) const;
  void WriteInteger(const char* section, const char* key, int value) const;

 private:
  std::string fileName_;
};

}  // namespace kestrova
