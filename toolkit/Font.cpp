#include "toolkit/Font.h"

#include "toolkit/Error.h"

namespace kestrova {

TFont::TFont() : name_(L"MS Shell Dlg"), height_(11) {}

void TFont::SetName(std::wstring_view name) {
  if (name_ == name) return;
  name_ = name;
  Changed(true);
}

void TFont::SetHeight(int height) {
  if (height_ == height) return;
  height_ = height;
  Changed(true);
}

void TFont::SetStyle(TFontStyles style) {
  if (style_ == style) return;
  style_ = style;
  Changed(true);
}

void TFont::SetCharset(BYTE charset) {
  if (charset_ == charset) return;
  charset_ = charset;
  Changed(true);
}

void TFont::SetColor(TColor color) {
  if (color_ == color) return;
  color_ = color;
  Changed(false);
}

void TFont::Assign(const TFont& other) {
  if (&other == this) return;
  name_ = other.name_;
  height_ = other.height_;
  style_ = other.style_;
  charset_ = other.charset_;
  color_ = other.color_;
  Changed(true);
}

void TFont::AssignSpec(const FontSpec& spec) {
  name_ = spec.face;
  height_ = spec.height;
  style_ = (spec.bold ? fsBold : 0) | (spec.underline ? fsUnderline : 0);
  charset_ = spec.charset;
  Changed(true);
}

bool TFont::SameAttributes(const TFont& other) const {
  return name_ == other.name_ && height_ == other.height_ && style_ == other.style_ &&
         charset_ == other.charset_ && color_ == other.color_;
}

HFONT TFont::Create(UINT dpi) const {
  LOGFONTW font{};
  font.lfHeight = -ScaleForDpi(height_, dpi);
  font.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
  font.lfItalic = (style_ & fsItalic) ? TRUE : FALSE;
  font.lfUnderline = (style_ & fsUnderline) ? TRUE : FALSE;
  font.lfStrikeOut = (style_ & fsStrikeOut) ? TRUE : FALSE;
  font.lfCharSet = charset_;
  font.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(font.lfFaceName, name_.c_str(), LF_FACESIZE);
  HFONT created = CreateFontIndirectW(&font);
  if (created == nullptr) ThrowLastError(L"CreateFontIndirectW");
  return created;
}

HFONT TFont::Handle(UINT dpi) const {
  if (!handle_ || handleDpi_ != dpi) {
    handle_.Reset(Create(dpi));
    handleDpi_ = dpi;
  }
  return handle_.Get();
}

void TFont::Changed(bool shapeChanged) {
  if (shapeChanged) handle_.Reset();
  if (OnChange) OnChange();
}

}  // namespace kestrova
