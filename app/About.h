// The about dialog: title, maker, links and logo, white on black, shown modally from the main
// window and closed with its close box.
#pragma once

#include "controls/URLLink.h"
#include "toolkit/Form.h"
#include "toolkit/Handles.h"
#include "toolkit/Label.h"

namespace kestrova {

// A picture: a static bitmap control showing the layout's bitmap resource stretched to the
// control's size.
class TImage : public TWinControl {
 public:
  using TWinControl::TWinControl;
  ~TImage() override;

 protected:
  const wchar_t* WindowClass() const override { return L"STATIC"; }
  DWORD Style() const override { return WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_REALSIZECONTROL; }
  void AfterCreate() override;

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  void Paint(HWND hwnd, HDC dc);

  BitmapHandle bitmap_;
};

class TKSTV_ABOUT : public TForm {
 public:
  TKSTV_ABOUT();

  TLabel Label1;
  TLabel Label2;
  TURLLink L_URL;
  TURLLink L_EMail;
  TImage Image2;
};

extern TKSTV_ABOUT* KSTV_ABOUT;

}  // namespace kestrova
