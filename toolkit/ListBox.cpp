#include "toolkit/ListBox.h"

#include <algorithm>

#include "resources/resource.h"
#include "toolkit/Application.h"

namespace kestrova {

namespace {

constexpr UINT_PTR kSubclassId = 1;

}  // namespace

// Item collection

int TListItems::Count() const { return static_cast<int>(list_.Perform(LB_GETCOUNT)); }

std::wstring TListItems::Get(int index) const {
  std::optional<std::wstring> text =
      ReadItemTextW(list_.Handle(), LB_GETTEXTLEN, LB_GETTEXT, index);
  if (!text) throw Exception(LoadStr(IDS_LIST_INDEX_ERROR));
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
  LRESULT result = list_.Perform(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(copy.c_str()));
  if (result < 0) throw Exception(LoadStr(IDS_LIST_INSERT_ERROR));
  return static_cast<int>(result);
}

void TListItems::Insert(int index, std::wstring_view text) {
  const std::wstring copy(text);
  LRESULT result = list_.Perform(LB_INSERTSTRING, static_cast<WPARAM>(index),
                                 reinterpret_cast<LPARAM>(copy.c_str()));
  if (result < 0) throw Exception(LoadStr(IDS_LIST_INSERT_ERROR));
}

void TListItems::Delete(int index) { list_.Perform(LB_DELETESTRING, static_cast<WPARAM>(index)); }

void TListItems::Clear() { list_.Perform(LB_RESETCONTENT); }

void TListItems::Put(int index, std::wstring_view text) {
  const int selected = static_cast<int>(list_.Perform(LB_GETCURSEL));
  Delete(index);
  Insert(index, text);
  if (selected >= 0) list_.Perform(LB_SETCURSEL, static_cast<WPARAM>(selected));
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
    : TWinControl(owner, layout) {}

TCustomListBox::TCustomListBox(HWND parent, const ControlLayout& layout, UINT dpi)
    : TWinControl(parent, layout, dpi) {}

TCustomListBox::~TCustomListBox() {
  if (HandleAllocated()) RemoveWindowSubclass(Handle(), SubclassProc, kSubclassId);
}

DWORD TCustomListBox::Style() const {
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY |
                LBS_NOINTEGRALHEIGHT;
  if (sorted_) style |= LBS_SORT;
  return style;
}

void TCustomListBox::AfterCreate() {
  SetWindowSubclass(Handle(), SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  if (Layout().itemHeight > 0) {
    DefSubclassProc(Handle(), LB_SETITEMHEIGHT, 0, ScaleForDpi(Layout().itemHeight, Dpi()));
  }
}

void TCustomListBox::ApplyDpi(UINT dpi) {
  TWinControl::ApplyDpi(dpi);
  if (Layout().itemHeight > 0) {
    DefSubclassProc(Handle(), LB_SETITEMHEIGHT, 0, ScaleForDpi(Layout().itemHeight, dpi));
  }
}

void TCustomListBox::SetSorted(bool sorted) {
  if (sorted_ == sorted) return;
  sorted_ = sorted;
  if (!HandleAllocated()) return;
  const std::vector<std::wstring> saved = Items.Strings();
  RemoveWindowSubclass(Handle(), SubclassProc, kSubclassId);
  DestroyHandle();
  Handle();
  if (!saved.empty()) Items.Assign(saved);
}

LRESULT TCustomListBox::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  return SendMessageW(Handle(), msg, wParam, lParam);
}

void TCustomListBox::Dispatch(TMessage& message) { DefaultHandler(message); }

void TCustomListBox::DefaultHandler(TMessage& message) {
  message.Result = DefSubclassProc(Handle(), message.Msg, message.WParam, message.LParam);
}

LRESULT CALLBACK TCustomListBox::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR id, DWORD_PTR self) {
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, SubclassProc, id);
    return DefSubclassProc(hwnd, msg, wParam, lParam);
  }
  auto* list = reinterpret_cast<TCustomListBox*>(self);
  TMessage message{msg, wParam, lParam, 0};
  try {
    list->Dispatch(message);
  } catch (...) {
    Application.HandleException();
  }
  return message.Result;
}

}  // namespace kestrova
