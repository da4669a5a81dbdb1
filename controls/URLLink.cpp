#include "controls/URLLink.h"

#include "toolkit/Application.h"

namespace kestrova {

namespace {

constexpr wchar_t kHintClass[] = L"KestrovaLinkHint";

// Room around the link text in the popup: drawn at (2,2), the client is the text plus 6 by 3.
constexpr int kHintTextLeft = 2;
constexpr int kHintTextTop = 2;
constexpr int kHintExtraWidth = 6;
constexpr int kHintExtraHeight = 3;

}  // namespace

TURLLink::ShellOpenFunction TURLLink::ShellOpen = &::ShellExecuteW;

void TURLLink::OwnedWindow::Reset(HWND hwnd) {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  hwnd_ = hwnd;
}

TURLLink::TURLLink(TForm& owner, const ControlLayout& layout) : TCustomLabel(owner, layout) {
  Initialize();
}

TURLLink::TURLLink(HWND parent, const ControlLayout& layout, UINT dpi)
    : TCustomLabel(parent, layout, dpi) {
  Initialize();
}

void TURLLink::Initialize() {
  URLType = tpURL;
  SetCursor(LoadCursor(nullptr, IDC_HAND));
  Link = L"http://";
  Font().SetColor(clBlue);
  LinkColor = clRed;
  HintShown = false;
  HintOffsetX = 15;
  HintOffsetY = 15;
  HintFormColor = clInfoBk;
  EnableShowHint = true;
  // The popup is a top-level window of its own, with no owner; it stays hidden until a move.
  HWND hint = CreateWindowExW(WS_EX_TOOLWINDOW, HintWindowClass(), L"", WS_POPUP, 0, 0, 0, 0,
                              nullptr, nullptr, Application.Instance(), this);
  if (hint == nullptr) throw Exception(L"CreateWindowEx failed: KestrovaLinkHint");
  HintForm.Reset(hint);
  HintFormFont = std::make_unique<TFont>();
  HintFormFont->SetColor(clWindowText);
}

TURLLink::~TURLLink() {
  HintForm.Reset();
  HintFormFont.reset();
}

void TURLLink::ApplyLayout() {
  const ControlLayout& layout = Layout();
  Font().SetColor(layout.fontColor);
  const LinkSpec* link = layout.link;
  if (link == nullptr) return;
  SetURLtype(static_cast<TURLtype>(link->urlType));
  SetLink(LoadStr(link->linkId));
  SetLinkColor(link->linkColor);
  SetEnableShowHint(link->enableShowHint);
  TFont hintFont;
  if (link->hintFont != nullptr) hintFont.AssignSpec(*link->hintFont);
  hintFont.SetColor(link->hintFontColor);
  SetHintFormFont(hintFont);
}

void TURLLink::SetURLtype(TURLtype type) {
  if (URLType == type) return;
  URLType = type;
  Repaint();
}

void TURLLink::SetLink(std::wstring_view link) {
  if (Link == link) return;
  Link = link;
  Repaint();
}

void TURLLink::SetLinkColor(TColor color) {
  if (LinkColor == color) return;
  LinkColor = color;
  Repaint();
}

void TURLLink::SetHintFormColor(TColor color) {
  if (HintFormColor == color) return;
  HintFormColor = color;
  Repaint();
}

void TURLLink::SetHintOffsetX(int offset) {
  if (HintOffsetX == offset) return;
  HintOffsetX = offset;
  Repaint();
}

void TURLLink::SetHintOffsetY(int offset) {
  if (HintOffsetY == offset) return;
  HintOffsetY = offset;
  Repaint();
}

void TURLLink::SetEnableShowHint(bool enable) {
  if (EnableShowHint == enable) return;
  EnableShowHint = enable;
  Repaint();
}

void TURLLink::SetHintFormFont(const TFont& font) {
  if (&font == HintFormFont.get()) return;
  HintFormFont->Assign(font);
  Repaint();
}

void TURLLink::CMMouseEnter(TMessage& message) {
  TCustomLabel::CMMouseEnter(message);
  SavedFontColor = Font().Color();
  Font().SetColor(LinkColor);
  Repaint();
}

void TURLLink::CMMouseLeave(TMessage& message) {
  TCustomLabel::CMMouseLeave(message);
  Font().SetColor(SavedFontColor);
  Repaint();
  if (HintShown) HideHint();
}

void TURLLink::MouseMove(TShiftState, int, int) {
  if (!EnableShowHint) return;
  // Shown once per visit: it does not follow the pointer.
  if (HintShown) return;
  ShowHint();
}

void TURLLink::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  Repaint();
  TCustomLabel::MouseDown(button, shift, x, y);
  if (button != TMouseButton::mbLeft) return;
  // Opened as given: nothing added but the mail scheme, nothing checked.
  const std::wstring target = URLType == tpMAIL ? L"mailto:" + Link : Link;
  ShellOpen(nullptr, L"OPEN", target.c_str(), L"", L"", SW_SHOW);
  if (HintShown) HideHint();
}

void TURLLink::ShowHint() {
  // The pointer's place on the screen, not the move's coordinates.
  POINT pointer{};
  GetCursorPos(&pointer);
  HWND hint = HintForm.Get();

  hint_.text = Link;
  hint_.background = HintFormColor;
  hint_.textColor = HintFormFont->Color();
  hint_.font.Reset(HintFormFont->Create(Dpi()));

  SIZE text{};
  {
    WindowDC dc(hint);
    SelectedObject font(dc.Get(), hint_.font.Get());
    GetTextExtentPoint32W(dc.Get(), hint_.text.c_str(), static_cast<int>(hint_.text.size()), &text);
  }
  // No border and no caption, so the window is all client area.
  SetWindowLongPtrW(hint, GWL_STYLE, WS_POPUP);
  SetWindowPos(hint, HWND_TOPMOST, pointer.x + HintOffsetX, pointer.y + HintOffsetY,
               text.cx + kHintExtraWidth, text.cy + kHintExtraHeight,
               SWP_NOACTIVATE | SWP_FRAMECHANGED);
  // Shown without activation: the dialog keeps the focus and stays active.
  ShowWindow(hint, SW_SHOWNA);
  InvalidateRect(hint, nullptr, TRUE);
  UpdateWindow(hint);
  HintShown = true;
}

void TURLLink::HideHint() {
  ShowWindow(HintForm.Get(), SW_HIDE);
  HintShown = false;
}

void TURLLink::PaintHint(HDC dc) {
  RECT client{};
  GetClientRect(HintForm.Get(), &client);
  BrushHandle background(CreateSolidBrush(ColorToRGB(hint_.background)));
  FillRect(dc, &client, background.Get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(hint_.textColor));
  SelectedObject font(dc, hint_.font.Get());
  TextOutW(dc, kHintTextLeft, kHintTextTop, hint_.text.c_str(), static_cast<int>(hint_.text.size()));
}

const wchar_t* TURLLink::HintWindowClass() {
  static const wchar_t* const name = [] {
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = HintWindowProc;
    wc.hInstance = Application.Instance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kHintClass;
    if (!RegisterClassExW(&wc)) throw Exception(L"RegisterClassEx failed: KestrovaLinkHint");
    return kHintClass;
  }();
  return name;
}

LRESULT CALLBACK TURLLink::HintWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* link = reinterpret_cast<TURLLink*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT fills it
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (link != nullptr) {
        try {
          link->PaintHint(dc);
        } catch (...) {
          Application.HandleException();
        }
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;  // a click on the popup leaves the dialog active
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace kestrova
