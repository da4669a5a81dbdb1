// The list base: a native LISTBOX, subclassed (WindowImpl::Subclass), so that every request it
// gets, whoever sends it, passes through OnMessage first. Its item collection turns
// each change of the items into native requests: add LB_ADDSTRING, insert LB_INSERTSTRING,
// delete LB_DELETESTRING, clear LB_RESETCONTENT, replace a deletion then an insertion at the
// same position, move a deletion then an insertion at the new position, and assign a reset
// then one addition per line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/Controls.h"

namespace kestrova {

class TCustomListBox;

class TListItems {
 public:
  explicit TListItems(TCustomListBox& list) : list_(list) {}

  int Count() const;
  std::wstring Get(int index) const;
  std::vector<std::wstring> Strings() const;

  int Add(std::wstring_view text);
  void Insert(int index, std::wstring_view text);
  void Delete(int index);
  void Clear();
  void Put(int index, std::wstring_view text);
  void Move(int from, int to);
  void Assign(const std::vector<std::wstring>& lines);

 private:
  LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;

  TCustomListBox& list_;
};

class TCustomListBox : public TWinControl {
 public:
  TCustomListBox(TForm& owner, const ControlLayout& layout);
  TCustomListBox(HWND parent, const ControlLayout& layout, UINT dpi = 96);

  TListItems Items{*this};

  bool Sorted() const { return sorted_; }
  // Changing the order rebuilds the native list, restoring its items through a reset and one
  // addition per item.
  void SetSorted(bool sorted);

  // The selected line; -1 for none. Selecting -1 selects none.
  int ItemIndex() const;
  void SetItemIndex(int index);
  // The number kept with a line (LB_SETITEMDATA); 0 for a position that names no line.
  LPARAM ItemData(int index) const;
  void SetItemData(int index, LPARAM data);
  // The line's rectangle in the list's client coordinates; nothing for a position that names no
  // line.
  std::optional<RECT> ItemRect(int index) const;
  // The line at a point of the list's client area; -1 where there is none.
  int ItemAt(POINT client) const;

  void ApplyDpi(UINT dpi) override;

 private:
  void CreateList();
  void SetItemHeight();

  bool sorted_ = false;
};

}  // namespace kestrova
