#include "toolkit/Layout.h"

#include <string>

#include "toolkit/Error.h"
#include "toolkit/TextRules.h"

namespace kestrova {

const ControlLayout& FormLayout::Control(int id) const {
  for (const ControlLayout& control : controls) {
    if (control.id == id) return control;
  }
  throw Error(Error::Kind::Message, L"layout has no control " + DecimalText(id));
}

HFONT CreateLayoutFont(const FontSpec& spec, UINT dpi) {
  LOGFONTW font{};
  font.lfHeight = -ScaleForDpi(spec.height, dpi);
  font.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
  font.lfUnderline = spec.underline ? TRUE : FALSE;
  font.lfCharSet = spec.charset;
  font.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(font.lfFaceName, spec.face, LF_FACESIZE);
  HFONT created = CreateFontIndirectW(&font);
  if (created == nullptr) ThrowLastError(L"CreateFontIndirectW");
  return created;
}

}  // namespace kestrova
