#include "toolkit/Label.h"

#include "toolkit/Application.h"
#include "toolkit/Form.h"

namespace kestrova {

namespace {

constexpr wchar_t kLabelClass[] = L"KestrovaLabel";

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

TCustomLabel::TCustomLabel(TForm& owner, const ControlLayout& layout) : TWinControl(owner, layout) {
  font_.AssignSpec(layout.font != nullptr ? *layout.font : owner.Layout().font);
  font_.SetColor(layout.fontColor);
  color_ = layout.color;
  if (layout.textId != 0) caption_ = LoadStr(layout.textId);
  cursor_ = LoadCursor(nullptr, IDC_ARROW);
  font_.OnChange = [this] { FontChanged(); };
}

TCustomLabel::TCustomLabel(HWND parent, const ControlLayout& layout, UINT dpi)
    : TWinControl(parent, layout, dpi) {
  if (layout.font != nullptr) font_.AssignSpec(*layout.font);
  font_.SetColor(layout.fontColor);
  color_ = layout.color;
  if (layout.textId != 0) caption_ = LoadStr(layout.textId);
  cursor_ = LoadCursor(nullptr, IDC_ARROW);
  font_.OnChange = [this] { FontChanged(); };
}

TCustomLabel::~TCustomLabel() {
  font_.OnChange = nullptr;
  if (window_ != nullptr) {
    // The window must not call back into an object that is going.
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    window_ = nullptr;
    DestroyHandle();
  }
}

const wchar_t* TCustomLabel::WindowClass() const {
  static const wchar_t* const name = [] {
    WNDCLASSEXW wc{sizeof(wc)};
    // Double clicks arrive as WM_xBUTTONDBLCLK, each counted as a press.
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = Application.Instance();
    wc.hCursor = nullptr;  // WM_SETCURSOR sets the label's own
    wc.lpszClassName = kLabelClass;
    if (!RegisterClassExW(&wc)) throw Exception(L"RegisterClassEx failed: KestrovaLabel");
    return kLabelClass;
  }();
  return name;
}

void TCustomLabel::AfterCreate() {
  window_ = Handle();
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  // The caption may have been set before the window existed.
  SetWindowTextW(window_, caption_.c_str());
  AdjustBounds();
}

void TCustomLabel::SetCaption(std::wstring_view caption) {
  caption_ = caption;
  if (window_ != nullptr) {
    SetWindowTextW(window_, caption_.c_str());  // WM_SETTEXT resizes and invalidates
  }
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

void TCustomLabel::SetCursor(HCURSOR cursor) { cursor_ = cursor; }

void TCustomLabel::Repaint() {
  if (window_ == nullptr) return;
  InvalidateRect(window_, nullptr, TRUE);
  UpdateWindow(window_);
}

void TCustomLabel::Invalidate() {
  if (window_ != nullptr) InvalidateRect(window_, nullptr, TRUE);
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
  if (!autoSize_ || window_ == nullptr) return;
  // An empty caption is measured as a blank: the label keeps a line's height.
  const std::wstring measured = caption_.empty() ? std::wstring(L" ") : caption_;
  RECT text{};
  {
    WindowDC dc(window_);
    SelectedObject font(dc.Get(), font_.Handle(Dpi()));
    DrawTextW(dc.Get(), measured.c_str(), static_cast<int>(measured.size()), &text,
              DrawFlags() | DT_CALCRECT);
  }
  RECT bounds{};
  GetWindowRect(window_, &bounds);
  MapWindowPoints(HWND_DESKTOP, GetParent(window_), reinterpret_cast<POINT*>(&bounds), 2);
  const int width = text.right - text.left;
  const int height = text.bottom - text.top;
  if (width == bounds.right - bounds.left && height == bounds.bottom - bounds.top) return;
  // A right-aligned label keeps its right edge where it was.
  int left = bounds.left;
  if (alignment_ == TAlignment::taRightJustify) left = bounds.right - width;
  SetWindowPos(window_, nullptr, left, bounds.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomLabel::FontChanged() {
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::PaintParentBackground(HDC dc) {
  // The parent erases into our DC as if it were its own, shifted to where the label sits.
  HWND parent = GetParent(window_);
  POINT origin{0, 0};
  MapWindowPoints(window_, parent, &origin, 1);
  POINT old{};
  SetViewportOrgEx(dc, -origin.x, -origin.y, &old);
  SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

void TCustomLabel::Paint(HDC dc) {
  RECT client{};
  GetClientRect(window_, &client);
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
}

LRESULT TCustomLabel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  const int x = static_cast<short>(LOWORD(lParam));
  const int y = static_cast<short>(HIWORD(lParam));
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window_, &ps);
      Paint(dc);
      EndPaint(window_, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && cursor_ != nullptr) {
        ::SetCursor(cursor_);
        return TRUE;
      }
      break;
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcW(window_, msg, wParam, lParam);
      caption_ = lParam != 0 ? reinterpret_cast<const wchar_t*>(lParam) : L"";
      AdjustBounds();
      Invalidate();
      return result;
    }
    case WM_MOUSEMOVE: {
      if (!mouseInside_) {
        mouseInside_ = true;
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window_, 0};
        TrackMouseEvent(&track);
        TMessage message{msg, wParam, lParam, 0};
        CMMouseEnter(message);
      }
      MouseMove(ShiftFromKeys(wParam), x, y);
      return 0;
    }
    case WM_MOUSELEAVE: {
      if (mouseInside_) {
        mouseInside_ = false;
        TMessage message{msg, wParam, lParam, 0};
        CMMouseLeave(message);
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
      MouseDown(TMouseButton::mbLeft, ShiftFromKeys(wParam), x, y);
      return 0;
    case WM_LBUTTONDBLCLK:
      MouseDown(TMouseButton::mbLeft, ShiftFromKeys(wParam) | ssDouble, x, y);
      return 0;
    case WM_RBUTTONDOWN:
      MouseDown(TMouseButton::mbRight, ShiftFromKeys(wParam), x, y);
      return 0;
    case WM_RBUTTONDBLCLK:
      MouseDown(TMouseButton::mbRight, ShiftFromKeys(wParam) | ssDouble, x, y);
      return 0;
    case WM_MBUTTONDOWN:
      MouseDown(TMouseButton::mbMiddle, ShiftFromKeys(wParam), x, y);
      return 0;
    case WM_MBUTTONDBLCLK:
      MouseDown(TMouseButton::mbMiddle, ShiftFromKeys(wParam) | ssDouble, x, y);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, msg, wParam, lParam);
}

LRESULT CALLBACK TCustomLabel::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* label = reinterpret_cast<TCustomLabel*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (label == nullptr) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    label->window_ = nullptr;
    label->mouseInside_ = false;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  try {
    return label->HandleMessage(msg, wParam, lParam);
  } catch (...) {
    Application.HandleException();
    return 0;
  }
}

}  // namespace kestrova
