// TURLLink: a label that is a hyperlink. While the pointer is over it the caption takes
// LinkColor (the colour it had is restored on leaving); a move over it shows, once per visit, a
// small topmost popup beside the pointer with the link text (unless EnableShowHint is off); a
// press of the left button opens Link (tpURL) or "mailto:" + Link (tpMAIL) through the shell at
// once, on the press, and hides the popup. Link is independent of the caption.
//
// It is a link for the keyboard and for screen readers too: Tab reaches it (with a focus cue),
// Enter or Space opens it as a left press does, and it answers WM_GETOBJECT with an accessible
// object of the link role named by its caption.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "toolkit/Label.h"

namespace kestrova {
class LinkAccessible;
}

namespace kestrova {

enum TURLtype : unsigned char { tpURL = 0, tpMAIL = 1 };

// What a layout gives a hyperlink label beyond its caption, font and colours.
struct LinkSpec {
  TURLtype urlType;
  UINT linkId;               // the link, from the string table
  TColor linkColor;          // the caption's colour while the pointer is over it
  bool enableShowHint;       // whether a move over it shows the link in a popup
  const FontSpec* hintFont;  // the popup's font
  TColor hintFontColor;
};

class TURLLink : public TCustomLabel {
 public:
  // With a spec, the layout's font colour and the spec's settings come over the defaults.
  TURLLink(TForm& owner, const ControlLayout& layout, const LinkSpec* spec = nullptr);
  TURLLink(HWND parent, const ControlLayout& layout, UINT dpi = 96);
  ~TURLLink() override;

  TURLtype GetURLType() const { return urlType_; }
  void SetURLtype(TURLtype type);
  const std::wstring& GetLink() const { return link_; }
  void SetLink(std::wstring_view link);
  TColor GetLinkColor() const { return linkColor_; }
  void SetLinkColor(TColor color);
  TColor GetHintFormColor() const { return hintFormColor_; }
  void SetHintFormColor(TColor color);
  int GetHintOffsetX() const { return hintOffsetX_; }
  void SetHintOffsetX(int offset);
  int GetHintOffsetY() const { return hintOffsetY_; }
  void SetHintOffsetY(int offset);
  bool GetEnableShowHint() const { return enableShowHint_; }
  void SetEnableShowHint(bool enable);
  const TFont& GetHintFormFont() const { return *hintFormFont_; }
  // Copies the attributes of the given font; no reference to it is kept.
  void SetHintFormFont(const TFont& font);

  // The popup window and whether it is showing.
  HWND GetHintForm() const;
  bool GetHintShown() const { return HintShown; }

  // Opens the target: the shell gets it (ShellOpen) and the popup goes.
  void Open();
  // What opening goes to: Link, or "mailto:" + Link for tpMAIL.
  std::wstring Target() const;

  // How this label opens a target: the shell (ShellExecuteW) unless replaced.
  using ShellOpenFunction =
      std::function<HINSTANCE(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT)>;
  ShellOpenFunction ShellOpen;

 protected:
  void CMMouseEnter(TMessage& message) override;
  void CMMouseLeave(TMessage& message) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  // What the popup shows: taken at each showing, so later changes wait for the next one.
  struct HintContent {
    std::wstring text;
    TColor background = clInfoBk;
    TColor textColor = clWindowText;
    FontHandle font;
  };
  class THintForm;

  void Initialize();
  void ApplySpec(const ControlLayout& layout, const LinkSpec& spec);
  void ShowHint();
  void HideHint();

  // The constructor gives each its first value, in this order.
  std::unique_ptr<THintForm> hintForm_;
  bool HintShown{};  // its given name
  TURLtype urlType_{};
  std::wstring link_;
  TColor SavedFontColor{};
  TColor linkColor_{};
  TColor hintFormColor_{};
  int hintOffsetX_{};
  int hintOffsetY_{};
  bool enableShowHint_{};
  std::unique_ptr<TFont> hintFormFont_;

  HintContent hint_;
  ComPtr<LinkAccessible> accessible_;
};

}  // namespace kestrova
