// The about dialog in-process under Wine, shown modally over the main window and driven from
// inside its modal loop: its links for the keyboard and for screen readers, and its labels
// after a change of DPI.
#include <oleacc.h>

#include "resources/Layouts.h"
#include "tests/win/MainWindowFixture.h"

using namespace kestrova;
using namespace kestrova::test;

namespace {

class AboutTest : public MainWindowFixture {
 protected:
  AboutTest() : MainWindowFixture(L"about-test") {}

  // Shows the dialog and calls step on every tick inside its modal loop until step says it
  // is done (then the dialog is closed), or 1500 ticks pass (only a hang takes that many).
  void WhileShown(const std::function<bool(TKSTV_ABOUT::Controls&)>& step) {
    TKSTV_MAIN& main = Open(L"[Main]\nWinRARPath=C:\\rar.exe\n");
    int ticks = 0;
    bool done = false;
    ThreadTicker ticker([&] {
      if (done || !about_.Shown || !IsWindowVisible(about_.Handle())) return;
      if (++ticks > 1500 || step(*about_.Shown)) {
        done = true;
        PostMessageW(about_.Handle(), WM_CLOSE, 0, 0);
      }
    });
    about_.ShowModalAt(main.Handle(), POINT{100, 100});
    EXPECT_TRUE(done) << "the steps did not finish";
  }
};

TEST_F(AboutTest, NoLinkHasTheFocusUntilTabThenEnterOrSpaceOpensIt) {
  std::vector<std::wstring> opened;
  std::vector<HWND> focus;
  HWND dialog = nullptr, url = nullptr, mail = nullptr;
  int key = 0;
  WhileShown([&](TKSTV_ABOUT::Controls& c) {
    dialog = about_.Handle();
    url = c.L_URL.Handle();
    mail = c.L_EMail.Handle();
    for (TURLLink* link : {&c.L_URL, &c.L_EMail}) {
      link->ShellOpen = [&](HWND, LPCWSTR, LPCWSTR file, LPCWSTR, LPCWSTR, INT) {
        opened.push_back(file);
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
      };
    }
    // One key a tick, each taken by the dialog's own loop; the focus noted before each.
    const WPARAM keys[] = {VK_TAB, VK_RETURN, VK_TAB, VK_SPACE, VK_TAB};
    focus.push_back(GetFocus());
    if (key == static_cast<int>(std::size(keys))) return true;
    PostMessageW(GetFocus(), WM_KEYDOWN, keys[key++], 0);
    return false;
  });
  EXPECT_EQ(opened, (std::vector<std::wstring>{L"https://kestrova.example/",
                                               L"mailto:support@kestrova.example"}));
  // The dialog itself first (Enter there closes it: the end-to-end tests press it), Tab to the
  // URL, Enter opens it and leaves it there, Tab to the mail link, Space, Tab round to the URL.
  EXPECT_EQ(focus, (std::vector<HWND>{dialog, url, url, mail, mail, url}));
}

TEST_F(AboutTest, ScreenReadersFindLinksNamedByTheirCaptions) {
  struct Seen {
    long role = 0;
    std::wstring name, value;
    int opened = 0;
  } seen[2];
  WhileShown([&](TKSTV_ABOUT::Controls& c) {
    TURLLink* links[] = {&c.L_URL, &c.L_EMail};
    for (int i = 0; i < 2; ++i) {
      links[i]->ShellOpen = [&, i](HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT) {
        ++seen[i].opened;
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
      };
      IAccessible* object = nullptr;
      if (FAILED(AccessibleObjectFromWindow(links[i]->Handle(), OBJID_CLIENT, __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&object)))) {
        continue;
      }
      VARIANT self{};
      self.vt = VT_I4;
      self.lVal = CHILDID_SELF;
      VARIANT role{};
      if (SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4) seen[i].role = role.lVal;
      BSTR text = nullptr;
      if (SUCCEEDED(object->get_accName(self, &text)) && text != nullptr) {
        seen[i].name = text;
        SysFreeString(text);
      }
      if (SUCCEEDED(object->get_accValue(self, &text)) && text != nullptr) {
        seen[i].value = text;
        SysFreeString(text);
      }
      object->accDoDefaultAction(self);
      object->Release();
    }
    return true;
  });
  EXPECT_EQ(seen[0].role, ROLE_SYSTEM_LINK);
  EXPECT_EQ(seen[0].name, L"https://kestrova.example/");
  EXPECT_EQ(seen[0].value, L"https://kestrova.example/");
  EXPECT_EQ(seen[0].opened, 1);
  EXPECT_EQ(seen[1].role, ROLE_SYSTEM_LINK);
  EXPECT_EQ(seen[1].name, L"support@kestrova.example");
  EXPECT_EQ(seen[1].value, L"mailto:support@kestrova.example");
  EXPECT_EQ(seen[1].opened, 1);
}

TEST_F(AboutTest, LabelsSizeThemselvesAgainAfterADpiChange) {
  struct Size {
    int width = 0, height = 0;
  };
  std::vector<Size> labels, expected;
  WhileShown([&](TKSTV_ABOUT::Controls& c) {
    // As Windows sends it when the dialog moves to a monitor of 144 DPI.
    RECT suggested{100, 100, 100 + 326, 100 + 204};
    SendMessageW(about_.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    const TCustomLabel* all[] = {&c.Label1, &c.Label2, &c.L_URL, &c.L_EMail};
    for (const TCustomLabel* label : all) {
      RECT r{};
      GetWindowRect(label->Handle(), &r);
      labels.push_back(Size{r.right - r.left, r.bottom - r.top});
      // The caption measured here in the label's font at 144 DPI.
      const FontSpec* spec = label->Layout().font != nullptr ? label->Layout().font
                                                              : &layouts::kAbout.font;
      FontHandle font(CreateLayoutFont(*spec, 144));
      WindowDC dc(nullptr);
      SelectedObject selected(dc.Get(), font.Get());
      RECT text{};
      DrawTextW(dc.Get(), label->Caption().c_str(), -1, &text,
                DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
      expected.push_back(Size{text.right, text.bottom});
    }
    return true;
  });
  ASSERT_EQ(labels.size(), 4u);
  for (std::size_t i = 0; i < labels.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(labels[i].width, expected[i].width);
    EXPECT_EQ(labels[i].height, expected[i].height);
  }
}

}  // namespace
