#include "controls/ListBoxEx.h"

#include <climits>

#include "toolkit/Handles.h"

namespace kestrova {

TListBoxEx::TListBoxEx(TForm& owner, const ControlLayout& layout)
    : TCustomListBox(owner, layout) {}

TListBoxEx::TListBoxEx(HWND parent, const ControlLayout& layout, UINT dpi)
    : TCustomListBox(parent, layout, dpi) {}

bool TListBoxEx::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  TMessage message{msg, wParam, lParam, 0};
  switch (msg) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DIR:
    case LB_ADDFILE:
      LBAdd(message);
      break;
    case LB_DELETESTRING:
      LBDelete(message);
      break;
    case LB_RESETCONTENT:
      LBResetContent(message);
      break;
    case WM_SETFONT:
      // The measuring DC takes the new font, letting go of the old one before its owner
      // deletes it.
      CallDefault(message);
      SelectMeasuringFont(reinterpret_cast<HFONT>(wParam));
      break;
    default:
      return TCustomListBox::OnMessage(msg, wParam, lParam, result);
  }
  result = message.Result;
  return true;
}

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
    SetExtent(static_cast<long long>(width) + FSpace);
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
  SetExtent(static_cast<long long>(widest) + FSpace);
  FMaxItemWidth = widest;
}

void TListBoxEx::LBResetContent(TMessage& message) {
  CallDefault(message);
  SetExtent(FSpace);
  FMaxItemWidth = 0;
}

void TListBoxEx::SetSpace(int space) {
  SetExtent(static_cast<long long>(FMaxItemWidth) + space);
  FSpace = space;
}

}  // namespace kestrova
