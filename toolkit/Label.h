// TCustomLabel: the toolkit's text label. A small child window of its own class that draws its
// caption with DrawTextW in its font and font colour on its background colour (or on its
// parent's background when transparent), sizes itself to the caption while AutoSize is on and
// shows its own cursor. It reports the pointer entering it (the first move after it was
// outside), leaving it (TrackMouseEvent: one leave follows each enter), moving over it and
// pressing any button on it through virtual hooks; the second press of a double click is a
// press of its own.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "toolkit/Controls.h"
#include "toolkit/Font.h"
#include "toolkit/Message.h"

namespace kestrova {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Keys and buttons held during a mouse event.
using TShiftState = unsigned;
inline constexpr TShiftState ssShift = 1u << 0;
inline constexpr TShiftState ssAlt = 1u << 1;
inline constexpr TShiftState ssCtrl = 1u << 2;
inline constexpr TShiftState ssLeft = 1u << 3;
inline constexpr TShiftState ssRight = 1u << 4;
inline constexpr TShiftState ssMiddle = 1u << 5;
inline constexpr TShiftState ssDouble = 1u << 6;

class TCustomLabel : public TWinControl {
 public:
  // Font and colours come from the layout entry; a control of a form without a font of its
  // own takes the form's.
  TCustomLabel(TForm& owner, const ControlLayout& layout);
  TCustomLabel(HWND parent, const ControlLayout& layout, UINT dpi = 96);

  const std::wstring& Caption() const { return caption_; }
  void SetCaption(std::wstring_view caption);

  // The font the caption is drawn in, with its colour. (It hides the native-font accessor of
  // TWinControl: a label draws with this one.)
  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent);
  HCURSOR Cursor() const { return cursor_; }
  void SetCursor(HCURSOR cursor) { cursor_ = cursor; }

  // Whether the pointer entered and has not left yet.
  bool MouseInside() const { return mouseInside_; }

  // Paints now: invalidates the whole label and updates it.
  void Repaint();

  void ApplyDpi(UINT dpi) override;

  // Raised by the base handling of the hooks below.
  std::function<void()> OnMouseEnter;
  std::function<void()> OnMouseLeave;
  std::function<void(TMouseButton, TShiftState, int, int)> OnMouseDown;

 protected:
  // The pointer has entered or left the label (message: the mouse message that told).
  virtual void CMMouseEnter(TMessage& message);
  virtual void CMMouseLeave(TMessage& message);
  // Client coordinates of the label.
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);

  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  // Marks the label for painting at the next chance.
  void Invalidate();
  // Sizes the label to its caption, while AutoSize is on.
  void AdjustBounds();

 private:
  void Initialize(const ControlLayout& layout);
  void Paint(HDC dc);
  void PaintParentBackground(HDC dc);
  UINT DrawFlags() const;

  std::wstring caption_;
  TFont font_;
  TColor color_ = clBtnFace;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  bool autoSize_ = true;
  bool transparent_ = false;
  HCURSOR cursor_ = nullptr;
  bool mouseInside_ = false;
};

// The plain label.
class TLabel : public TCustomLabel {
 public:
  using TCustomLabel::TCustomLabel;
};

}  // namespace kestrova
