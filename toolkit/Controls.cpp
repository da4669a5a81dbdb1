#include "toolkit/Controls.h"

#include <algorithm>

#include "toolkit/Error.h"
#include "toolkit/Form.h"
#include "toolkit/Text.h"

namespace kestrova {

std::optional<std::wstring> ReadItemText(HWND hwnd, UINT lengthMsg, UINT textMsg, int index) {
  if (index < 0) return std::nullopt;
  const LRESULT length = SendMessageW(hwnd, lengthMsg, static_cast<WPARAM>(index), 0);
  if (length < 0) return std::nullopt;
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied = SendMessageW(hwnd, textMsg, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(text.data()));
  if (copied < 0) return std::nullopt;
  text.resize(text.find(L'\0'));
  return text;
}

// Control base

TWinControl::TWinControl(TForm& owner, const ControlLayout& layout)
    : owner_(&owner), layout_(layout) {
  owner.AddControl(this);
}

TWinControl::TWinControl(HWND parent, const ControlLayout& layout, UINT dpi)
    : parent_(parent), dpi_(dpi), layout_(layout) {}

TWinControl::~TWinControl() {
  if (owner_ != nullptr) owner_->RemoveControl(this);
}

UINT TWinControl::Dpi() const { return owner_ != nullptr ? owner_->Dpi() : dpi_; }

HWND TWinControl::ParentHandle() const {
  if (owner_ == nullptr) return parent_;
  if (layout_.parent != 0) {
    if (TWinControl* parent = owner_->FindControl(layout_.parent)) return parent->Handle();
  }
  return owner_->Handle();
}

RECT TWinControl::PlaceAtDpi(int height) const {
  const UINT dpi = Dpi();
  const int left = ScaleForDpi(layout_.left, dpi);
  const int top = ScaleForDpi(layout_.top, dpi);
  return RECT{left, top, left + ScaleForDpi(layout_.width, dpi),
              top + ScaleForDpi(height > 0 ? height : layout_.height, dpi)};
}

void TWinControl::CreateNativeControl(const wchar_t* className, DWORD style, DWORD exStyle,
                                      int height) {
  const std::wstring text = layout_.textId != 0 ? LoadStr(layout_.textId) : L"";
  CreateNative(className, exStyle, style, text.c_str(), PlaceAtDpi(height), ParentHandle(),
               layout_.id);
  if (owner_ != nullptr) SetFont(owner_->Font());
}

void TWinControl::CreateOwnControl(const WindowClass& windowClass, DWORD style, DWORD exStyle) {
  const std::wstring text = layout_.textId != 0 ? LoadStr(layout_.textId) : L"";
  Create(windowClass, exStyle, style, text.c_str(), PlaceAtDpi(), ParentHandle(), layout_.id);
}

void TWinControl::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  if (layout_.font == nullptr && owner_ != nullptr) SetFont(owner_->Font());
  const RECT place = PlaceAtDpi();
  SetBounds(place.left, place.top, place.right - place.left, place.bottom - place.top);
}

void TWinControl::SetFont(HFONT font) {
  font_ = font;
  SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

// Panel

TPanel::TPanel(TForm& owner, const ControlLayout& layout) : TWinControl(owner, layout) {
  static const WindowClass kClass{L"TPanel", 0, IDC_ARROW, COLOR_BTNFACE};
  CreateOwnControl(kClass, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
}

bool TPanel::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_PAINT: {
      const PaintScope paint(Handle());
      RECT client = paint.Client();
      DrawEdge(paint.Dc(), &client, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
      result = 0;
      return true;
    }
    case WM_SIZE:
      InvalidateRect(Handle(), nullptr, TRUE);
      return false;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      // The form handles its controls' notifications, wherever they sit.
      result = SendMessageW(GetParent(Handle()), msg, wParam, lParam);
      return true;
    default:
      return false;
  }
}

// Edit, button and static text

TEdit::TEdit(TForm& owner, const ControlLayout& layout) : TWinControl(owner, layout) {
  CreateNativeControl(L"EDIT", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                      WS_EX_CLIENTEDGE);
}

TButton::TButton(TForm& owner, const ControlLayout& layout) : TWinControl(owner, layout) {
  CreateNativeControl(L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0);
}

TStaticText::TStaticText(TForm& owner, const ControlLayout& layout) : TWinControl(owner, layout) {
  CreateNativeControl(L"STATIC", WS_CHILD | WS_VISIBLE | SS_LEFT, 0);
}

// Combo box

TComboBox::TComboBox(TForm& owner, const ControlLayout& layout) : TWinControl(owner, layout) {
  // A drop-down's window height includes its dropped list: room for eight items.
  CreateNativeControl(L"COMBOBOX",
                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0,
                      layout.height * 9);
  SetItemHeight();
}

void TComboBox::SetItemHeight() {
  if (Layout().itemHeight > 0) {
    SendMessageW(Handle(), CB_SETITEMHEIGHT, 0, ScaleForDpi(Layout().itemHeight, Dpi()));
  }
}

void TComboBox::ApplyDpi(UINT dpi) {
  TWinControl::ApplyDpi(dpi);
  const RECT place = PlaceAtDpi(Layout().height * 9);
  SetWindowPos(Handle(), nullptr, 0, 0, place.right - place.left, place.bottom - place.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetItemHeight();
}

int TComboBox::Add(std::wstring_view item) {
  const std::wstring copy(item);
  return static_cast<int>(
      SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(copy.c_str())));
}

int TComboBox::Count() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCOUNT, 0, 0)); }

std::wstring TComboBox::Item(int index) const {
  return ReadItemText(Handle(), CB_GETLBTEXTLEN, CB_GETLBTEXT, index).value_or(L"");
}

void TComboBox::Clear() { SendMessageW(Handle(), CB_RESETCONTENT, 0, 0); }

int TComboBox::ItemIndex() const {
  return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0));
}

void TComboBox::SetItemIndex(int index) {
  SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::wstring TComboBox::SelectedText() const {
  const int index = ItemIndex();
  return index < 0 ? std::wstring() : Item(index);
}

// Picture

TImage::TImage(TForm& owner, const ControlLayout& layout, UINT bitmapId)
    : TWinControl(owner, layout) {
  bitmap_.Reset(static_cast<HBITMAP>(LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(bitmapId),
                                                IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
  if (!bitmap_) ThrowLastError(L"LoadImageW");
  static const WindowClass kClass{L"TImage"};
  CreateOwnControl(kClass, WS_CHILD | WS_VISIBLE, 0);
}

bool TImage::OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
  switch (msg) {
    case WM_ERASEBKGND:
      result = 1;  // WM_PAINT covers every pixel
      return true;
    case WM_PAINT: {
      const PaintScope paint(Handle());
      const HDC dc = paint.Dc();
      const RECT client = paint.Client();
      BITMAP info{};
      GetObjectW(bitmap_.Get(), sizeof(info), &info);
      const MemoryDC source(CreateCompatibleDC(dc));
      const SelectedObject selected(source.Get(), bitmap_.Get());
      SetStretchBltMode(dc, HALFTONE);
      SetBrushOrgEx(dc, 0, 0, nullptr);
      StretchBlt(dc, 0, 0, client.right, client.bottom, source.Get(), 0, 0, info.bmWidth,
                 info.bmHeight, SRCCOPY);
      result = 0;
      return true;
    }
    case STM_GETIMAGE:
      // As a picture control answers: the bitmap it shows.
      result = wParam == IMAGE_BITMAP ? reinterpret_cast<LRESULT>(bitmap_.Get()) : 0;
      return true;
    default:
      return false;
  }
}

}  // namespace kestrova
