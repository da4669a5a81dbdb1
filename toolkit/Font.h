// TFont: the attributes of a text font (face, height, style, character set) and the colour
// text is drawn in. It makes the native font for a DPI when asked and keeps it until an
// attribute that shapes the glyphs changes. OnChange runs after every change of an attribute.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "toolkit/Color.h"
#include "toolkit/Handles.h"
#include "toolkit/Layout.h"

namespace kestrova {

// Style bits of a font.
using TFontStyles = unsigned;
inline constexpr TFontStyles fsBold = 1u << 0;
inline constexpr TFontStyles fsItalic = 1u << 1;
inline constexpr TFontStyles fsUnderline = 1u << 2;
inline constexpr TFontStyles fsStrikeOut = 1u << 3;

class TFont {
 public:
  // The toolkit's default font: the dialog face at 8 points (11 pixels at 96 DPI), the
  // default character set, regular, in clWindowText.
  TFont();
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  // Face name as the font tables spell it (wide: face names of every code page must survive).
  const std::wstring& Name() const { return name_; }
  void SetName(std::wstring_view name);
  // Character height in pixels at 96 DPI; scaled for the DPI the native font is made for.
  int Height() const { return height_; }
  void SetHeight(int height);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  BYTE Charset() const { return charset_; }
  void SetCharset(BYTE charset);
  TColor Color() const { return color_; }
  void SetColor(TColor color);

  // Copies every attribute of the other font (not its OnChange); one change notification.
  void Assign(const TFont& other);
  // Takes face, height, style and character set from a layout's font; the colour stays.
  void AssignSpec(const FontSpec& spec);
  bool SameAttributes(const TFont& other) const;

  // The native font at that DPI, owned by this object: valid until the next change of face,
  // height, style or character set, or until a handle for another DPI is asked for.
  HFONT Handle(UINT dpi = 96) const;
  // A new native font at that DPI that the caller owns.
  HFONT Create(UINT dpi = 96) const;

  std::function<void()> OnChange;

 private:
  void Changed(bool shapeChanged);

  std::wstring name_;
  int height_;
  TFontStyles style_ = 0;
  BYTE charset_ = DEFAULT_CHARSET;
  TColor color_ = clWindowText;
  mutable FontHandle handle_;
  mutable UINT handleDpi_ = 0;
};

}  // namespace kestrova
