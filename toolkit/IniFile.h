// An INI file: read whole, once, and written key by key through the platform's profile-string
// services.
//
// Reading takes the file's encoding from its bytes: UTF-16LE with its byte-order mark, UTF-8
// with or without its mark (Notepad saves it without), or the system's code page. Writing keeps
// only one kind of file as it is: a code-page file of nothing but ASCII, written ASCII values.
// Anything else (a new file, a UTF-8 one, a code-page file with any other byte, a value beyond
// ASCII) makes the file UTF-16LE with its mark before the write, its text kept: the services
// read and write that natively, and it reads the same whatever the system's code page is or
// becomes. Opening never fails: a missing file reads as defaults.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrova {

class TIniFile {
 public:
  // A text value keeps at most 2047 bytes of the code page (2047 UTF-16 units in a UTF-16
  // file), cut between whole characters.
  static constexpr std::size_t kMaxValueLength = 2047;

  // The file's encoding as it was read (Missing: there was none).
  enum class Encoding { Missing, CodePage, Utf16, Utf8 };

  explicit TIniFile(std::wstring fileName);
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
  // Reads the file and its encoding (again, after a write).
  void Load();
  // Whether a write of this text can leave the file as it is: an ASCII code-page file only.
  bool KeepsItsEncoding(std::wstring_view text) const;
  // Rewrites the file as UTF-16LE with its byte-order mark, same text.
  void ConvertToUtf16();
  [[noreturn]] void Refused() const;

  std::wstring fileName_;
  Encoding encoding_ = Encoding::Missing;
  bool asciiOnly_ = false;
  std::wstring text_;
  bool stale_ = false;  // written since it was read
};

}  // namespace kestrova
