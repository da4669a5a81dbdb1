#include "toolkit/Text.h"

namespace kestrova {

namespace {

std::wstring Decode(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int length = static_cast<int>(bytes.size());
  const int units = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
  std::wstring text(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), length, text.data(), units);
  return text;
}

std::string Encode(UINT codePage, DWORD flags, std::wstring_view text, BOOL* usedDefault) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int bytes =
      WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, usedDefault);
  std::string result(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, flags, text.data(), length, result.data(), bytes, nullptr,
                      usedDefault);
  return result;
}

}  // namespace

std::wstring LoadStr(UINT id) {
  // With a zero length LoadStringW hands out a pointer to the resource itself, so no text is
  // ever cut.
  const wchar_t* text = nullptr;
  const int length = LoadStringW(ModuleInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return {};
  return std::wstring(text, static_cast<std::size_t>(length));
}

std::wstring Format(UINT id, std::wstring_view argument) {
  std::wstring text = LoadStr(id);
  const std::size_t at = text.find(L"%s");
  if (at == std::wstring::npos) return text + std::wstring(argument);
  return text.replace(at, 2, argument);
}

std::wstring WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

std::optional<std::string> ToCodePage(std::wstring_view text) {
  const UINT codePage = GetACP();
  // The UTF-8 code page takes neither the flag nor the question (and has no look-alikes).
  const bool utf8 = codePage == CP_UTF8;
  BOOL usedDefault = FALSE;
  std::string bytes =
      Encode(codePage, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, text, utf8 ? nullptr : &usedDefault);
  // The way back must give the same text: that also catches what a code page maps one way only.
  if (usedDefault || Decode(codePage, bytes) != text) return std::nullopt;
  return bytes;
}

std::wstring FromCodePage(std::string_view bytes) { return Decode(CP_ACP, bytes); }

std::optional<std::wstring> FromCodePageExactly(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return std::wstring();
  const int length = static_cast<int>(bytes.size());
  const int units =
      MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
  if (units <= 0) return std::nullopt;
  std::wstring text(static_cast<std::size_t>(units), L'\0');
  if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, text.data(),
                          units) != units) {
    return std::nullopt;
  }
  return text;
}

std::wstring FromOemCodePage(std::string_view bytes) { return Decode(CP_OEMCP, bytes); }

std::wstring FromUtf8(std::string_view bytes) { return Decode(CP_UTF8, bytes); }

std::string ToUtf8(std::wstring_view text) { return Encode(CP_UTF8, 0, text, nullptr); }

}  // namespace kestrova
