#include "toolkit/Label.h"

#include "toolkit/Form.h"
#include "toolkit/Handles.h"
#include "toolkit/Text.h"

namespace kestrova {

namespace {

// Double clicks arrive as WM_xBUTTONDBLCLK, each counted as a press; WM_SETCURSOR sets the
// label's own cursor.
const WindowClass kLabelClass{L"TCustomLabel", CS_DBLCLKS, nullptr};

TShiftState ShiftFromKeys(WPARAM keys) {
  TShiftState shift = 0;
  if (keys & MK_SHIFT) shift |= ssShift;
  if (keys & MK_CONTROL) shift |= ssCtrl;
  if (keys & MK_LBUTTON) shift |= ssLeft;
  if (keys & MK_RBUTTON) shift |= ssRight;
  if (keys & MK_MBUTTON) shift |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  return shift;
}

}  // namespace

TCustomLabel::TCustomLabel(TForm& owner, const ControlLayout& layout)
    : TWinControl(owner, layout) {
  font_.AssignSpec(layout.font != nullptr ? *layout.font : owner.Layout().font);
  Initialize(layout);
}

TCustomLabel::TCustomLabel(HWND parent, const ControlLayout& layout, UINT dpi)
    : TWinControl(parent, layout, dpi) {
  if (layout.font != nullptr) font_.AssignSpec(*layout.font);
  Initialize(layout);
}

void TCustomLabel::Initialize(const ControlLayout& layout) {
  font_.SetColor(layout.fontColor);
  color_ = layout.color;
  cursor_ = LoadCursorW(nullptr, IDC_ARROW);
  CreateOwnControl(kLabelClass, WS_CHILD | WS_VISIBLE, 0);
  caption_ = WindowText(Handle());
  AdjustBounds();
  font_.OnChange = [this] {
    AdjustBounds();
    Invalidate();
  };
}

void TCustomLabel::SetCaption(std::wstring_view caption) {
  const std::wstring text(caption);
  SetWindowTextW(Handle(), text.c_str());  // WM_SETTEXT resizes and invalidates
}

void TCustomLabel::SetColor(TColor color) {
  if (color_ == color) return;
  color_ = color;
  Invalidate();
}

void TCustomLabel::SetAlignment(TAlignment alignment) {
  if (alignment_ == alignment) return;
  alignment_ = alignment;
  Invalidate();
}

void TCustomLabel::SetAutoSize(bool autoSize) {
  if (autoSize_ == autoSize) return;
  autoSize_ = autoSize;
  AdjustBounds();
}

void TCustomLabel::SetTransparent(bool transparent) {
  if (transparent_ == transparent) return;
  transparent_ = transparent;
  Invalidate();
}

void TCustomLabel::Repaint() {
  InvalidateRect(Handle(), nullptr, TRUE);
  UpdateWindow(Handle());
}

void TCustomLabel::Invalidate() { InvalidateRect(Handle(), nullptr, TRUE); }

void TCustomLabel::ApplyDpi(UINT dpi) {
  TWinControl::ApplyDpi(dpi);
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::CMMouseEnter(TMessage&) {
  if (OnMouseEnter) OnMouseEnter();
}

void TCustomLabel::CMMouseLeave(TMessage&) {
  if (OnMouseLeave) OnMouseLeave();
}

void TCustomLabel::MouseMove(TShiftState, int, int) {}

void TCustomLabel::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(button, shift, x, y);
}

UINT TCustomLabel::DrawFlags() const {
  UINT flags = DT_NOPREFIX | DT_EXPANDTABS;
  switch (alignment_) {
    case TAlignment::taLeftJustify: flags |= DT_LEFT; break;
    case TAlignment::taRightJustify: flags |= DT_RIGHT; break;
    case TAlignment::taCenter: flags |= DT_CENTER; break;
  }
  return flags;
}

void TCustomLabel::AdjustBounds() {
  if (!autoSize_ || Handle() == nullptr) return;
  // An empty caption is measured as a blank: the label keeps a line's height.
  const std::wstring measured = caption_.empty() ? std::wstring(L" ") : caption_;
  RECT text{};
  {
    WindowDC dc(Handle());
    SelectedObject font(dc.Get(), font_.Handle(Dpi()));
    DrawTextW(dc.Get(), measured.c_str(), static_cast<int>(measured.size()), &text,
              DrawFlags() | DT_CALCRECT);
  }
  RECT bounds{};
  GetWindowRect(Handle(), &bounds);
  MapWindowPoints(HWND_DESKTOP, GetParent(Handle()), reinterpret_cast<POINT*>(&bounds), 2);
  const int width = text.right - text.left;
  const int height = text.bottom - text.top;
  if (width == bounds.right - bounds.left && height == bounds.bottom - bounds.top) return;
  // A right-aligned label keeps its right edge where it was.
  int left = bounds.left;
  if (alignment_ == TAlignment::taRightJustify) left = bounds.right - width;
  SetWindowPos(Handle(), nullptr, left, bounds.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomLabel::PaintParentBackground(HDC dc) {
  // The parent erases into our DC as if it were its own, shifted to where the label sits.
  HWND parent = GetParent(Handle());
  POINT origin{0, 0};
  MapWindowPoints(Handle(), parent, &origin, 1);
  POINT old{};
  SetViewportOrgEx(dc, -origin.x, -origin.y, &old);
  SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

void TCustomLabel::Paint(HDC dc) {
  RECT client{};
  GetClientRect(Handle(), &client);
  if (transparent_) {
    PaintParentBackground(dc);
  } else {
    BrushHandle background(CreateSolidBrush(ColorToRGB(color_)));
    FillRect(dc, &client, background.Get());
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(font_.Color()));
  SelectedObject font(dc, font_.Handle(Dpi()));
  DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &client, DrawFlags());
  // A label that takes the focus (a link) shows it, unless the keyboard cues are hidden.
  if (GetFocus() == Handle() &&
      (SendMessageW(Handle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0) {
    DrawFocusRect(dc, &client);
  }
}

bool TCustomLabel::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const int x = static_cast<short>(LOWORD(lParam));
  const int y = static_cast<short>(HIWORD(lParam));
  result = 0;
  switch (msg) {
    case WM_PAINT: {
      const PaintScope paint(Handle());
      Paint(paint.Dc());
      return true;
    }
    case WM_ERASEBKGND:
      result = 1;  // WM_PAINT covers every pixel
      return true;
    case WM_SETCURSOR:
      if (LOWORD(lParam) != HTCLIENT || cursor_ == nullptr) return false;
      ::SetCursor(cursor_);
      result = TRUE;
      return true;
    case WM_SETTEXT:
      result = CallDefault(msg, wParam, lParam);
      caption_ = lParam != 0 ? reinterpret_cast<const wchar_t*>(lParam) : L"";
      AdjustBounds();
      Invalidate();
      return true;
    case WM_MOUSEMOVE:
      if (!mouseInside_) {
        mouseInside_ = true;
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
        TrackMouseEvent(&track);
        TMessage message{msg, wParam, lParam, 0};
        CMMouseEnter(message);
      }
      MouseMove(ShiftFromKeys(wParam), x, y);
      return true;
    case WM_MOUSELEAVE:
      if (mouseInside_) {
        mouseInside_ = false;
        TMessage message{msg, wParam, lParam, 0};
        CMMouseLeave(message);
      }
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      MouseDown(TMouseButton::mbLeft, ShiftFromKeys(wParam) | (msg == WM_LBUTTONDBLCLK ? ssDouble : 0), x, y);
      return true;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      MouseDown(TMouseButton::mbRight, ShiftFromKeys(wParam) | (msg == WM_RBUTTONDBLCLK ? ssDouble : 0), x, y);
      return true;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      MouseDown(TMouseButton::mbMiddle, ShiftFromKeys(wParam) | (msg == WM_MBUTTONDBLCLK ? ssDouble : 0), x, y);
      return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
      Invalidate();
      return false;
    case WM_NCDESTROY:
      mouseInside_ = false;
      return false;
    default:
      return false;
  }
}

}  // namespace kestrova
