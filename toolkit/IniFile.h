// An INI file: read whole, once, changed in memory, and saved whole in one step.
//
// Reading takes the file's encoding from its bytes: UTF-16LE with its byte-order mark, UTF-8
// with or without its mark (Notepad saves it without), or the system's code page, and reads the
// text as the platform's profile-string services do (IniValue). Writes change that text only
// (WithIniValue: every other section, key, comment and blank line stays as it was); a write of
// the value a key holds already changes nothing, and a file whose text did not change is not
// written at all. Save puts the whole text into a new file beside the old one and replaces the
// old one with it (ReplaceFileBytes), so that the file is at every moment either the old one or
// the new one, with the old one's attributes (hidden, system).
//
// Which bytes a save writes: a code-page file of nothing but ASCII, given ASCII values, stays
// byte for byte what it was but for its changed lines. A file whose bytes are not clean text of
// its encoding (code-page bytes that are no characters of the system's code page, a file of
// another code page; a UTF-8 file with bytes that are no UTF-8) is never written from a decoding
// that lost them: its changed keys' lines are written into its own bytes, in its own encoding,
// and every other line stays byte for byte (a value that encoding cannot hold is refused).
// Anything else (a new file, a UTF-8 one, a clean code-page file with any other byte, a value
// beyond ASCII) becomes UTF-16LE with its mark: the services read and write that natively, and
// it reads the same whatever the system's code page is or becomes. Opening never fails: a
// missing file reads as defaults.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "toolkit/Win.h"

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
  // Whether the file's bytes are not clean text of its encoding (they are kept as they are).
  bool KeptAsBytes() const { return bytes_.has_value(); }

  // Values of the text as it stands, written values included.
  std::wstring ReadString(const wchar_t* section, const wchar_t* key,
                          std::wstring_view defaultValue) const;
  // A missing, empty, malformed or out-of-range value gives the default.
  int ReadInteger(const wchar_t* section, const wchar_t* key, int defaultValue) const;

  // These change the text in memory only; Save puts it into the file. A key that reads as the
  // value already (the same text, the same integer) stays as it is spelled: a file kept as
  // bytes keeps even a line it could not decode.
  void WriteString(const wchar_t* section, const wchar_t* key, std::wstring_view value);
  void WriteInteger(const wchar_t* section, const wchar_t* key, int value);
  // Takes the key out (nothing happens where it is not there).
  void DeleteKey(const wchar_t* section, const wchar_t* key);

  // Replaces the file with the text in one step (the file made where there was none); nothing is
  // written when the text is the file's. While another program holds the file (or the new one)
  // so that it cannot be replaced, the save tries again for about a second, then writes over the
  // file's own bytes where the file lets it (ReplaceFileBytes). Raises Error::Kind::CannotWrite
  // with the file's path where the folder or the file refuses: a read-only file, a folder that takes no new file, a file
  // that could not be read (its text would be lost), a file held by another program that lets
  // nobody write, a value the file's bytes cannot hold (with ERROR_NO_UNICODE_TRANSLATION); the
  // file is then as it was. The new file is deleted only once the settings file is in its place.
  void Save();
  // The same, unless the file is no longer the one read (another program saved it since): then
  // nothing is written and the answer is false, so that the caller reads it again.
  bool SaveIfUnchanged();

  // Called each time a save is refused and is about to try again (tests let the holder go).
  std::function<void()> OnRetry;

 private:
  bool Write(bool onlyIfUnchanged);
  [[noreturn]] void Refused(DWORD code = 0) const;

  std::wstring fileName_;
  Encoding encoding_ = Encoding::Missing;
  bool asciiOnly_ = false;
  // The file is there but could not be read: it is not to be replaced.
  bool unreadable_ = false;
  // The file's bytes as read or last written; nothing where there was no file.
  std::optional<std::string> read_;
  std::wstring text_;
  std::wstring textRead_;
  // A file kept as bytes: its bytes after its mark, with the writes made so far; the mark; the
  // code page of its values (the system's, or UTF-8); a value written that it cannot hold.
  std::optional<std::string> bytes_;
  std::string mark_;
  UINT bytesCodePage_ = CP_ACP;
  bool unencodable_ = false;
  // The last byte of a UTF-16 file of an odd number of bytes, kept after its text.
  std::string oddByte_;
};

}  // namespace kestrova
