#include "controls/ListBoxEx.h"

#include <climits>

#include "toolkit/Handles.h"

namespace kestrova {

TListBoxEx::TListBoxEx(TForm& owner, const ControlLayout& layout)
    : TCustomListBox(owner, layout) {}

TListBoxEx::TListBoxEx(HWND parent, const ControlLayout& layout, UINT dpi)
    : TCustomListBox(parent, layout, dpi) {}

void TListBoxEx::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DIR:
    case LB_ADDFILE:
      LBAdd(message);
      return;
    case LB_DELETESTRING:
      LBDelete(message);
      return;
    case LB_RESETCONTENT:
      LBResetContent(message);
      return;
    default:
      TCustomListBox::Dispatch(message);
      return;
  }
}

void TListBoxEx::SetExtent(long long extent) {
  // A negative extent has no meaning to the native list.
  if (extent < 0) extent = 0;
  if (extent > INT_MAX) extent = INT_MAX;
  Perform(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent));
}

int TListBoxEx::GetTextWidth(int index) {
  // The length, then a copy of the text; read wide, as the native list keeps it.
  std::optional<std::wstring> text = ReadItemTextW(Handle(), LB_GETTEXTLEN, LB_GETTEXT, index);
  if (!text || text->empty()) return 0;

  // Measured in the list's own font, the one its lines are drawn with, as one run.
  HFONT font = reinterpret_cast<HFONT>(Perform(WM_GETFONT));
  if (font == nullptr) font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  WindowDC dc(Handle());
  SelectedObject selected(dc.Get(), font);
  SIZE size{};
  GetTextExtentPoint32W(dc.Get(), text->data(), static_cast<int>(text->size()), &size);
  return size.cx;
}

void TListBoxEx::LBAdd(TMessage& message) {
  DefaultHandler(message);
  int width = GetTextWidth(static_cast<int>(message.Result));
  if (width > FMaxItemWidth) {
    SetExtent(static_cast<long long>(width) + FSpace);
    FMaxItemWidth = width;
  }
}

void TListBoxEx::LBDelete(TMessage& message) {
  int width = GetTextWidth(static_cast<int>(message.WParam));
  DefaultHandler(message);
  if (width < FMaxItemWidth) return;

  // The widest line went, or one as wide: look at every line left.
  Remeasure();
}

void TListBoxEx::Remeasure() {
  int count = static_cast<int>(Perform(LB_GETCOUNT));
  int widest = 0;
  for (int i = 0; i < count; ++i) {
    int w = GetTextWidth(i);
    if (w > widest) widest = w;
  }
  SetExtent(static_cast<long long>(widest) + FSpace);
  FMaxItemWidth = widest;
}

void TListBoxEx::LBResetContent(TMessage& message) {
  DefaultHandler(message);
  SetExtent(FSpace);
  FMaxItemWidth = 0;
}

void TListBoxEx::SetSpace(int space) {
  SetExtent(static_cast<long long>(FMaxItemWidth) + space);
  FSpace = space;
}

}  // namespace kestrova
