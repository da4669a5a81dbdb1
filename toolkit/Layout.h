// Declarative window layouts: what a form and its controls look like, in pixels at 96 DPI.
// The tables themselves live in resources/; the form builds its window from them.
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

// The settings of a hyperlink label (controls/URLLink.h) beyond its caption, font and colours.
struct LinkSpec {
  BYTE urlType;                   // TURLtype: 0 a web address, 1 a mail address
  UINT linkId;                    // the link from the string table
  TColor linkColor;               // the caption's colour while the pointer is over it
  bool enableShowHint;            // whether a move over it shows the link in a popup
  const FontSpec* hintFont;       // the popup's font
  TColor hintFontColor;
};

enum class ControlKind { Panel, Edit, Button, ComboList, ListBox, Label, LinkLabel, Image };
enum class Align { None, Top, Client };

struct ControlLayout {
  int id;
  const char* name;
  ControlKind kind;
  int parent;  // id of the parent control; 0 for the form itself
  int left, top, width, height;
  Align align = Align::None;
  UINT textId = 0;       // initial text from the string table; 0 for none
  int itemHeight = 0;    // list and combo items, pixels at 96 DPI; 0 for the native default
  const FontSpec* font = nullptr;  // nullptr: the form's font
  TColor fontColor = clWindowText;
  TColor color = clBtnFace;
  const LinkSpec* link = nullptr;  // hyperlink labels only
  UINT imageId = 0;                // pictures: the bitmap resource
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

// A font as the spec says, at the given DPI.
HFONT CreateLayoutFont(const FontSpec& spec, UINT dpi);

}  // namespace kestrova
