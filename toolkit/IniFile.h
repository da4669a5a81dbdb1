// An INI file reached key by key through the platform's profile-string services.
//
// The file keeps the encoding it has: the active code page (what the services create), or
// UTF-16LE with a byte-order mark, which they read and write natively. A value that has no
// exact equivalent in the code page turns a code-page file into a UTF-16 one before it is
// written, so no character is ever lost or replaced. A file with a UTF-8 byte-order mark
// (which the services do not know) is read through a UTF-16 copy and becomes UTF-16 at the
// first write. Opening costs a look at the first bytes and never fails: a missing file reads
// as defaults.
#pragma once

#include <string>
#include <string_view>

namespace kestrova {

class TIniFile {
 public:
  // A text value keeps at most 2047 bytes of the code page (2047 UTF-16 units in a UTF-16
  // file), cut between whole characters.
  static constexpr std::size_t kMaxValueLength = 2047;

  enum class Encoding { CodePage, Utf16, Utf8 };

  explicit TIniFile(std::wstring fileName);
  ~TIniFile();
  TIniFile(const TIniFile&) = delete;
  TIniFile& operator=(const TIniFile&) = delete;

  const std::wstring& FileName() const { return fileName_; }
  Encoding FileEncoding() const { return encoding_; }

  std::wstring ReadString(const wchar_t* section, const wchar_t* key,
                          std::wstring_view defaultValue) const;
  // A missing, empty, malformed or out-of-range value gives the default.
  int ReadInteger(const wchar_t* section, const wchar_t* key, int defaultValue) const;

  // A write the platform refuses raises Error::Kind::CannotWrite with the file's path.
  void WriteString(const wchar_t* section, const wchar_t* key, std::wstring_view value);
  void WriteInteger(const wchar_t* section, const wchar_t* key, int value);
  // Takes the key out of the file (nothing happens where it is not there).
  void DeleteKey(const wchar_t* section, const wchar_t* key);

 private:
  // Rewrites the file as UTF-16LE with its byte-order mark, same text.
  void ConvertToUtf16();
  [[noreturn]] void Refused() const;

  std::wstring fileName_;
  Encoding encoding_ = Encoding::CodePage;
  std::wstring readName_;  // the file the services read: the file, or its UTF-16 copy
};

}  // namespace kestrova
