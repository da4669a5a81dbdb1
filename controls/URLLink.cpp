#include "controls/URLLink.h"

#include "controls/LinkAccessible.h"
#include "toolkit/System.h"
#include "toolkit/SystemCalls.h"
#include "toolkit/Text.h"

namespace kestrova {

namespace {

// Room around the link text in the popup: drawn at (2,2), the client is the text plus 6 by 3.
constexpr int kHintTextLeft = 2;
constexpr int kHintTextTop = 2;
constexpr int kHintExtraWidth = 6;
constexpr int kHintExtraHeight = 3;

HINSTANCE OpenWithShell(HWND owner, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters,
                        LPCWSTR directory, INT show) {
  // shell32 is loaded when a link is first opened, not at every start; the shell wants COM.
  const auto shellExecute = sys::Shell32().ShellExecuteW;
  if (shellExecute == nullptr) return nullptr;
  UseCom();
  return shellExecute(owner, operation, file, parameters, directory, show);
}

}  // namespace

// The popup: a top-level window of its own, with no owner, that never takes the activation.
class TURLLink::THintForm : public WindowImpl {
 public:
  explicit THintForm(const HintContent& content) : content_(content) {
    static const WindowClass kClass{L"THintForm"};
    Create(kClass, WS_EX_TOOLWINDOW, WS_POPUP, L"", RECT{}, nullptr, 0);
  }

 protected:
  bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
    switch (msg) {
      case WM_ERASEBKGND:
        result = 1;  // WM_PAINT fills it
        return true;
      case WM_PAINT: {
        const PaintScope paint(Handle());
        const HDC dc = paint.Dc();
        const RECT client = paint.Client();
        BrushHandle background(CreateSolidBrush(ColorToRGB(content_.background)));
        FillRect(dc, &client, background.Get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ColorToRGB(content_.textColor));
        SelectedObject font(dc, content_.font.Get());
        TextOutW(dc, kHintTextLeft, kHintTextTop, content_.text.c_str(),
                 static_cast<int>(content_.text.size()));
        result = 0;
        return true;
      }
      case WM_MOUSEACTIVATE:
        result = MA_NOACTIVATE;  // a click on the popup leaves the dialog active
        return true;
      default:
        return false;
    }
  }

 private:
  const HintContent& content_;
};

TURLLink::TURLLink(TForm& owner, const ControlLayout& layout, const LinkSpec* spec)
    : TCustomLabel(owner, layout) {
  Initialize();
  if (spec != nullptr) ApplySpec(layout, *spec);
}

TURLLink::TURLLink(HWND parent, const ControlLayout& layout, UINT dpi)
    : TCustomLabel(parent, layout, dpi) {
  Initialize();
}

void TURLLink::Initialize() {
  ShellOpen = &OpenWithShell;
  urlType_ = tpURL;
  SetCursor(LoadCursorW(nullptr, IDC_HAND));
  link_ = L"http://";
  Font().SetColor(clBlue);
  linkColor_ = clRed;
  HintShown = false;
  hintOffsetX_ = 15;
  hintOffsetY_ = 15;
  hintFormColor_ = clInfoBk;
  enableShowHint_ = true;
  hintForm_ = std::make_unique<THintForm>(hint_);
  hintFormFont_ = std::make_unique<TFont>();
  hintFormFont_->SetColor(clWindowText);
  // Tab reaches it.
  SetWindowLongPtrW(Handle(), GWL_STYLE, GetWindowLongPtrW(Handle(), GWL_STYLE) | WS_TABSTOP);
}

void TURLLink::ApplySpec(const ControlLayout& layout, const LinkSpec& spec) {
  Font().SetColor(layout.fontColor);
  SetURLtype(spec.urlType);
  SetLink(LoadStr(spec.linkId));
  SetLinkColor(spec.linkColor);
  SetEnableShowHint(spec.enableShowHint);
  TFont hintFont;
  if (spec.hintFont != nullptr) hintFont.AssignSpec(*spec.hintFont);
  hintFont.SetColor(spec.hintFontColor);
  SetHintFormFont(hintFont);
}

TURLLink::~TURLLink() {
  if (accessible_) accessible_->Disconnect();
  hintForm_.reset();
  hintFormFont_.reset();
}

bool TURLLink::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_GETDLGCODE: {
      // Enter comes to the link (the dialog would take it for its default button).
      const auto* key = reinterpret_cast<const MSG*>(lParam);
      result = key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN
                   ? DLGC_WANTMESSAGE
                   : 0;
      return true;
    }
    case WM_KEYDOWN:
      if (wParam != VK_RETURN && wParam != VK_SPACE) break;
      // As a left press does.
      Repaint();
      Open();
      result = 0;
      return true;
    case WM_SETFOCUS:
      NotifyWinEvent(EVENT_OBJECT_FOCUS, Handle(), OBJID_CLIENT, CHILDID_SELF);
      break;
    case WM_GETOBJECT: {
      const LinkAccessible::Link link{[this] { return Caption(); },
                                      [this] { return Target(); },
                                      [this] { Open(); }};
      result = LinkAccessible::Answer(Handle(), wParam, lParam, accessible_, link);
      if (result != 0) return true;
      break;
    }
    default:
      break;
  }
  return TCustomLabel::OnMessage(msg, wParam, lParam, result);
}

HWND TURLLink::GetHintForm() const { return hintForm_->Handle(); }

void TURLLink::SetURLtype(TURLtype type) {
  if (urlType_ == type) return;
  urlType_ = type;
  Repaint();
}

void TURLLink::SetLink(std::wstring_view link) {
  if (link_ == link) return;
  link_ = link;
  Repaint();
}

void TURLLink::SetLinkColor(TColor color) {
  if (linkColor_ == color) return;
  linkColor_ = color;
  Repaint();
}

void TURLLink::SetHintFormColor(TColor color) {
  if (hintFormColor_ == color) return;
  hintFormColor_ = color;
  Repaint();
}

void TURLLink::SetHintOffsetX(int offset) {
  if (hintOffsetX_ == offset) return;
  hintOffsetX_ = offset;
  Repaint();
}

void TURLLink::SetHintOffsetY(int offset) {
  if (hintOffsetY_ == offset) return;
  hintOffsetY_ = offset;
  Repaint();
}

void TURLLink::SetEnableShowHint(bool enable) {
  if (enableShowHint_ == enable) return;
  enableShowHint_ = enable;
  Repaint();
}

void TURLLink::SetHintFormFont(const TFont& font) {
  if (&font == hintFormFont_.get()) return;
  hintFormFont_->Assign(font);
  Repaint();
}

void TURLLink::CMMouseEnter(TMessage& message) {
  TCustomLabel::CMMouseEnter(message);
  SavedFontColor = Font().Color();
  Font().SetColor(linkColor_);
  Repaint();
}

void TURLLink::CMMouseLeave(TMessage& message) {
  TCustomLabel::CMMouseLeave(message);
  Font().SetColor(SavedFontColor);
  Repaint();
  if (HintShown) HideHint();
}

void TURLLink::MouseMove(TShiftState, int, int) {
  if (!enableShowHint_) return;
  // Shown once per visit: it does not follow the pointer.
  if (HintShown) return;
  ShowHint();
}

void TURLLink::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  Repaint();
  TCustomLabel::MouseDown(button, shift, x, y);
  if (button != TMouseButton::mbLeft) return;
  Open();
}

std::wstring TURLLink::Target() const {
  // As given: nothing added but the mail scheme, nothing checked.
  return urlType_ == tpMAIL ? L"mailto:" + link_ : link_;
}

void TURLLink::Open() {
  const std::wstring target = Target();
  if (ShellOpen) ShellOpen(nullptr, L"OPEN", target.c_str(), L"", L"", SW_SHOW);
  if (HintShown) HideHint();
}

void TURLLink::ShowHint() {
  // The pointer's place on the screen, not the move's coordinates.
  POINT pointer{};
  GetCursorPos(&pointer);
  HWND hint = hintForm_->Handle();

  hint_.text = link_;
  hint_.background = hintFormColor_;
  hint_.textColor = hintFormFont_->Color();
  hint_.font.Reset(hintFormFont_->Create(Dpi()));

  SIZE text{};
  {
    WindowDC dc(hint);
    SelectedObject font(dc.Get(), hint_.font.Get());
    GetTextExtentPoint32W(dc.Get(), hint_.text.c_str(), static_cast<int>(hint_.text.size()),
                          &text);
  }
  // No border and no caption, so the window is all client area.
  SetWindowPos(hint, HWND_TOPMOST, pointer.x + hintOffsetX_, pointer.y + hintOffsetY_,
               text.cx + kHintExtraWidth, text.cy + kHintExtraHeight, SWP_NOACTIVATE);
  // Shown without activation: the dialog keeps the focus and stays active.
  ShowWindow(hint, SW_SHOWNA);
  InvalidateRect(hint, nullptr, TRUE);
  UpdateWindow(hint);
  HintShown = true;
}

void TURLLink::HideHint() {
  ShowWindow(hintForm_->Handle(), SW_HIDE);
  HintShown = false;
}

}  // namespace kestrova
