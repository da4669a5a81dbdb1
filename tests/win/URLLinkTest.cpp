// The hyperlink label and its label base under Wine: real windows, the real pointer position,
// real text measurement. The shell is replaced by a recorder. The label is driven through its
// window's messages, as the pointer and the buttons would drive it; the test never pumps the
// queue unless it waits for the system's own leave notification.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/batch/ErrorText.h"
#include "controls/URLLink.h"
#include "resources/resource.h"
#include "toolkit/Application.h"

using namespace kestrova;

namespace {

constexpr FontSpec kLabelFont{L"Tahoma", 12, DEFAULT_CHARSET};
constexpr ControlLayout kLinkLayout{.id = 1103, .name = "L_URL", .parent = 0, .left = 10,
                                    .top = 10, .width = 104, .height = 12, .font = &kLabelFont,
                                    .fontColor = clWindowText, .color = clBlack};
constexpr ControlLayout kFixedLabelLayout{.id = 1101, .name = "Label1", .parent = 0, .left = 10,
                                          .top = 40, .width = 59, .height = 12,
                                          .font = &kLabelFont, .fontColor = clWhite,
                                          .color = clBlack};

constexpr TColor clGreen = 0x00008000;
constexpr TColor clYellowish = 0x0000C0C0;

// There is one pointer on the display: test processes run side by side take turns with it.
class PointerTurn {
 public:
  PointerTurn() : mutex_(CreateMutexA(nullptr, FALSE, "Local\\KestrovaPointerTests")) {
    if (mutex_ != nullptr) WaitForSingleObject(mutex_, 120000);
  }
  ~PointerTurn() {
    if (mutex_ != nullptr) {
      ReleaseMutex(mutex_);
      CloseHandle(mutex_);
    }
  }
  PointerTurn(const PointerTurn&) = delete;
  PointerTurn& operator=(const PointerTurn&) = delete;

 private:
  HANDLE mutex_;
};

// A shown top-level window to put labels on: a hidden one would get no WM_PAINT. Topmost, so no
// other window covers the labels under the pointer; not activated (under Wine, destroying the
// active window waits two seconds for the focus to move).
class ShownParent {
 public:
  ShownParent()
      : hwnd_(CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_CLIPCHILDREN, 200, 150,
                              400, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr)) {
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  }
  ShownParent(const ShownParent&) = delete;
  ShownParent& operator=(const ShownParent&) = delete;
  ~ShownParent() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  HWND Handle() const { return hwnd_; }

 private:
  HWND hwnd_;
};

// Counts the WM_PAINT messages a window gets, for as long as it lives.
class PaintCounter {
 public:
  explicit PaintCounter(HWND hwnd) : hwnd_(hwnd) {
    attached_ = SetWindowSubclass(hwnd_, Proc, 1, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
  }
  ~PaintCounter() {
    if (attached_) RemoveWindowSubclass(hwnd_, Proc, 1);
  }
  PaintCounter(const PaintCounter&) = delete;
  PaintCounter& operator=(const PaintCounter&) = delete;
  bool Attached() const { return attached_; }
  int Count() const { return count_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR self) {
    auto* counter = reinterpret_cast<PaintCounter*>(self);
    if (msg == WM_PAINT) ++counter->count_;
    if (msg == WM_NCDESTROY) {
      RemoveWindowSubclass(hwnd, Proc, 1);
      counter->attached_ = false;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
  }

  HWND hwnd_;
  bool attached_ = false;
  int count_ = 0;
};

struct ShellCall {
  bool windowNull;
  std::wstring operation;
  std::wstring file;
  bool parametersNull;
  std::wstring parameters;
  bool directoryNull;
  std::wstring directory;
  INT show;
};

// Puts a recorder in a label's opening seam for its lifetime.
class ShellRecorder {
 public:
  explicit ShellRecorder(TURLLink& link) : link_(link), saved_(link.ShellOpen) {
    link.ShellOpen = [this](HWND hwnd, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters,
                            LPCWSTR directory, INT show) {
      calls.push_back({hwnd == nullptr, operation ? operation : L"(null)",
                       file ? file : L"(null)", parameters == nullptr,
                       parameters ? parameters : L"", directory == nullptr,
                       directory ? directory : L"", show});
      return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
    };
  }
  ~ShellRecorder() { link_.ShellOpen = saved_; }
  ShellRecorder(const ShellRecorder&) = delete;
  ShellRecorder& operator=(const ShellRecorder&) = delete;

  std::vector<ShellCall> calls;

 private:
  TURLLink& link_;
  TURLLink::ShellOpenFunction saved_;
};

RECT ScreenRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

// The extent of a text measured here, in a font made here from the same attributes.
SIZE MeasureText(const std::wstring& text, const wchar_t* face, int height, bool bold) {
  HFONT font = CreateFontW(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH, face);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return size;
}

class URLLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(parent_.Handle(), nullptr);
    link_ = std::make_unique<TURLLink>(parent_.Handle(), kLinkLayout);
    ASSERT_NE(link_->Handle(), nullptr);
    link_->SetCaption(L"Kestrova Project home page");
    // The dialog's colours: white text, red under the pointer.
    link_->Font().SetColor(clWhite);
    PointerOverLabel(0);
  }

  HWND Label() { return link_->Handle(); }
  HWND Hint() { return link_->GetHintForm(); }

  // Puts the real pointer over the label, dx pixels right of its middle; returns where it is.
  POINT PointerOverLabel(int dx) {
    RECT r = ScreenRect(Label());
    POINT target{(r.left + r.right) / 2 + dx, (r.top + r.bottom) / 2};
    EXPECT_TRUE(SetCursorPos(target.x, target.y));
    POINT now{};
    GetCursorPos(&now);
    EXPECT_EQ(now.x, target.x);
    EXPECT_EQ(now.y, target.y);
    return now;
  }

  void Send(UINT msg, WPARAM wParam = 0, int x = 3, int y = 3) {
    SendMessageA(Label(), msg, wParam, MAKELPARAM(x, y));
  }
  void Move(int x = 3, int y = 3) { Send(WM_MOUSEMOVE, 0, x, y); }
  void Leave() { SendMessageA(Label(), WM_MOUSELEAVE, 0, 0); }

  PointerTurn turn_;  // first in, last out
  TApplication application_{L"" KESTROVA_TITLE_TEXT, &ErrorText};
  ShownParent parent_;
  std::unique_ptr<TURLLink> link_;
};

// ---- construction ---------------------------------------------------------------------------

TEST_F(URLLinkTest, PopupIsAHiddenWindowOfItsOwnThatGoesWithTheLabel) {
  auto owned = std::make_unique<TURLLink>(parent_.Handle(), kLinkLayout);
  HWND hint = owned->GetHintForm();
  ASSERT_TRUE(IsWindow(hint));
  EXPECT_FALSE(IsWindowVisible(hint));
  EXPECT_EQ(GetWindow(hint, GW_OWNER), nullptr);
  EXPECT_EQ(GetAncestor(hint, GA_PARENT), GetDesktopWindow());
  owned.reset();
  EXPECT_FALSE(IsWindow(hint));
}

// ---- the state table --------------------------------------------------------------------------

enum class Act { Move, Leave, LeftDown, LeftUp, LeftDouble, RightDown, RightDouble, MiddleDown,
                 MiddleDouble, SetFontColor, SetLinkColor, SetEnableShowHint };

struct Step {
  Act act;
  TColor arg;            // the colour or flag of a Set* step
  TColor fontColor;      // expected afterwards
  bool hintShown;        // expected afterwards; the popup window's visibility must agree
  std::size_t opened;    // shell calls so far
};

struct Scenario {
  const char* name;
  bool enableShowHint;
  std::vector<Step> steps;
};

TEST_F(URLLinkTest, StateTableOfEnterLeaveMovesAndPresses) {
  const TColor W = clWhite, R = clRed, G = clGreen, Y = clYellowish;
  const std::vector<Scenario> scenarios = {
      {"entering takes LinkColor, leaving gives the colour back", false,
       {{Act::Move, 0, R, false, 0}, {Act::Move, 0, R, false, 0}, {Act::Leave, 0, W, false, 0},
        {Act::Move, 0, R, false, 0}, {Act::Leave, 0, W, false, 0}}},
      {"a leave with no enter before it changes nothing", false,
       {{Act::Leave, 0, W, false, 0}, {Act::Move, 0, R, false, 0}, {Act::Leave, 0, W, false, 0},
        {Act::Leave, 0, W, false, 0}}},
      {"a font colour set while over the label gives way to the one saved on entry", false,
       {{Act::Move, 0, R, false, 0}, {Act::SetFontColor, G, G, false, 0},
        {Act::Move, 0, G, false, 0}, {Act::Leave, 0, W, false, 0}, {Act::Move, 0, R, false, 0},
        {Act::Leave, 0, W, false, 0}}},
      {"a font colour set outside is the one the next entry saves", false,
       {{Act::SetFontColor, G, G, false, 0}, {Act::Move, 0, R, false, 0},
        {Act::Leave, 0, G, false, 0}}},
      {"a new LinkColor shows from the next entry on", false,
       {{Act::Move, 0, R, false, 0}, {Act::SetLinkColor, Y, R, false, 0},
        {Act::Move, 0, R, false, 0}, {Act::Leave, 0, W, false, 0}, {Act::Move, 0, Y, false, 0},
        {Act::Leave, 0, W, false, 0}}},
      {"the popup shows once per visit and leaving hides it", true,
       {{Act::Move, 0, R, true, 0}, {Act::Move, 0, R, true, 0}, {Act::Leave, 0, W, false, 0},
        {Act::Move, 0, R, true, 0}, {Act::Leave, 0, W, false, 0}}},
      {"with EnableShowHint off the popup never shows", false,
       {{Act::Move, 0, R, false, 0}, {Act::Move, 0, R, false, 0}, {Act::LeftDown, 0, R, false, 1},
        {Act::Move, 0, R, false, 1}, {Act::Leave, 0, W, false, 1}, {Act::Move, 0, R, false, 1}}},
      {"switching EnableShowHint off keeps a popup already showing", true,
       {{Act::Move, 0, R, true, 0}, {Act::SetEnableShowHint, 0, R, true, 0},
        {Act::Leave, 0, W, false, 0}, {Act::Move, 0, R, false, 0},
        {Act::SetEnableShowHint, 1, R, false, 0}, {Act::Move, 0, R, true, 0}}},
      {"a left press opens on the press and hides the popup; the next move shows it", true,
       {{Act::Move, 0, R, true, 0}, {Act::LeftDown, 0, R, false, 1}, {Act::LeftUp, 0, R, false, 1},
        {Act::Move, 0, R, true, 1}, {Act::Leave, 0, W, false, 1}}},
      {"right and middle presses open nothing and keep the popup", true,
       {{Act::Move, 0, R, true, 0}, {Act::RightDown, 0, R, true, 0},
        {Act::RightDouble, 0, R, true, 0}, {Act::MiddleDown, 0, R, true, 0},
        {Act::MiddleDouble, 0, R, true, 0}, {Act::Leave, 0, W, false, 0}}},
      {"a double click is two presses and opens twice", false,
       {{Act::Move, 0, R, false, 0}, {Act::LeftDown, 0, R, false, 1}, {Act::LeftUp, 0, R, false, 1},
        {Act::LeftDouble, 0, R, false, 2}, {Act::LeftUp, 0, R, false, 2}}},
  };

  for (const Scenario& scenario : scenarios) {
    SCOPED_TRACE(scenario.name);
    TURLLink link(parent_.Handle(), kLinkLayout);
    link.Handle();
    link.Font().SetColor(clWhite);
    link.SetEnableShowHint(scenario.enableShowHint);
    ShellRecorder shell(link);
    HWND label = link.Handle();
    auto send = [label](UINT msg, WPARAM keys) { SendMessageA(label, msg, keys, MAKELPARAM(4, 4)); };
    for (std::size_t i = 0; i < scenario.steps.size(); ++i) {
      const Step& step = scenario.steps[i];
      SCOPED_TRACE("step " + std::to_string(i));
      switch (step.act) {
        case Act::Move: send(WM_MOUSEMOVE, 0); break;
        case Act::Leave: SendMessageA(label, WM_MOUSELEAVE, 0, 0); break;
        case Act::LeftDown: send(WM_LBUTTONDOWN, MK_LBUTTON); break;
        case Act::LeftUp: send(WM_LBUTTONUP, 0); break;
        case Act::LeftDouble: send(WM_LBUTTONDBLCLK, MK_LBUTTON); break;
        case Act::RightDown: send(WM_RBUTTONDOWN, MK_RBUTTON); break;
        case Act::RightDouble: send(WM_RBUTTONDBLCLK, MK_RBUTTON); break;
        case Act::MiddleDown: send(WM_MBUTTONDOWN, MK_MBUTTON); break;
        case Act::MiddleDouble: send(WM_MBUTTONDBLCLK, MK_MBUTTON); break;
        case Act::SetFontColor: link.Font().SetColor(step.arg); break;
        case Act::SetLinkColor: link.SetLinkColor(step.arg); break;
        case Act::SetEnableShowHint: link.SetEnableShowHint(step.arg != 0); break;
      }
      EXPECT_EQ(link.Font().Color(), step.fontColor);
      EXPECT_EQ(link.GetHintShown(), step.hintShown);
      EXPECT_EQ(IsWindowVisible(link.GetHintForm()) != FALSE, step.hintShown);
      EXPECT_TRUE(IsWindow(link.GetHintForm()));
      EXPECT_EQ(shell.calls.size(), step.opened);
    }
  }
}

TEST_F(URLLinkTest, EnterAndLeaveHooksComeInPairs) {
  int enters = 0, leaves = 0;
  link_->OnMouseEnter = [&] { ++enters; };
  link_->OnMouseLeave = [&] { ++leaves; };
  Move();
  Move(5, 5);
  Move(6, 5);
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(leaves, 0);
  EXPECT_TRUE(link_->MouseInside());
  Leave();
  Leave();
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(leaves, 1);
  Move();
  EXPECT_EQ(enters, 2);
}

TEST_F(URLLinkTest, TheSystemsLeaveNotificationEndsTheVisit) {
  Move();
  ASSERT_TRUE(link_->GetHintShown());
  ASSERT_EQ(link_->Font().Color(), clRed);
  // The pointer really goes away; the leave tracking asked for on entry reports it.
  SetCursorPos(5, 5);
  const ULONGLONG deadline = GetTickCount64() + 30000;  // only a hang takes that long
  while (link_->MouseInside() && GetTickCount64() < deadline) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    application_.ProcessMessages();
  }
  EXPECT_FALSE(link_->MouseInside());
  EXPECT_EQ(link_->Font().Color(), clWhite);
  EXPECT_FALSE(link_->GetHintShown());
  EXPECT_FALSE(IsWindowVisible(Hint()));
}

// ---- the popup ------------------------------------------------------------------------------

TEST_F(URLLinkTest, PopupSitsBesideThePointerSizedToTheLinkInItsFont) {
  struct Case {
    const char* name;
    TURLtype type;
    std::wstring link;
    int offsetX, offsetY;
    const wchar_t* face;
    int height;
    bool bold;
    TColor background;
  };
  const std::vector<Case> cases = {
      {"defaults", tpURL, L"https://kestrova.example/", 15, 15, L"Tahoma", 11, false, clInfoBk},
      {"large bold font", tpURL, L"https://kestrova.example/", 15, 15, L"Tahoma", 24, true,
       clInfoBk},
      {"mail shows the bare address", tpMAIL, L"support@kestrova.example", 15, 15, L"Tahoma", 16,
       false, clWhite},
      {"other offsets", tpURL, L"http://", -40, 7, L"Tahoma", 13, false, clYellowish},
  };
  HWND active = GetActiveWindow();
  HWND foreground = GetForegroundWindow();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TURLLink link(parent_.Handle(), kLinkLayout);
    link.Handle();
    link.SetURLtype(c.type);
    link.SetLink(c.link);
    link.SetHintOffsetX(c.offsetX);
    link.SetHintOffsetY(c.offsetY);
    link.SetHintFormColor(c.background);
    TFont font;
    font.SetName(c.face);
    font.SetHeight(c.height);
    font.SetStyle(c.bold ? fsBold : 0);
    link.SetHintFormFont(font);

    const POINT pointer = PointerOverLabel(0);
    SendMessageA(link.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));  // its X/Y play no part
    HWND hint = link.GetHintForm();
    ASSERT_TRUE(IsWindowVisible(hint));

    const SIZE text = MeasureText(c.link, c.face, c.height, c.bold);
    RECT client{};
    GetClientRect(hint, &client);
    EXPECT_EQ(client.right, text.cx + 6);
    EXPECT_EQ(client.bottom, text.cy + 3);
    const RECT at = ScreenRect(hint);
    EXPECT_EQ(at.left, pointer.x + c.offsetX);
    EXPECT_EQ(at.top, pointer.y + c.offsetY);
    EXPECT_EQ(at.right - at.left, text.cx + 6);  // no border: all of it is client area

    const LONG_PTR style = GetWindowLongPtrA(hint, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrA(hint, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME));
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(hint, GW_OWNER), nullptr);
    // Shown without activation.
    EXPECT_EQ(GetActiveWindow(), active);
    EXPECT_EQ(GetForegroundWindow(), foreground);

    // Its background is HintFormColor and the link is drawn on it.
    UpdateWindow(hint);
    HDC dc = GetDC(hint);
    const COLORREF background = ColorToRGB(c.background);
    EXPECT_EQ(GetPixel(dc, 0, 0), background);
    EXPECT_EQ(GetPixel(dc, client.right - 1, client.bottom - 1), background);
    int inked = 0;
    for (int y = 0; y < client.bottom; ++y) {
      for (int x = 0; x < client.right; ++x) inked += GetPixel(dc, x, y) != background;
    }
    ReleaseDC(hint, dc);
    EXPECT_GT(inked, 0);

    // Later moves, elsewhere, leave it where it is.
    PointerOverLabel(10);
    SendMessageA(link.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(12, 2));
    const RECT still = ScreenRect(hint);
    EXPECT_EQ(still.left, at.left);
    EXPECT_EQ(still.top, at.top);
    SendMessageA(link.Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(hint));
    EXPECT_TRUE(IsWindow(hint));
  }
}

TEST_F(URLLinkTest, ChangesWaitForTheNextShowing) {
  link_->SetLink(L"http://a.example/");
  const POINT first = PointerOverLabel(0);
  Move();
  const RECT shown = ScreenRect(Hint());

  // None of these touches the popup that is up.
  link_->SetLink(L"http://a-much-longer-address.example/path/");
  link_->SetHintOffsetX(60);
  link_->SetHintOffsetY(30);
  TFont big;
  big.SetName(L"Tahoma");
  big.SetHeight(30);
  link_->SetHintFormFont(big);
  RECT now = ScreenRect(Hint());
  EXPECT_TRUE(EqualRect(&now, &shown));

  Leave();
  const POINT second = PointerOverLabel(-5);
  Move();
  now = ScreenRect(Hint());
  const SIZE text = MeasureText(L"http://a-much-longer-address.example/path/", L"Tahoma", 30, false);
  EXPECT_EQ(now.left, second.x + 60);
  EXPECT_EQ(now.top, second.y + 30);
  EXPECT_EQ(now.right - now.left, text.cx + 6);
  EXPECT_EQ(now.bottom - now.top, text.cy + 3);
  EXPECT_NE(first.x, second.x);
}

// ---- opening --------------------------------------------------------------------------------

TEST_F(URLLinkTest, LeftPressOpensTheTargetWithTheExactShellArguments) {
  struct Case {
    TURLtype type;
    std::wstring link;
    std::wstring target;
  };
  const std::vector<Case> cases = {
      {tpURL, L"https://kestrova.example/", L"https://kestrova.example/"},
      {tpMAIL, L"support@kestrova.example", L"mailto:support@kestrova.example"},
      {tpURL, L"HTTP://Mixed.Case.example/Path?q=1&r=2",
       L"HTTP://Mixed.Case.example/Path?q=1&r=2"},
      {tpMAIL, L"mailto:twice@kestrova.example", L"mailto:mailto:twice@kestrova.example"},
      {tpURL, L"not a link at all", L"not a link at all"},
      {tpURL, L"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.link);
    ShellRecorder shell(*link_);
    link_->SetURLtype(c.type);
    link_->SetLink(c.link);
    Move();
    Send(WM_LBUTTONDOWN, MK_LBUTTON);  // no release: the press alone opens
    ASSERT_EQ(shell.calls.size(), 1u);
    const ShellCall& call = shell.calls[0];
    EXPECT_TRUE(call.windowNull);
    EXPECT_EQ(call.operation, L"OPEN");
    EXPECT_EQ(call.file, c.target);
    EXPECT_FALSE(call.parametersNull);
    EXPECT_EQ(call.parameters, L"");
    EXPECT_FALSE(call.directoryNull);
    EXPECT_EQ(call.directory, L"");
    EXPECT_EQ(call.show, SW_SHOW);
    Send(WM_LBUTTONUP);
    Leave();
    EXPECT_EQ(shell.calls.size(), 1u);
  }
}

TEST_F(URLLinkTest, DoubleClickSequenceOfTheSystemOpensTwice) {
  // With CS_DBLCLKS the system sends down, up, double click, up for a double click.
  EXPECT_TRUE(GetClassLongPtrA(Label(), GCL_STYLE) & CS_DBLCLKS);
  ShellRecorder shell(*link_);
  link_->SetLink(L"https://kestrova.example/");
  Move();
  Send(WM_LBUTTONDOWN, MK_LBUTTON);
  Send(WM_LBUTTONUP);
  Send(WM_LBUTTONDBLCLK, MK_LBUTTON);
  Send(WM_LBUTTONUP);
  ASSERT_EQ(shell.calls.size(), 2u);
  EXPECT_EQ(shell.calls[0].file, L"https://kestrova.example/");
  EXPECT_EQ(shell.calls[1].file, L"https://kestrova.example/");
}

// ---- setters and repainting -----------------------------------------------------------------

TEST_F(URLLinkTest, SettersRepaintOnlyWhenTheValueChanges) {
  struct Case {
    const char* name;
    std::function<void(TURLLink&)> same;
    std::function<void(TURLLink&)> changed;
  };
  TFont other;  // equal attributes to the label's own, but not the same object
  other.SetColor(clWindowText);
  const std::vector<Case> cases = {
      {"URLType", [](TURLLink& l) { l.SetURLtype(tpURL); }, [](TURLLink& l) { l.SetURLtype(tpMAIL); }},
      {"Link", [](TURLLink& l) { l.SetLink(L"http://"); }, [](TURLLink& l) { l.SetLink(L"HTTP://"); }},
      {"LinkColor", [](TURLLink& l) { l.SetLinkColor(clRed); },
       [](TURLLink& l) { l.SetLinkColor(clGreen); }},
      {"HintFormColor", [](TURLLink& l) { l.SetHintFormColor(clInfoBk); },
       [](TURLLink& l) { l.SetHintFormColor(clWhite); }},
      {"HintOffsetX", [](TURLLink& l) { l.SetHintOffsetX(15); },
       [](TURLLink& l) { l.SetHintOffsetX(16); }},
      {"HintOffsetY", [](TURLLink& l) { l.SetHintOffsetY(15); },
       [](TURLLink& l) { l.SetHintOffsetY(-15); }},
      {"EnableShowHint", [](TURLLink& l) { l.SetEnableShowHint(true); },
       [](TURLLink& l) { l.SetEnableShowHint(false); }},
      {"HintFormFont", [](TURLLink& l) { l.SetHintFormFont(l.GetHintFormFont()); },
       [&other](TURLLink& l) { l.SetHintFormFont(other); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Alone on the parent: a label covered by another one has nothing to paint.
    ShowWindow(Label(), SW_HIDE);
    TURLLink link(parent_.Handle(), kLinkLayout);
    HWND label = link.Handle();
    UpdateWindow(label);  // nothing left to paint from the creation
    PaintCounter paints(label);
    ASSERT_TRUE(paints.Attached());
    c.same(link);
    EXPECT_EQ(paints.Count(), 0) << "same value";
    c.changed(link);
    EXPECT_EQ(paints.Count(), 1) << "new value";
  }
}

TEST_F(URLLinkTest, HintFormFontIsACopyOfTheGivenFont) {
  {
    TFont given;
    given.SetName(L"Tahoma");
    given.SetHeight(20);
    given.SetStyle(fsBold | fsItalic);
    given.SetCharset(SHIFTJIS_CHARSET);
    given.SetColor(clGreen);
    link_->SetHintFormFont(given);
    EXPECT_NE(&link_->GetHintFormFont(), &given);
    EXPECT_TRUE(link_->GetHintFormFont().SameAttributes(given));

    // Changing the given font afterwards does not reach the label.
    given.SetHeight(40);
    given.SetColor(clRed);
    given.SetStyle(0);
    EXPECT_EQ(link_->GetHintFormFont().Height(), 20);
    EXPECT_EQ(link_->GetHintFormFont().Color(), clGreen);
    EXPECT_EQ(link_->GetHintFormFont().Style(), fsBold | fsItalic);
  }
  // The given font is gone; the popup is measured in the copy.
  link_->SetLink(L"https://kestrova.example/");
  Move();
  RECT client{};
  GetClientRect(Hint(), &client);
  EXPECT_EQ(client.right, MeasureText(L"https://kestrova.example/", L"Tahoma", 20, true).cx + 6);
}

// ---- the label base -------------------------------------------------------------------------

TEST_F(URLLinkTest, LabelDrawsItsCaptionInItsColoursAndSizesItselfToIt) {
  TLabel label(parent_.Handle(), kFixedLabelLayout);
  label.SetCaption(L"Kestrova 080525");
  HWND hwnd = label.Handle();
  char text[64] = {};
  GetWindowTextA(hwnd, text, sizeof(text));
  EXPECT_STREQ(text, "Kestrova 080525");

  // AutoSize: the window is the caption's extent, wider than the layout's 59 pixels.
  HDC screen = GetDC(nullptr);
  HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH, L"Tahoma");
  HGDIOBJ old = SelectObject(screen, font);
  RECT extent{};
  DrawTextW(screen, L"Kestrova 080525", -1, &extent, DT_CALCRECT | DT_NOPREFIX);
  SelectObject(screen, old);
  DeleteObject(font);
  ReleaseDC(nullptr, screen);
  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, extent.right - extent.left);
  EXPECT_EQ(client.bottom, extent.bottom - extent.top);
  EXPECT_GT(client.right, 59);

  // White text on black: the corner is background, and white-ish ink is somewhere.
  label.Repaint();
  HDC dc = GetDC(hwnd);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
  int white = 0;
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) {
      COLORREF p = GetPixel(dc, x, y);
      white += GetRValue(p) > 200 && GetGValue(p) > 200 && GetBValue(p) > 200;
    }
  }
  ReleaseDC(hwnd, dc);
  EXPECT_GT(white, 0);

  // An empty caption still leaves a line's height to click on.
  TLabel empty(parent_.Handle(), kFixedLabelLayout);
  RECT emptyClient{};
  GetClientRect(empty.Handle(), &emptyClient);
  EXPECT_EQ(emptyClient.bottom, client.bottom);
  EXPECT_GT(emptyClient.right, 0);

  // Without AutoSize a longer caption keeps the size.
  label.SetAutoSize(false);
  label.SetCaption(L"Kestrova 080525, a longer caption than before");
  RECT after{};
  GetClientRect(hwnd, &after);
  EXPECT_TRUE(EqualRect(&after, &client));
}

}  // namespace
