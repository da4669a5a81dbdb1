// TColor: a literal colour 0x00BBGGRR, or a system colour 0x80000000 + its index.
#pragma once

#include <cstdint>

#include "toolkit/Win.h"

namespace kestrova {

using TColor = std::int32_t;

inline constexpr TColor kSystemColorFlag = static_cast<TColor>(0x80000000u);
constexpr TColor SystemColor(int index) { return kSystemColorFlag | index; }

inline constexpr TColor clBlack = 0x00000000;
inline constexpr TColor clBlue = 0x00FF0000;
inline constexpr TColor clRed = 0x000000FF;
inline constexpr TColor clWhite = 0x00FFFFFF;
inline constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);          // 0x80000018
inline constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);  // 0x80000008
inline constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);

// The red-green-blue value a TColor stands for now.
inline COLORREF ColorToRGB(TColor color) {
  if (color & kSystemColorFlag) return GetSysColor(color & 0xFF);
  return static_cast<COLORREF>(color & 0x00FFFFFF);
}

}  // namespace kestrova
