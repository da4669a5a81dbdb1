// Text at the platform's edges: strings of the string table, window texts, and conversions
// between UTF-16 and code-page bytes or UTF-8. Every conversion into a code page is exact or
// refused: no character is ever replaced by a look-alike.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "toolkit/Win.h"

namespace kestrova {

// A string of the program's string table; empty when there is none.
std::wstring LoadStr(UINT id);
// A string of the string table with its "%s" replaced by argument (appended where it has none).
std::wstring Format(UINT id, std::wstring_view argument);

// A window's text, read whole.
std::wstring WindowText(HWND hwnd);

// The text in the active code page, or nothing when a character of it has no exact
// equivalent there.
std::optional<std::string> ToCodePage(std::wstring_view text);
// Code-page bytes as UTF-16.
std::wstring FromCodePage(std::string_view bytes);
// Bytes of a code page (CP_ACP, CP_UTF8...) as UTF-16, or nothing when some of them are no
// character there (MultiByteToWideChar's MB_ERR_INVALID_CHARS): nothing is guessed.
std::optional<std::wstring> FromCodePageExactly(UINT codePage, std::string_view bytes);
// Bytes of the OEM code page (what console programs write) as UTF-16.
std::wstring FromOemCodePage(std::string_view bytes);

std::wstring FromUtf8(std::string_view bytes);
std::string ToUtf8(std::wstring_view text);

}  // namespace kestrova
