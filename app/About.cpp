#include "app/About.h"

#include "resources/Layouts.h"
#include "toolkit/Application.h"

namespace kestrova {

namespace {

constexpr UINT_PTR kImageSubclassId = 1;

}  // namespace

TKSTV_ABOUT* KSTV_ABOUT = nullptr;

TKSTV_ABOUT::TKSTV_ABOUT()
    : TForm(layouts::kAbout),
      Label1(*this, layouts::kAbout.Control(IDC_LABEL1)),
      Label2(*this, layouts::kAbout.Control(IDC_LABEL2)),
      L_URL(*this, layouts::kAbout.Control(IDC_URL)),
      L_EMail(*this, layouts::kAbout.Control(IDC_EMAIL)),
      Image2(*this, layouts::kAbout.Control(IDC_IMAGE2)) {
  Label1.SetCaption(Application.Title());
  // The links' own settings come over their constructors' defaults.
  L_URL.ApplyLayout();
  L_EMail.ApplyLayout();
  CreateForm();
}

// Image

TImage::~TImage() {
  // The window goes before the bitmap it shows.
  if (HandleAllocated() && IsWindow(Handle())) {
    RemoveWindowSubclass(Handle(), SubclassProc, kImageSubclassId);
    DestroyHandle();
  }
}

void TImage::AfterCreate() {
  if (Layout().imageId == 0) return;
  auto* bitmap = static_cast<HBITMAP>(LoadImageW(Application.Instance(),
                                                 MAKEINTRESOURCEW(Layout().imageId), IMAGE_BITMAP,
                                                 0, 0, LR_DEFAULTCOLOR));
  if (bitmap == nullptr) {
    throw Exception(L"LoadImage failed: bitmap " + std::to_wstring(Layout().imageId));
  }
  bitmap_.Reset(bitmap);
  // The control holds the bitmap for STM_GETIMAGE; the painting is ours, stretched to the
  // control, whatever the static does with SS_REALSIZECONTROL.
  SendMessageW(Handle(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
  SetWindowSubclass(Handle(), SubclassProc, kImageSubclassId, reinterpret_cast<DWORD_PTR>(this));
  // STM_SETIMAGE may have sized the control to the bitmap: back to the layout's size.
  SetWindowPos(Handle(), nullptr, 0, 0, ScaleForDpi(Layout().width, Dpi()),
               ScaleForDpi(Layout().height, Dpi()), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TImage::Paint(HWND hwnd, HDC dc) {
  RECT client{};
  GetClientRect(hwnd, &client);
  BITMAP info{};
  GetObjectW(bitmap_.Get(), sizeof(info), &info);
  HDC source = CreateCompatibleDC(dc);
  {
    SelectedObject selected(source, bitmap_.Get());
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, info.bmWidth, info.bmHeight,
               SRCCOPY);
  }
  DeleteDC(source);
}

LRESULT CALLBACK TImage::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self) {
  auto* image = reinterpret_cast<TImage*>(self);
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (image->bitmap_) image->Paint(hwnd, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, SubclassProc, id);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace kestrova
