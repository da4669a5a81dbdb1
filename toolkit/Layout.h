// Declarative window layouts: what a form and its controls look like, in pixels at 96 DPI.
// The tables themselves live in resources/; forms and controls build their windows from them.
#pragma once

#include <span>

#include "toolkit/Color.h"
#include "toolkit/Win.h"

namespace kestrova {

struct FontSpec {
  const wchar_t* face;  // the face name as the font tables spell it
  int height;           // character height in pixels at 96 DPI
  BYTE charset;
  bool bold = false;
  bool underline = false;
};

enum class Align { None, Top, Client };

struct ControlLayout {
  int id;
  const char* name;
  int parent;  // id of the parent control; 0 for the form itself
  int left, top, width, height;
  Align align = Align::None;
  UINT textId = 0;       // initial text from the string table; 0 for none
  int itemHeight = 0;    // list and combo items, pixels at 96 DPI; 0 for the native default
  const FontSpec* font = nullptr;  // nullptr: the form's font
  TColor fontColor = clWindowText;
  TColor color = clBtnFace;
};

struct FormLayout {
  const wchar_t* className;
  UINT captionId;  // 0: the caption is set by the form
  int clientWidth, clientHeight;
  DWORD style, exStyle;
  TColor color;
  FontSpec font;
  UINT iconId;  // 0 for none
  std::span<const ControlLayout> controls;
  // The smallest client area the user can size the form to; 0 for no limit.
  int minClientWidth = 0;
  int minClientHeight = 0;

  const ControlLayout& Control(int id) const;
};

// A pixel value at 96 DPI, scaled for another DPI.
inline int ScaleForDpi(int value, UINT dpi) { return MulDiv(value, static_cast<int>(dpi), 96); }

// A font as the layout says, at the given DPI.
HFONT CreateLayoutFont(const FontSpec& spec, UINT dpi);

}  // namespace kestrova
