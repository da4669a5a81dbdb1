// How the main window behaves as a window: its layout at other DPIs, a DPI change while it is
// open, and its smallest size.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/About.h"
#include "app/Main.h"
#include "resources/Layouts.h"
#include "resources/resource.h"
#include "tests/win/MainWindowFixture.h"
#include "toolkit/Application.h"
#include "toolkit/Text.h"
#include "toolkit/Window.h"

using namespace kestrova;

namespace {

RECT RectInClient(HWND control, HWND form) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int FontHeight(HWND control) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  LOGFONTW lf{};
  GetObjectW(font, sizeof(lf), &lf);
  return lf.lfHeight;
}

class WindowBehaviourTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ini_ = SettingsPath();
    std::ofstream(std::filesystem::path(ini_), std::ios::binary)
        << "[Main]\r\nWinRARPath=C:\\rar.exe\r\n";
    main_ = std::make_unique<TKSTV_MAIN>(about_);
    main_->LoadSettings();
  }
  void TearDown() override {
    main_.reset();
    std::error_code ignored;
    std::filesystem::remove(ini_, ignored);
  }

  // Delivers a DPI change as the system does, with its suggested rectangle.
  void ChangeDpi(UINT dpi) {
    RECT suggested{100, 100, 100 + MulDiv(300, dpi, 96), 100 + MulDiv(320, dpi, 96)};
    SendMessageW(main_->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
  }

  std::wstring ini_;
  TApplication application_{L"" KESTROVA_TITLE_TEXT, &ErrorText};
  TKSTV_ABOUT about_;
  std::unique_ptr<TKSTV_MAIN> main_;
};

TEST_F(WindowBehaviourTest, DpiChangeRescalesTheLayoutFontsAndList) {
  const UINT start = main_->Dpi();
  for (UINT dpi : {120u, 144u, 96u, start}) {
    SCOPED_TRACE(dpi);
    main_->LIST.Items.Add(std::wstring(40, L'W'));
    const int widthBefore = main_->LIST.MaxItemWidth();
    ChangeDpi(dpi);
    EXPECT_EQ(main_->Dpi(), dpi);
    RECT window = main_->Bounds();
    EXPECT_EQ(window.left, 100);
    EXPECT_EQ(window.right - window.left, MulDiv(300, dpi, 96));

    // Panel children at their 96-DPI places, scaled.
    for (int id : {IDC_EXT, IDC_ABOUT}) {
      const ControlLayout& layout = layouts::kMain.Control(id);
      HWND control = main_->FindControl(id)->Handle();
      RECT r = RectInClient(control, main_->Handle());
      EXPECT_EQ(r.left, MulDiv(layout.left, dpi, 96)) << layout.name;
      EXPECT_EQ(r.top, MulDiv(layout.top, dpi, 96)) << layout.name;
      EXPECT_EQ(r.right - r.left, MulDiv(layout.width, dpi, 96)) << layout.name;
      EXPECT_EQ(r.bottom - r.top, MulDiv(layout.height, dpi, 96)) << layout.name;
      EXPECT_EQ(FontHeight(control), -MulDiv(12, dpi, 96)) << layout.name;
    }
    // The panel spans the width at its scaled height; the list fills the rest.
    RECT client{};
    GetClientRect(main_->Handle(), &client);
    RECT panel = RectInClient(main_->Panel.Handle(), main_->Handle());
    EXPECT_EQ(panel.bottom, MulDiv(57, dpi, 96));
    EXPECT_EQ(panel.right, client.right);
    RECT list = RectInClient(main_->LIST.Handle(), main_->Handle());
    EXPECT_EQ(list.top, panel.bottom);
    EXPECT_EQ(list.bottom, client.bottom);

    // The widest line is measured again in the new font: the extent matches the drawn line.
    const int widthAfter = main_->LIST.MaxItemWidth();
    if (dpi != start) {
      EXPECT_NE(widthAfter, widthBefore);
    }
    EXPECT_EQ(SendMessageW(main_->LIST.Handle(), LB_GETHORIZONTALEXTENT, 0, 0),
              widthAfter + main_->LIST.Space());
    EXPECT_EQ(widthAfter, main_->LIST.GetTextWidth(0));
  }
}

// The window is placed once, sized for the monitor it goes to; the DPI change that its own move
// brings (sent to it while it is placed, or after) keeps that size. Its size is saved with the
// DPI it was measured at and comes back at the size for this monitor's DPI.
TEST_F(WindowBehaviourTest, ItsOwnPlacementIsSizedOnceAndKeptWithItsDpi) {
  const RECT placed{200, 150, 200 + 450, 150 + 480};
  main_->PlaceAt(placed, 144);
  // As Windows sends it once the window is on a monitor of 144 DPI: its suggestion scales the
  // bounds once more from the DPI the window had.
  RECT suggested{200, 150, 200 + 675, 150 + 720};
  SendMessageW(main_->Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(main_->Dpi(), 144u);
  RECT bounds = main_->Bounds();
  EXPECT_EQ(bounds.left, placed.left);
  EXPECT_EQ(bounds.top, placed.top);
  EXPECT_EQ(bounds.right, placed.right);
  EXPECT_EQ(bounds.bottom, placed.bottom);
  // A later change is the user's (the window dragged to another monitor): as suggested.
  ChangeDpi(120);
  EXPECT_EQ(main_->Bounds().right - main_->Bounds().left, MulDiv(300, 120, 96));
  ChangeDpi(144);

  main_->SaveSettings();
  const std::vector<std::wstring> lines = test::SavedLines(ini_);
  for (const wchar_t* line : {L"MainW=450", L"MainH=480", L"MainDPI=144"}) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
  }
  // This monitor has 96 DPI (the prefix's): the window opens at two thirds of that size.
  main_.reset();
  main_ = std::make_unique<TKSTV_MAIN>(about_);
  main_->LoadSettings();
  bounds = main_->Bounds();
  EXPECT_EQ(bounds.left, 100);
  EXPECT_EQ(bounds.right - bounds.left, 300);
  EXPECT_EQ(bounds.bottom - bounds.top, 320);
}

TEST_F(WindowBehaviourTest, WindowCannotBeSizedBelowItsMinimum) {
  RECT minimum{0, 0, MulDiv(276, main_->Dpi(), 96), MulDiv(97, main_->Dpi(), 96)};
  SetWindowPos(main_->Handle(), nullptr, 0, 0, 20, 20, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client{};
  GetClientRect(main_->Handle(), &client);
  EXPECT_GE(client.right, minimum.right);
  EXPECT_GE(client.bottom, minimum.bottom);
  // The panel's controls are whole.
  RECT about = RectInClient(main_->B_About.Handle(), main_->Handle());
  EXPECT_LE(about.right, client.right);
  RECT list = RectInClient(main_->LIST.Handle(), main_->Handle());
  EXPECT_GT(list.bottom - list.top, 0);
}

// A window whose painting fails.
class FailingPaint : public WindowImpl {
 public:
  FailingPaint() {
    static const WindowClass kClass{L"FailingPaint"};
    Create(kClass, 0, WS_POPUP | WS_VISIBLE, L"", RECT{0, 0, 50, 50}, nullptr, 0);
  }

 protected:
  bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT&) override {
    if (msg == WM_PAINT) throw Error(Error::Kind::Message, L"cannot paint");
    return false;
  }
};

TEST(ErrorBoxTest, AFailedPaintShowsItsBoxOnceAfterThePainting) {
  TApplication application(L"" KESTROVA_TITLE_TEXT, &ErrorText);
  std::vector<std::wstring> boxes;
  bool painting = false;
  int boxesWhilePainting = 0;
  test::ThreadTicker ticker([&] {
    HWND box = FindWindowW(L"#32770", nullptr);
    if (box == nullptr || GetWindowThreadProcessId(box, nullptr) != GetCurrentThreadId()) return;
    if (painting) ++boxesWhilePainting;
    boxes.push_back(WindowText(GetDlgItem(box, 0xFFFF)));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  FailingPaint window;
  for (int paint = 0; paint < 2; ++paint) {
    painting = true;
    InvalidateRect(window.Handle(), nullptr, TRUE);
    UpdateWindow(window.Handle());
    painting = false;
    // The failed paint left nothing to paint: it is not asked again and again.
    EXPECT_FALSE(GetUpdateRect(window.Handle(), nullptr, FALSE));
  }
  application.ProcessMessages();
  EXPECT_EQ(boxesWhilePainting, 0);
  EXPECT_EQ(boxes, std::vector<std::wstring>{L"cannot paint."});
}

}  // namespace
