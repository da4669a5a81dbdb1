#include "controls/ListBoxEx.h"

#include <algorithm>
#include <climits>

#include "controls/ListAccessible.h"
#include "toolkit/Handles.h"
#include "toolkit/System.h"

namespace kestrova {

TListBoxEx::TListBoxEx(TForm& owner, const ControlLayout& layout)
    : TCustomListBox(owner, layout) {}

TListBoxEx::TListBoxEx(HWND parent, const ControlLayout& layout, UINT dpi)
    : TCustomListBox(parent, layout, dpi) {}

TListBoxEx::~TListBoxEx() {
  if (accessible_) accessible_->Disconnect();
}

bool TListBoxEx::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  TMessage message{msg, wParam, lParam, 0};
  switch (msg) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DIR:
    case LB_ADDFILE:
    case LB_DELETESTRING:
    case LB_RESETCONTENT: {
      const bool hasEmptyText = !emptyText_.empty();
      const bool wasEmpty = hasEmptyText && Items.Count() == 0;
      Dispatch(&message);
      // Lines moved or went: a tip shown for one of them would stand beside another.
      if (msg == LB_DELETESTRING || msg == LB_RESETCONTENT || msg == LB_INSERTSTRING) {
        HideKeyTip();
      }
      // The empty list's text comes or goes as a whole: the list draws only its lines' places.
      if (hasEmptyText && wasEmpty != (Items.Count() == 0)) {
        InvalidateRect(Handle(), nullptr, TRUE);
      }
      break;
    }
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      if (emptyText_.empty() || Items.Count() != 0) {
        return TCustomListBox::OnMessage(msg, wParam, lParam, result);
      }
      // The list paints itself (its background, its focus rectangle) into the DC, then the text
      // goes over it.
      if (wParam != 0) {
        message.Result = CallDefault(msg, wParam, lParam);
        PaintEmptyText(reinterpret_cast<HDC>(wParam));
        break;
      }
      PaintScope paint(Handle());
      message.Result = CallDefault(WM_PAINT, reinterpret_cast<WPARAM>(paint.Dc()), 0);
      PaintEmptyText(paint.Dc());
      break;
    }
    case WM_KEYDOWN:
      if (wParam == 'C' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
        SendMessageW(Handle(), WM_COPY, 0, 0);
        break;
      }
      message.Result = CallDefault(msg, wParam, lParam);
      FollowSelection(true);
      break;
    case WM_CHAR:
      // A character selects the next line that begins with it.
      message.Result = CallDefault(msg, wParam, lParam);
      FollowSelection(true);
      break;
    case LB_SETCURSEL:
      message.Result = CallDefault(msg, wParam, lParam);
      FollowSelection(false);
      break;
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
      message.Result = CallDefault(msg, wParam, lParam);
      if (keyLine_ >= 0) PlaceKeyTip();
      break;
    case WM_KILLFOCUS:
    case WM_CONTEXTMENU:
      // The focus went, or the menu opens where the tip stands.
      HideKeyTip();
      return TCustomListBox::OnMessage(msg, wParam, lParam, result);
    case WM_DESTROY:
      HideKeyTip();
      keyTip_.Reset();
      if (accessible_) accessible_->Disconnect();
      accessible_.Reset();
      return TCustomListBox::OnMessage(msg, wParam, lParam, result);
    case WM_GETOBJECT:
      message.Result = ListAccessible::Answer(Handle(), wParam, lParam, accessible_,
                                              [this](long child) { return Description(child); });
      if (message.Result == 0) return TCustomListBox::OnMessage(msg, wParam, lParam, result);
      break;
    case WM_SETFONT:
      // The measuring DC takes the new font, letting go of the old one before its owner
      // deletes it.
      CallDefault(message);
      SelectMeasuringFont(reinterpret_cast<HFONT>(wParam));
      break;
    case WM_COPY:
      SetClipboardText(Handle(), CopyText());
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      // A press is the pointer's turn: the keyboard's tip goes.
      HideKeyTip();
      TrackTip(msg, wParam, lParam);
      return TCustomListBox::OnMessage(msg, wParam, lParam, result);
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MOUSELEAVE:
      TrackTip(msg, wParam, lParam);
      return TCustomListBox::OnMessage(msg, wParam, lParam, result);
    case WM_NOTIFY: {
      auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
      const HWND from = info->hdr.hwndFrom;
      if (from == nullptr || (from != tooltip_.Get() && from != keyTip_.Get()) ||
          info->hdr.code != TTN_GETDISPINFOW) {
        return TCustomListBox::OnMessage(msg, wParam, lParam, result);
      }
      if (from == keyTip_.Get()) {
        info->lpszText = keyTipText_.data();
        info->szText[0] = L'\0';
        info->hinst = nullptr;
        break;
      }
      tipText_ = tip_ && tipLine_ >= 0 ? tip_(tipLine_) : std::wstring();
      info->lpszText = tipText_.data();
      info->szText[0] = L'\0';
      info->hinst = nullptr;
      break;
    }
    case WM_SIZE:
      if (tooltip_.Get() != nullptr) {
        TOOLINFOW tool{sizeof(tool), 0, Handle(), 1};
        GetClientRect(Handle(), &tool.rect);
        SendMessageW(tooltip_.Get(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
      }
      // The empty list's text stays in the middle.
      if (!emptyText_.empty() && Items.Count() == 0) InvalidateRect(Handle(), nullptr, TRUE);
      if (keyLine_ >= 0) PlaceKeyTip();
      return TCustomListBox::OnMessage(msg, wParam, lParam, result);
    default:
      return TCustomListBox::OnMessage(msg, wParam, lParam, result);
  }
  result = message.Result;
  return true;
}

void TListBoxEx::Dispatch(void* message) {
  TMessage& request = *static_cast<TMessage*>(message);
  switch (request.Msg) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DIR:
    case LB_ADDFILE:
      LBAdd(request);
      break;
    case LB_DELETESTRING:
      LBDelete(request);
      break;
    case LB_RESETCONTENT:
      LBResetContent(request);
      break;
    default:
      CallDefault(request);
      break;
  }
}

void Register() {}

void TListBoxEx::SetExtent(long long extent) {
  // A negative extent has no meaning to the native list.
  if (extent < 0) extent = 0;
  if (extent > INT_MAX) extent = INT_MAX;
  SendMessageW(Handle(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent), 0);
}

int TListBoxEx::GetTextWidth(int index) const {
  // The length, then a copy of the text, into a buffer kept from line to line.
  const LRESULT length = SendMessageW(Handle(), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return 0;
  if (text_.size() < static_cast<std::size_t>(length) + 1) text_.resize(length + 1);
  const LRESULT copied = SendMessageW(Handle(), LB_GETTEXT, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(text_.data()));
  if (copied <= 0) return 0;

  // Measured in the list's own font, the one its lines are drawn with, as one run.
  if (!measuring_) {
    measuring_.Reset(CreateCompatibleDC(nullptr));
    SelectMeasuringFont(reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0)));
  }
  SIZE size{};
  GetTextExtentPoint32W(measuring_.Get(), text_.data(), static_cast<int>(copied), &size);
  return size.cx;
}

void TListBoxEx::SelectMeasuringFont(HFONT font) const {
  if (!measuring_) return;
  SelectObject(measuring_.Get(), font != nullptr ? font : GetStockObject(SYSTEM_FONT));
}

void TListBoxEx::LBAdd(TMessage& message) {
  CallDefault(message);
  const int width = GetTextWidth(static_cast<int>(message.Result));
  if (width > FMaxItemWidth) {
    SetExtent(static_cast<long long>(width) + space_);
    FMaxItemWidth = width;
  }
}

void TListBoxEx::LBDelete(TMessage& message) {
  const int width = GetTextWidth(static_cast<int>(message.WParam));
  CallDefault(message);
  if (width < FMaxItemWidth) return;

  // The widest line went, or one as wide: look at every line left.
  Remeasure();
}

void TListBoxEx::Remeasure() {
  const int count = static_cast<int>(SendMessageW(Handle(), LB_GETCOUNT, 0, 0));
  int widest = 0;
  for (int i = 0; i < count; ++i) {
    const int w = GetTextWidth(i);
    if (w > widest) widest = w;
  }
  SetExtent(static_cast<long long>(widest) + space_);
  FMaxItemWidth = widest;
}

void TListBoxEx::LBResetContent(TMessage& message) {
  CallDefault(message);
  SetExtent(space_);
  FMaxItemWidth = 0;
}

void TListBoxEx::SetItemTips(std::function<std::wstring(int)> tip) { tip_ = std::move(tip); }

void TListBoxEx::CreateTooltip() {
  tooltip_.Reset(CreateNativeWindow(TOOLTIPS_CLASSW, WS_EX_TOPMOST,
                                    WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, L"", RECT{},
                                    GetAncestor(Handle(), GA_ROOT), 0));
  // One tool over the whole list; its text is asked for (TTN_GETDISPINFOW, to the list) each
  // time it shows, for the line under the pointer.
  TOOLINFOW tool{sizeof(tool), 0, Handle(), 1};
  GetClientRect(Handle(), &tool.rect);
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  SendMessageW(tooltip_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  // Long reasons wrap instead of running off the screen.
  SendMessageW(tooltip_.Get(), TTM_SETMAXTIPWIDTH, 0, 600);
}

void TListBoxEx::TrackTip(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!tip_) return;
  // Made when first needed: a tooltip is a window of its own, which the start can do without.
  if (tooltip_.Get() == nullptr) CreateTooltip();
  MSG relayed{Handle(), msg, wParam, lParam, 0, {}};
  SendMessageW(tooltip_.Get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  if (msg != WM_MOUSEMOVE) return;
  const LRESULT hit = SendMessageW(Handle(), LB_ITEMFROMPOINT, 0, lParam);
  // The high word says the point is past the last line.
  const int line = HIWORD(hit) != 0 ? -1 : static_cast<int>(LOWORD(hit));
  if (line == tipLine_) return;
  tipLine_ = line;
  // Another line: the tip goes and comes back with that line's text (or not at all).
  SendMessageW(tooltip_.Get(), TTM_POP, 0, 0);
  const bool hasTip = tip_ && line >= 0 && !tip_(line).empty();
  SendMessageW(tooltip_.Get(), TTM_ACTIVATE, hasTip ? TRUE : FALSE, 0);
}

std::wstring TListBoxEx::CopyText() const {
  std::wstring text;
  const int count = static_cast<int>(SendMessageW(Handle(), LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    text += ReadItemText(Handle(), LB_GETTEXTLEN, LB_GETTEXT, i).value_or(L"");
    const std::wstring tip = tip_ ? tip_(i) : std::wstring();
    if (!tip.empty()) text += L"\t" + tip;
    text += L"\r\n";
  }
  return text;
}

void TListBoxEx::FollowSelection(bool fromKeyboard) {
  const int line = ItemIndex();
  if (line == keyLine_) return;
  HideKeyTip();
  if (!fromKeyboard || line < 0 || !tip_) return;
  keyTipText_ = tip_(line);
  if (keyTipText_.empty()) return;
  if (keyTip_.Get() == nullptr) {
    keyTip_.Reset(CreateNativeWindow(TOOLTIPS_CLASSW, WS_EX_TOPMOST,
                                     WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, L"", RECT{},
                                     GetAncestor(Handle(), GA_ROOT), 0));
    // Shown and placed by the list (tracking), its text asked for (TTN_GETDISPINFOW).
    TOOLINFOW tool{sizeof(tool), TTF_TRACK | TTF_ABSOLUTE, Handle(), 1};
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(keyTip_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(keyTip_.Get(), TTM_SETMAXTIPWIDTH, 0, 600);
  }
  keyLine_ = line;
  PlaceKeyTip();
}

void TListBoxEx::PlaceKeyTip() {
  if (keyTip_.Get() == nullptr || keyLine_ < 0) return;
  TOOLINFOW tool{sizeof(tool), 0, Handle(), 1};
  RECT client{};
  GetClientRect(Handle(), &client);
  const std::optional<RECT> place = ItemRect(keyLine_);
  // Out of sight, the line has no tip to show; it comes back with the line.
  if (!place || place->bottom <= client.top || place->top >= client.bottom) {
    SendMessageW(keyTip_.Get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    return;
  }
  // Right under the line, from its start (or the list's edge, when it is scrolled sideways).
  POINT at{std::max(place->left, client.left), place->bottom};
  ClientToScreen(Handle(), &at);
  SendMessageW(keyTip_.Get(), TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
  SendMessageW(keyTip_.Get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void TListBoxEx::HideKeyTip() {
  if (keyLine_ < 0) return;
  keyLine_ = -1;
  TOOLINFOW tool{sizeof(tool), 0, Handle(), 1};
  SendMessageW(keyTip_.Get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

void TListBoxEx::SetEmptyText(std::wstring text) {
  emptyText_ = std::move(text);
  if (Items.Count() == 0) InvalidateRect(Handle(), nullptr, TRUE);
}

void TListBoxEx::PaintEmptyText(HDC dc) const {
  RECT client{};
  GetClientRect(Handle(), &client);
  const auto font = reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
  SelectedObject selected(dc, font != nullptr ? static_cast<HGDIOBJ>(font)
                                              : GetStockObject(SYSTEM_FONT));
  const UINT format = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
  const int length = static_cast<int>(emptyText_.size());
  // Its height at the list's width, then the same text in the middle.
  RECT measured = client;
  DrawTextW(dc, emptyText_.c_str(), length, &measured, format | DT_CALCRECT);
  RECT place = client;
  place.top = client.top + std::max(0L, (client.bottom - client.top -
                                         (measured.bottom - measured.top)) / 2);
  // The DC may be a caller's (WM_PRINTCLIENT): it gets back what it had.
  const int mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF color = SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  DrawTextW(dc, emptyText_.c_str(), length, &place, format);
  SetTextColor(dc, color);
  SetBkMode(dc, mode);
}

std::optional<std::wstring> TListBoxEx::Description(long child) const {
  const int count = Items.Count();
  if (child == CHILDID_SELF) {
    if (count != 0 || emptyText_.empty()) return std::nullopt;
    std::wstring text = emptyText_;
    std::replace(text.begin(), text.end(), L'\n', L' ');
    return text;
  }
  if (child < 1 || child > count || !tip_) return std::nullopt;
  std::wstring tip = tip_(static_cast<int>(child) - 1);
  if (tip.empty()) return std::nullopt;
  return tip;
}

void TListBoxEx::SetSpace(int space) {
  SetExtent(static_cast<long long>(FMaxItemWidth) + space);
  space_ = space;
}

}  // namespace kestrova
