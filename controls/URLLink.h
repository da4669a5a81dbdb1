// TURLLink: a label that is a hyperlink. While the pointer is over it the caption takes
// LinkColor (the colour it had is restored on leaving); a move over it shows, once per visit, a
// small topmost popup beside the pointer with the link text (unless EnableShowHint is off); a
// press of the left button opens Link (tpURL) or "mailto:" + Link (tpMAIL) through the shell at
// once, on the press, and hides the popup. Link is independent of the caption.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "toolkit/Label.h"

namespace kestrova {

enum TURLtype : unsigned char { tpURL = 0, tpMAIL = 1 };

class TURLLink : public TCustomLabel {
 public:
  TURLLink(TForm& owner, const ControlLayout& layout);
  TURLLink(HWND parent, const ControlLayout& layout, UINT dpi = 96);
  ~TURLLink() override;

  // Takes the designer's settings of the layout entry, over the constructor's defaults: the
  // font colour and, when the entry has them, the link settings.
  void ApplyLayout();

  TURLtype GetURLType() const { return URLType; }
  void SetURLtype(TURLtype type);
  const std::wstring& GetLink() const { return Link; }
  void SetLink(std::wstring_view link);
  TColor GetLinkColor() const { return LinkColor; }
  void SetLinkColor(TColor color);
  TColor GetHintFormColor() const { return HintFormColor; }
  void SetHintFormColor(TColor color);
  int GetHintOffsetX() const { return HintOffsetX; }
  void SetHintOffsetX(int offset);
  int GetHintOffsetY() const { return HintOffsetY; }
  void SetHintOffsetY(int offset);
  bool GetEnableShowHint() const { return EnableShowHint; }
  void SetEnableShowHint(bool enable);
  const TFont& GetHintFormFont() const { return *HintFormFont; }
  // Copies the attributes of the given font; no reference to it is kept.
  void SetHintFormFont(const TFont& font);

  // The popup window and whether it is showing.
  HWND GetHintForm() const { return HintForm.Get(); }
  bool GetHintShown() const { return HintShown; }
  TColor GetSavedFontColor() const { return SavedFontColor; }

  // How a target is opened: ShellExecuteW by default. Tests put a recorder here.
  using ShellOpenFunction =
      std::function<HINSTANCE(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT)>;
  static ShellOpenFunction ShellOpen;

 protected:
  void CMMouseEnter(TMessage& message) override;
  void CMMouseLeave(TMessage& message) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  // A top-level window destroyed with its holder.
  class OwnedWindow {
   public:
    OwnedWindow() = default;
    OwnedWindow(const OwnedWindow&) = delete;
    OwnedWindow& operator=(const OwnedWindow&) = delete;
    ~OwnedWindow() { Reset(); }
    HWND Get() const { return hwnd_; }
    void Reset(HWND hwnd = nullptr);

   private:
    HWND hwnd_ = nullptr;
  };

  // What the popup shows: taken at each showing, so later changes wait for the next one.
  struct HintContent {
    std::wstring text;
    TColor background = clInfoBk;
    TColor textColor = clWindowText;
    FontHandle font;
  };

  void Initialize();
  void ShowHint();
  void HideHint();
  static const wchar_t* HintWindowClass();
  static LRESULT CALLBACK HintWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void PaintHint(HDC dc);

  // The constructor gives each its first value, in this order.
  OwnedWindow HintForm;
  bool HintShown{};
  TURLtype URLType{};
  std::wstring Link;
  TColor SavedFontColor{};
  TColor LinkColor{};
  TColor HintFormColor{};
  int HintOffsetX{};
  int HintOffsetY{};
  bool EnableShowHint{};
  std::unique_ptr<TFont> HintFormFont;

  HintContent hint_;
};

}  // namespace kestrova
