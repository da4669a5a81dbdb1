#include "toolkit/Controls.h"

#include <algorithm>

#include "toolkit/Application.h"
#include "toolkit/Form.h"
#include "toolkit/Text.h"

namespace kestrova {

std::optional<std::wstring> ReadItemTextW(HWND hwnd, UINT lengthMsg, UINT textMsg, int index) {
  if (index < 0) return std::nullopt;
  LRESULT length = SendMessageW(hwnd, lengthMsg, static_cast<WPARAM>(index), 0);
  if (length < 0) return std::nullopt;
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  LRESULT copied = SendMessageW(hwnd, textMsg, static_cast<WPARAM>(index),
                                reinterpret_cast<LPARAM>(text.data()));
  if (copied < 0) return std::nullopt;
  text.resize(text.find(L'\0'));
  return text;
}

TWinControl::TWinControl(TForm& owner, const ControlLayout& layout)
    : owner_(&owner), layout_(layout) {
  owner.AddControl(this);
}

TWinControl::TWinControl(HWND parent, const ControlLayout& layout, UINT dpi)
    : parent_(parent), dpi_(dpi), layout_(layout) {}

UINT TWinControl::Dpi() const { return owner_ != nullptr ? owner_->Dpi() : dpi_; }

HWND TWinControl::ParentHandle() {
  if (owner_ == nullptr) return parent_;
  if (layout_.parent != 0) {
    if (TWinControl* parent = owner_->FindControl(layout_.parent)) return parent->Handle();
  }
  return owner_->Handle();
}

HWND TWinControl::Handle() {
  if (hwnd_ == nullptr) CreateHandle();
  return hwnd_;
}

void TWinControl::CreateHandle() {
  HWND parent = ParentHandle();
  UINT dpi = Dpi();
  const std::wstring text = layout_.textId != 0 ? LoadStr(layout_.textId) : L"";
  hwnd_ = CreateWindowExW(ExStyle(), WindowClass(), text.c_str(), Style(),
                          ScaleForDpi(layout_.left, dpi), ScaleForDpi(layout_.top, dpi),
                          ScaleForDpi(layout_.width, dpi),
                          CreationHeight(ScaleForDpi(layout_.height, dpi)), parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout_.id)),
                          Application.Instance(), nullptr);
  if (hwnd_ == nullptr) throw Exception(std::wstring(L"CreateWindowEx failed: ") + WindowClass());
  if (font_ == nullptr && owner_ != nullptr) font_ = owner_->Font();
  if (font_ != nullptr) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  AfterCreate();
}

void TWinControl::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  if (layout_.font == nullptr && owner_ != nullptr) SetFont(owner_->Font());
  SetWindowPos(Handle(), nullptr, ScaleForDpi(layout_.left, dpi), ScaleForDpi(layout_.top, dpi),
               ScaleForDpi(layout_.width, dpi), CreationHeight(ScaleForDpi(layout_.height, dpi)),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::DestroyHandle() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

std::wstring TWinControl::Text() { return WindowText(Handle()); }

void TWinControl::SetText(std::wstring_view text) {
  const std::wstring copy(text);
  SetWindowTextW(Handle(), copy.c_str());
}

void TWinControl::SetFont(HFONT font) {
  font_ = font;
  if (hwnd_ != nullptr) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Panel

const wchar_t* TPanel::WindowClass() const {
  static const wchar_t* const name = [] {
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = Application.Instance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"TPanel";
    RegisterClassExW(&wc);
    return L"TPanel";
  }();
  return name;
}

LRESULT CALLBACK TPanel::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT client;
      GetClientRect(hwnd, &client);
      DrawEdge(dc, &client, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_SIZE:
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      // The form handles its controls' notifications, wherever they sit.
      return SendMessageW(GetParent(hwnd), msg, wParam, lParam);
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Combo box

void TComboBox::AfterCreate() {
  if (Layout().itemHeight > 0) {
    SendMessageW(Handle(), CB_SETITEMHEIGHT, 0, ScaleForDpi(Layout().itemHeight, Dpi()));
  }
}

void TComboBox::ApplyDpi(UINT dpi) {
  TWinControl::ApplyDpi(dpi);
  AfterCreate();
}

int TComboBox::Add(std::wstring_view item) {
  const std::wstring copy(item);
  return static_cast<int>(
      SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(copy.c_str())));
}

int TComboBox::Count() { return static_cast<int>(SendMessageW(Handle(), CB_GETCOUNT, 0, 0)); }

std::wstring TComboBox::Item(int index) {
  return ReadItemTextW(Handle(), CB_GETLBTEXTLEN, CB_GETLBTEXT, index).value_or(L"");
}

void TComboBox::Clear() { SendMessageW(Handle(), CB_RESETCONTENT, 0, 0); }

int TComboBox::ItemIndex() { return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0)); }

void TComboBox::SetItemIndex(int index) {
  SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::wstring TComboBox::SelectedText() {
  const int index = ItemIndex();
  return index < 0 ? std::wstring() : Item(index);
}

}  // namespace kestrova
