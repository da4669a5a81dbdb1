#include "toolkit/ListBox.h"

#include "toolkit/Error.h"
#include "toolkit/TextRules.h"

namespace kestrova {

// Item collection

LRESULT TListItems::Send(UINT msg, WPARAM wParam, LPARAM lParam) const {
  return SendMessageW(list_.Handle(), msg, wParam, lParam);
}

int TListItems::Count() const { return static_cast<int>(Send(LB_GETCOUNT)); }

std::wstring TListItems::Get(int index) const {
  std::optional<std::wstring> text = ReadItemText(list_.Handle(), LB_GETTEXTLEN, LB_GETTEXT, index);
  if (!text) throw Error(Error::Kind::ListIndex, DecimalText(index));
  return std::move(*text);
}

std::vector<std::wstring> TListItems::Strings() const {
  std::vector<std::wstring> lines;
  const int count = Count();
  lines.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) lines.push_back(Get(i));
  return lines;
}

int TListItems::Add(std::wstring_view text) {
  const std::wstring copy(text);
  const LRESULT result = Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(copy.c_str()));
  if (result < 0) throw Error(Error::Kind::ListInsert, copy);
  return static_cast<int>(result);
}

void TListItems::Insert(int index, std::wstring_view text) {
  const std::wstring copy(text);
  const LRESULT result = Send(LB_INSERTSTRING, static_cast<WPARAM>(index),
                              reinterpret_cast<LPARAM>(copy.c_str()));
  if (result < 0) throw Error(Error::Kind::ListInsert, copy);
}

void TListItems::Delete(int index) { Send(LB_DELETESTRING, static_cast<WPARAM>(index)); }

void TListItems::Clear() { Send(LB_RESETCONTENT); }

void TListItems::Put(int index, std::wstring_view text) {
  const int selected = static_cast<int>(Send(LB_GETCURSEL));
  Delete(index);
  Insert(index, text);
  if (selected >= 0) Send(LB_SETCURSEL, static_cast<WPARAM>(selected));
}

void TListItems::Move(int from, int to) {
  if (from == to) return;
  const std::wstring text = Get(from);
  Delete(from);
  Insert(to, text);
}

void TListItems::Assign(const std::vector<std::wstring>& lines) {
  Clear();
  for (const std::wstring& line : lines) Add(line);
}

// List base

TCustomListBox::TCustomListBox(TForm& owner, const ControlLayout& layout)
    : TWinControl(owner, layout) {
  CreateList();
}

TCustomListBox::TCustomListBox(HWND parent, const ControlLayout& layout, UINT dpi)
    : TWinControl(parent, layout, dpi) {
  CreateList();
}

void TCustomListBox::CreateList() {
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY |
                LBS_NOINTEGRALHEIGHT;
  if (sorted_) style |= LBS_SORT;
  CreateNativeControl(L"LISTBOX", style, WS_EX_CLIENTEDGE);
  Subclass();
  SetItemHeight();
}

void TCustomListBox::SetItemHeight() {
  if (Layout().itemHeight > 0) {
    CallDefault(LB_SETITEMHEIGHT, 0, ScaleForDpi(Layout().itemHeight, Dpi()));
  }
}

int TCustomListBox::ItemIndex() const {
  return static_cast<int>(SendMessageW(Handle(), LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int index) {
  SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

LPARAM TCustomListBox::ItemData(int index) const {
  if (index < 0) return 0;
  const LRESULT data = SendMessageW(Handle(), LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
  return data == LB_ERR ? 0 : data;
}

void TCustomListBox::SetItemData(int index, LPARAM data) {
  SendMessageW(Handle(), LB_SETITEMDATA, static_cast<WPARAM>(index), data);
}

std::optional<RECT> TCustomListBox::ItemRect(int index) const {
  RECT place{};
  if (index < 0 || SendMessageW(Handle(), LB_GETITEMRECT, static_cast<WPARAM>(index),
                                reinterpret_cast<LPARAM>(&place)) == LB_ERR) {
    return std::nullopt;
  }
  return place;
}

int TCustomListBox::ItemAt(POINT client) const {
  // The high word says the point lies outside every line (the nearest one is in the low word).
  const LRESULT hit =
      SendMessageW(Handle(), LB_ITEMFROMPOINT, 0, MAKELPARAM(client.x, client.y));
  return HIWORD(hit) == 0 ? LOWORD(hit) : -1;
}

void TCustomListBox::ApplyDpi(UINT dpi) {
  TWinControl::ApplyDpi(dpi);
  SetItemHeight();
}

void TCustomListBox::SetSorted(bool sorted) {
  if (sorted_ == sorted) return;
  sorted_ = sorted;
  const std::vector<std::wstring> saved = Items.Strings();
  const HFONT font = Font();
  RECT bounds{};
  GetWindowRect(Handle(), &bounds);
  MapWindowPoints(HWND_DESKTOP, GetParent(Handle()), reinterpret_cast<POINT*>(&bounds), 2);
  Destroy();
  CreateList();
  SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
  if (font != nullptr) SetFont(font);
  if (!saved.empty()) Items.Assign(saved);
}

}  // namespace kestrova
