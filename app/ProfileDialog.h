// The profile editing dialog: the five profiles in five boxes, in profile order, each with its
// label and access key ("プロファイル &1" ...), OK (the default: Enter) and キャンセル (Esc, the
// close box). Modal over its owner, centred on it; an empty profile is a legal one.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "toolkit/Controls.h"
#include "toolkit/Form.h"

namespace kestrova {

class TKSTV_PROFILES : public TForm {
 public:
  TKSTV_PROFILES();

  // Shows the dialog over owner with the profiles in its boxes and returns when it closes: true
  // on OK, the profiles then holding the boxes' texts; false on Cancel, the profiles as they were.
  bool Execute(HWND owner, std::array<std::wstring, 5>& profiles);

  // The controls, while the dialog is shown, in creation (and tab) order.
  struct Controls {
    explicit Controls(TKSTV_PROFILES& form);
    TStaticText Label1;
    TEdit E_Profile1;
    TStaticText Label2;
    TEdit E_Profile2;
    TStaticText Label3;
    TEdit E_Profile3;
    TStaticText Label4;
    TEdit E_Profile4;
    TStaticText Label5;
    TEdit E_Profile5;
    TButton B_OK;
    TButton B_Cancel;

    std::array<TEdit*, 5> Boxes() {
      return {&E_Profile1, &E_Profile2, &E_Profile3, &E_Profile4, &E_Profile5};
    }
  };
  std::optional<Controls> Shown;

 protected:
  void OnCreate() override;
  void ControlCommand(int id, int code) override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  std::array<std::wstring, 5>* profiles_ = nullptr;
};

// The dialog, once: what the window's menu item runs.
bool EditProfiles(HWND owner, std::array<std::wstring, 5>& profiles);

}  // namespace kestrova
