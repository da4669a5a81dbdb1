// The list base: a native LISTBOX that the toolkit subclasses, so that every request it gets,
// whoever sends it, passes through Dispatch. Its item collection turns each change of the
// items into native requests: add LB_ADDSTRING, insert LB_INSERTSTRING, delete
// LB_DELETESTRING, clear LB_RESETCONTENT, replace a deletion then an insertion at the same
// position, move a deletion then an insertion at the new position, and assign a reset then one
// addition per line.
#pragma once

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
  TCustomListBox& list_;
};

class TCustomListBox : public TWinControl {
 public:
  TCustomListBox(TForm& owner, const ControlLayout& layout);
  TCustomListBox(HWND parent, const ControlLayout& layout, UINT dpi = 96);
  ~TCustomListBox() override;

  TListItems Items{*this};

  bool Sorted() const { return sorted_; }
  // Changing the order rebuilds the native list, restoring its items through a reset and one
  // addition per item.
  void SetSorted(bool sorted);

  // The per-object message map; the default hands the request to the native list.
  virtual void Dispatch(TMessage& message);
  // The native list's own treatment of a request; produces its result.
  void DefaultHandler(TMessage& message);

  // Sends a request to the native list (through Dispatch, like any other sender's).
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

 protected:
  const wchar_t* WindowClass() const override { return L"LISTBOX"; }
  DWORD Style() const override;
  DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
  void AfterCreate() override;
  void ApplyDpi(UINT dpi) override;

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  bool sorted_ = false;
};

}  // namespace kestrova
