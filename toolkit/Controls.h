// Thin values over the native child controls: panel, single-line edit, push button and
// drop-down list. Each is created from its layout entry, in the owner form's creation order.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "toolkit/Layout.h"
#include "toolkit/Message.h"

namespace kestrova {

class TForm;

// The text of a list or combo item (lengthMsg, textMsg); nothing for a position that names no
// item.
std::optional<std::wstring> ReadItemTextW(HWND hwnd, UINT lengthMsg, UINT textMsg, int index);

class TWinControl {
 public:
  // A control of a form: the form creates its window with its own.
  TWinControl(TForm& owner, const ControlLayout& layout);
  // A free-standing control on any parent window (tests), at the given DPI.
  TWinControl(HWND parent, const ControlLayout& layout, UINT dpi = 96);
  virtual ~TWinControl() = default;
  TWinControl(const TWinControl&) = delete;
  TWinControl& operator=(const TWinControl&) = delete;

  // The native window, created first if it does not exist yet.
  HWND Handle();
  bool HandleAllocated() const { return hwnd_ != nullptr; }
  const ControlLayout& Layout() const { return layout_; }
  int Id() const { return layout_.id; }

  std::wstring Text();
  void SetText(std::wstring_view text);
  void SetFont(HFONT font);
  HFONT Font() const { return font_; }
  void SetBounds(int left, int top, int width, int height);
  void SetFocus() { ::SetFocus(Handle()); }

  // Creates the native window at the layout's place, scaled for the DPI.
  virtual void CreateHandle();
  // The form's DPI changed: the layout's place and the form's font again, at the new DPI.
  virtual void ApplyDpi(UINT dpi);

 protected:
  virtual const wchar_t* WindowClass() const = 0;
  virtual DWORD Style() const { return WS_CHILD | WS_VISIBLE; }
  virtual DWORD ExStyle() const { return 0; }
  // Runs once the native window exists.
  virtual void AfterCreate() {}
  // Height the native window is created with, from the layout's scaled height.
  virtual int CreationHeight(int layoutHeight) const { return layoutHeight; }
  // Destroys the native window (it is re-created on the next Handle()).
  void DestroyHandle();
  UINT Dpi() const;

 private:
  HWND ParentHandle();

  TForm* owner_ = nullptr;
  HWND parent_ = nullptr;
  UINT dpi_ = 96;
  const ControlLayout& layout_;
  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
};

// A container with a raised inner and lowered outer bevel; passes its children's
// notifications on to the form.
class TPanel : public TWinControl {
 public:
  using TWinControl::TWinControl;

 protected:
  const wchar_t* WindowClass() const override;
  DWORD Style() const override { return WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN; }
  DWORD ExStyle() const override { return WS_EX_CONTROLPARENT; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

class TEdit : public TWinControl {
 public:
  using TWinControl::TWinControl;

 protected:
  const wchar_t* WindowClass() const override { return L"EDIT"; }
  DWORD Style() const override { return WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL; }
  DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
};

class TButton : public TWinControl {
 public:
  using TWinControl::TWinControl;

 protected:
  const wchar_t* WindowClass() const override { return L"BUTTON"; }
  DWORD Style() const override { return WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON; }
};

// A drop-down list: the user picks an item but cannot type.
class TComboBox : public TWinControl {
 public:
  using TWinControl::TWinControl;

  int Add(std::wstring_view item);
  int Count();
  std::wstring Item(int index);
  void Clear();
  int ItemIndex();
  void SetItemIndex(int index);
  // Text of the selected item; empty when nothing is selected.
  std::wstring SelectedText();

 protected:
  const wchar_t* WindowClass() const override { return L"COMBOBOX"; }
  DWORD Style() const override {
    return WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
  }
  void AfterCreate() override;
  void ApplyDpi(UINT dpi) override;
  // A drop-down's window height includes its dropped list: room for eight items.
  int CreationHeight(int layoutHeight) const override { return layoutHeight * 9; }
};

}  // namespace kestrova
