// The about dialog: title, maker, links and logo, white on black, shown modally from the main
// window and closed with its close box (or Esc).
#pragma once

#include <optional>

#include "controls/URLLink.h"
#include "toolkit/Controls.h"
#include "toolkit/Form.h"
#include "toolkit/Label.h"

namespace kestrova {

class TKSTV_ABOUT : public TForm {
 public:
  TKSTV_ABOUT();

  // Shows the dialog over owner with its top-left corner at the given screen point; returns
  // when it is closed.
  void ShowModalAt(HWND owner, POINT topLeft);

  // The controls, while the dialog is shown.
  struct Controls {
    explicit Controls(TKSTV_ABOUT& form);
    TLabel Label1;
    TLabel Label2;
    TURLLink L_URL;
    TURLLink L_EMail;
    TImage Image2;
  };
  std::optional<Controls> Shown;

 protected:
  void OnCreate() override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  POINT place_{};
};

}  // namespace kestrova
