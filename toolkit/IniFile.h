// An INI file: read whole, once, changed in memory, and saved whole in one step.
//
// Reading takes the file's encoding from its bytes: UTF-16LE with its byte-order mark, UTF-8
// with or without its mark (Notepad saves it without), or the system's code page, and reads the
// text as the platform's profile-string services do (IniValue). Writes change that text only
// (WithIniValue: every other section, key, comment and blank line stays as it was). Save puts
// the whole text into a new file beside the old one and replaces the old one with it, so that
// the file is at every moment either the old one or the new one, with the old one's attributes
// (hidden, system). Only one kind of file keeps its encoding: a code-page file of nothing but
// ASCII, given ASCII values, stays byte for byte what it was but for its changed lines. Anything
// else (a new file, a UTF-8 one, a code-page file with any other byte, a value beyond ASCII)
// becomes UTF-16LE with its mark: the services read and write that natively, and it reads the
// same whatever the system's code page is or becomes. Opening never fails: a missing file reads
// as defaults.
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

  // The file's encoding as it was read or saved (Missing: there was none).
  enum class Encoding { Missing, CodePage, Utf16, Utf8 };

  explicit TIniFile(std::wstring fileName);
  TIniFile(const TIniFile&) = delete;
  TIniFile& operator=(const TIniFile&) = delete;

  // Whether there was a file to read.
  bool Exists() const { return encoding_ != Encoding::Missing; }

  // Values of the text as it stands, written values included.
  std::wstring ReadString(const wchar_t* section, const wchar_t* key,
                          std::wstring_view defaultValue) const;
  // A missing, empty, malformed or out-of-range value gives the default.
  int ReadInteger(const wchar_t* section, const wchar_t* key, int defaultValue) const;

  // These change the text in memory only; Save puts it into the file.
  void WriteString(const wchar_t* section, const wchar_t* key, std::wstring_view value);
  void WriteInteger(const wchar_t* section, const wchar_t* key, int value);
  // Takes the key out (nothing happens where it is not there).
  void DeleteKey(const wchar_t* section, const wchar_t* key);

  // Replaces the file with the text in one step (the file made where there was none). Raises
  // Error::Kind::CannotWrite with the file's path where the folder or the file refuses: a
  // read-only file, a folder that takes no new file, a file that could not be read (its text
  // would be lost), a file held by another program; the file is then as it was.
  void Save();

 private:
  [[noreturn]] void Refused() const;

  std::wstring fileName_;
  Encoding encoding_ = Encoding::Missing;
  bool asciiOnly_ = false;
  // The file is there but could not be read: it is not to be replaced.
  bool unreadable_ = false;
  std::wstring text_;
};

}  // namespace kestrova
