// The program's settings as the file "Kestrova.ini" holds them: section "Main", eleven keys,
// read as one value and saved as one value.
#pragma once

#include <array>
#include <string>

#include "toolkit/Win.h"

namespace kestrova {

struct TSettings {
  // The window's outer bounds in screen pixels.
  int left = 300;
  int top = 300;
  int width = 288;
  int height = 300;
  std::wstring fileExt = L".rar";
  std::wstring winRARPath;
  std::array<std::wstring, 5> profiles{L"a -r -ep1 -m0 -rr3p", L"a -r -ep1 -m5 -rr3p", L"", L"",
                                       L""};

  // The file's values, each key that is missing or malformed taking its default. The default
  // size is the 96-DPI one scaled to dpi; a size from the file is taken as it stands.
  static TSettings Read(const std::wstring& file, UINT dpi);
  // Writes every key, in order; a refused write raises Error::Kind::CannotWrite.
  void Save(const std::wstring& file) const;
};

// "Kestrova.ini" beside the running executable.
std::wstring SettingsPath();

}  // namespace kestrova
