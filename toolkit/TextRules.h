// Window-free text rules of the toolkit: the standard error box's text, integers as the
// settings file spells them, and values and lines of the settings file as the profile services
// read them. No <windows.h> here: the host build tests and fuzzes these directly. Texts are
// UTF-16 on Windows; on the host wchar_t is wider, which these rules never depend on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova {

// The standard error box's text: the message with "." appended when its last character
// sorts after "."; an empty message stays empty.
std::wstring ErrorBoxText(std::wstring_view message);

// An integer as the settings file holds it: leading blanks, an optional sign, then decimal
// digits, or hexadecimal after "$", "x", "X" or (in a text longer than two characters)
// "0x"/"0X"; the whole rest must be digits of that base and the value must fit 32 bits.
// Anything else has no value and the caller uses its default.
std::optional<std::int32_t> ParseIniInteger(std::wstring_view text);

// The text to write for a value so that the profile services read it back unchanged: they
// drop blanks around a value and one pair of equal quotes around it, so a value that begins
// or ends with a blank, or begins and ends with the same quote, goes in one more pair of
// double quotes.
std::wstring IniValueToWrite(std::wstring_view value);

// An integer in decimal digits, with a "-" when negative.
std::wstring DecimalText(long long value);
// A 32-bit value as "0x" and eight upper-case hexadecimal digits.
std::wstring HexText(std::uint32_t value);

// Size of one character, given as its UTF-16 units, in some encoding (bytes of a code page,
// UTF-16 units...).
using CharSize = std::size_t (*)(std::wstring_view character);

// Length (in UTF-16 units) of the longest front part of text, in whole characters, whose
// characters take at most limit units of the encoding that size measures. A surrogate pair
// is one character; a lone surrogate is one of its own.
std::size_t WholeCharacterPrefix(std::wstring_view text, std::size_t limit, CharSize size);

// Whether two names are the same but for the case of ASCII letters (settings' sections, keys
// and words).
bool SameAsciiName(std::wstring_view a, std::wstring_view b);

// The value of key in section of an INI file's text, as the profile services read it: lines end
// at CR or LF; "[name]" begins a section; the first "key=value" of the key in any section of
// that name counts (names compare without case, white space around them dropped); white space
// around the value is dropped, then one pair of equal quotes around it (IniValueToWrite's rule),
// and a zero ends it. Nothing when the key is not there.
std::optional<std::wstring> IniValue(std::wstring_view text, std::wstring_view section,
                                     std::wstring_view key);

// What WithIniValue puts after a key's "=" for value: the value up to a line end or a zero (the
// file holds no more), in IniValueToWrite's quotes where it needs them.
std::wstring IniTextOf(std::wstring_view value);

// The text with key in section holding value, which IniValue then reads back (the value up to a
// line end or a zero: the file holds no more). The line IniValue would read gets the new value
// and keeps its key and line end; a key not there yet goes after the last key (or the header) of
// the first section of the name, a section not there yet at the end. Every other line stays as
// it was; a line added ends in CR LF, and so does the line before it.
std::wstring WithIniValue(std::wstring_view text, std::wstring_view section,
                          std::wstring_view key, std::wstring_view value);
// The text without the lines of key in the sections of that name.
std::wstring WithoutIniKey(std::wstring_view text, std::wstring_view section,
                           std::wstring_view key);

// The bytes of a settings file whose bytes are no clean text of their encoding, with key in section
// holding a value (its IniTextOf, already encoded as the file's other bytes are) or taken out
// (nothing): WithIniValue's and WithoutIniKey's rules applied to the bytes themselves, each byte
// taken as one character, so that every other line stays byte for byte, whatever it holds.
// Section and key are ASCII. Lines, "=" and ASCII names are found exactly in UTF-8 and in every
// code page Windows has: none uses a byte below 0x40 (CR, LF, "=", blanks) inside a character,
// and a name with any character beyond ASCII holds a byte from 0x80 up, so it is no ASCII name.
std::string WithIniBytes(std::string_view bytes, std::wstring_view section, std::wstring_view key,
                         std::optional<std::string_view> written);

// A file that one save writes beside path: path, ".", the process's number and the save's own
// number in hexadecimal, joined by "-", then "." and kind ("new" for the new text, "old" for
// the file it replaces). Two saves, in one process or in two, never share a name.
std::wstring SaveCompanionPath(std::wstring_view path, std::uint32_t process, std::uint32_t save,
                               std::wstring_view kind);

// How the bytes of a settings file are to be read, from the bytes alone.
enum class FileText {
  Utf16,     // the UTF-16LE byte-order mark first
  Utf8Mark,  // the UTF-8 byte-order mark first
  Utf8,      // no mark, well-formed UTF-8 with at least one character beyond ASCII (Notepad's)
  Ascii,     // nothing beyond ASCII (or nothing at all): the same in every code page
  CodePage,  // anything else: the system's code page (Shift_JIS text is no UTF-8 in practice)
};
FileText DetectFileText(std::string_view bytes);

// Whether the bytes are well-formed UTF-8: no stray continuation byte, no overlong form, no
// surrogate, nothing past U+10FFFF. ASCII alone is well-formed.
bool IsUtf8(std::string_view bytes);

}  // namespace kestrova
