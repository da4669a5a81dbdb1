// The controls of a form: the panel, single-line edit, push button, static text, drop-down list
// and picture. Each owns its window, created by its constructor from its layout entry (in the
// form's creation order, which is tab order), and destroyed with it. The edit, button, static
// text and drop-down list are native controls that keep their own procedures; the panel and the
// picture are windows of classes of ours and get their messages in OnMessage.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "toolkit/Handles.h"
#include "toolkit/Layout.h"
#include "toolkit/Window.h"

namespace kestrova {

class TForm;

// The text of a list or combo item (lengthMsg, textMsg); nothing for a position that names no
// item.
std::optional<std::wstring> ReadItemText(HWND hwnd, UINT lengthMsg, UINT textMsg, int index);

class TWinControl : public WindowImpl {
 public:
  ~TWinControl() override;

  const ControlLayout& Layout() const { return layout_; }
  int Id() const { return layout_.id; }

  HFONT Font() const { return font_; }
  void SetFont(HFONT font);

  // The form's DPI changed: the layout's place and the form's font again, at the new DPI.
  virtual void ApplyDpi(UINT dpi);

 protected:
  // A control of a form; the derived constructor creates its window.
  TWinControl(TForm& owner, const ControlLayout& layout);
  // A free-standing control on any parent window, at the given DPI.
  TWinControl(HWND parent, const ControlLayout& layout, UINT dpi);

  // Creates the native control, at the layout's place scaled for the DPI (height: the
  // window's height at 96 DPI where it is not the layout's), with the form's font.
  void CreateNativeControl(const wchar_t* className, DWORD style, DWORD exStyle, int height = 0);
  void CreateOwnControl(const WindowClass& windowClass, DWORD style, DWORD exStyle);
  UINT Dpi() const;
  // The window's place at the current DPI.
  RECT PlaceAtDpi(int height = 0) const;

 private:
  HWND ParentHandle() const;

  TForm* owner_ = nullptr;
  HWND parent_ = nullptr;
  UINT dpi_ = 96;
  const ControlLayout& layout_;
  HFONT font_ = nullptr;
};

// A container with a raised inner and lowered outer bevel; passes its children's
// notifications on to the form.
class TPanel : public TWinControl {
 public:
  TPanel(TForm& owner, const ControlLayout& layout);

 protected:
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

class TEdit : public TWinControl {
 public:
  TEdit(TForm& owner, const ControlLayout& layout);
};

class TButton : public TWinControl {
 public:
  TButton(TForm& owner, const ControlLayout& layout);
};

// The platform's static text: a label whose access key ("&" before a character) the dialog
// manager hands to the control after it, which screen readers also name after it.
class TStaticText : public TWinControl {
 public:
  TStaticText(TForm& owner, const ControlLayout& layout);
};

// A drop-down list: the user picks an item but cannot type.
class TComboBox : public TWinControl {
 public:
  TComboBox(TForm& owner, const ControlLayout& layout);

  int Add(std::wstring_view item);
  int Count() const;
  std::wstring Item(int index) const;
  void Clear();
  int ItemIndex() const;
  void SetItemIndex(int index);
  // Text of the selected item; empty when nothing is selected.
  std::wstring SelectedText() const;

  void ApplyDpi(UINT dpi) override;

 private:
  void SetItemHeight();
};

// A picture: a bitmap resource drawn stretched over the control.
class TImage : public TWinControl {
 public:
  TImage(TForm& owner, const ControlLayout& layout, UINT bitmapId);


 protected:
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  BitmapHandle bitmap_;
};

}  // namespace kestrova
