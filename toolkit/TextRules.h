// Window-free text rules of the toolkit: code-page character walking, the standard error
// box's text, and integers as the settings file spells them. No <windows.h> here: the host
// build tests and fuzzes these directly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova {

// Says whether a byte starts a double-byte character in the active code page.
using LeadByteTest = bool (*)(unsigned char);

// Shift_JIS (code page 932): lead bytes 0x81-0x9F and 0xE0-0xFC.
bool ShiftJisLeadByte(unsigned char byte);

// Length in bytes of the character that starts at text[pos] (1 or 2; 1 for a lead byte at the
// very end, which has no trail byte to pair with).
std::size_t CharLength(std::string_view text, std::size_t pos, LeadByteTest isLead);

// Start of the last character of a non-empty text, walking from the front so that a trail
// byte is never taken for a character of its own.
std::size_t LastCharStart(std::string_view text, LeadByteTest isLead);

// The standard error box's text: the message with "." appended when its last character
// compares greater than "." byte by byte; an empty message stays empty.
std::string ErrorBoxText(std::string_view message, LeadByteTest isLead);

// An integer as the settings file holds it: leading blanks, an optional sign, then decimal
// digits, or hexadecimal after "$", "x", "X" or (in a text longer than two characters)
// "0x"/"0X"; the whole rest must be digits of that base and the value must fit 32 bits.
// Anything else has no value and the caller uses its default.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

}  // namespace kestrova
