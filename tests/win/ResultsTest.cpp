// What the result list offers beyond its lines, in-process under Wine with the stand-in
// archiver: the place of a line's archive opened from the keyboard and the mouse, and the
// taskbar button's progress through a batch (both through the window's seams).
#include <functional>
#include <set>
#include <utility>

#include "app/ListMenu.h"

#include "tests/win/MainWindowFixture.h"
#include "tests/win/TestWindow.h"

using namespace kestrova;
using namespace kestrova::test;

namespace {

class ResultsTest : public MainWindowFixture {
 protected:
  ResultsTest() : MainWindowFixture(L"results-test") {}
};

TEST_F(ResultsTest, EnterOrADoubleClickOpensTheArchivesPlace) {
  TKSTV_MAIN& main = OpenWithArchiver(L"a --write");
  std::vector<std::wstring> shown;
  main.Seams.showInFolder = [&](const std::wstring& path) { shown.push_back(path); };
  const std::wstring written = Folder(L"Written");
  // The archive of this one cannot be made: a folder stands where it would go.
  const std::wstring unwritten = Folder(L"Unwritten");
  Folder(L"Unwritten.rar");
  Drop(main, {written, unwritten});
  ASSERT_EQ(main.LIST.Items.Strings(),
            (std::vector<std::wstring>{OkLine(L"Written"), NgLine(L"Unwritten")}));
  ShowWindow(main.Handle(), SW_SHOW);
  SetForegroundWindow(main.Handle());
  main.LIST.SetFocus();

  // Enter on the first line, as the keyboard delivers it: through the dialog manager.
  SendMessageW(main.LIST.Handle(), LB_SETCURSEL, 0, 0);
  MSG enter{main.LIST.Handle(), WM_KEYDOWN, VK_RETURN, 0};
  application_.Deliver(enter);
  // A double click on the second.
  RECT second{};
  SendMessageW(main.LIST.Handle(), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
  const LPARAM at = MAKELPARAM(second.left + 2, second.top + 2);
  SendMessageW(main.LIST.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(main.LIST.Handle(), WM_LBUTTONUP, 0, at);
  SendMessageW(main.LIST.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageW(main.LIST.Handle(), WM_LBUTTONUP, 0, at);

  // The archive where there is one; the folder itself where there is none.
  EXPECT_EQ(shown, (std::vector<std::wstring>{written + L".rar", unwritten}));
}

TEST_F(ResultsTest, TaskbarButtonFollowsTheBatch) {
  TKSTV_MAIN& main = OpenWithArchiver(L"a --write");
  std::vector<std::tuple<int, int, bool>> progress;
  main.Seams.taskbarProgress = [&](int done, int total, bool failed) {
    progress.emplace_back(done, total, failed);
  };
  const std::wstring first = Folder(L"First"), failing = Folder(L"Failing"),
                     last = Folder(L"Last");
  Folder(L"Failing.rar");  // its archive cannot be written: exit code 9
  Drop(main, {first, File(L"notes.txt", "x"), failing, last});
  ASSERT_EQ(main.LIST.Items.Count(), 3);
  using P = std::tuple<int, int, bool>;
  EXPECT_EQ(progress, (std::vector<P>{P{0, 4, false}, P{1, 4, false}, P{2, 4, false},
                                      P{3, 4, true}, P{0, 0, false}}));
}

// F5 (the window's key for the menu's retry) starts a batch of exactly the folders whose
// lines were [NG], in their order; a [--] line is no failure.
TEST_F(ResultsTest, RetryArchivesTheFailedFoldersAgainInOrder) {
  TKSTV_MAIN& main = OpenWithArchiver(L"a --exit-by-name");
  main.Choices.existingArchive = TExistingArchive::Skip;
  const std::wstring first = Folder(L"First"), three = Folder(L"exit-3"), old = Folder(L"Old"),
                     five = Folder(L"exit-5");
  File(L"Old.rar", "old");
  Drop(main, {first, three, old, five});
  ASSERT_EQ(main.LIST.Items.Strings(),
            (std::vector<std::wstring>{OkLine(L"First"), NgLine(L"exit-3"),
                                       LoadStr(IDS_RESULT_SKIPPED) + L"Old", NgLine(L"exit-5")}));
  std::error_code ignored;
  fs::remove(log_, ignored);
  main.LIST.SetFocus();
  MSG f5{main.LIST.Handle(), WM_KEYDOWN, VK_F5, 0};
  application_.Deliver(f5);
  WaitForBatch(main);
  EXPECT_EQ(ArchiverRuns(), (std::vector<std::wstring>{RunOf(L"a --exit-by-name", three),
                                                       RunOf(L"a --exit-by-name", five)}));
  EXPECT_EQ(main.LIST.Items.Strings(),
            (std::vector<std::wstring>{NgLine(L"exit-3"), NgLine(L"exit-5")}));
}

// A batch that ends while another window is in front flashes the taskbar button; one that ends
// in front does not.
TEST_F(ResultsTest, ABatchThatEndsBehindAnotherWindowFlashesItsButton) {
  TestParent other;
  ShowWindow(other.Handle(), SW_SHOWNOACTIVATE);
  for (const bool inFront : {true, false}) {
    SCOPED_TRACE(inFront ? "in front" : "behind another window");
    TKSTV_MAIN& main = OpenWithArchiver(L"a");
    int flashes = 0;
    main.Seams.flash = [&](HWND) { ++flashes; };
    main.Seams.longBatchMs = 0;
    ShowWindow(main.Handle(), SW_SHOW);
    SetForegroundWindow(inFront ? main.Handle() : other.Handle());
    ASSERT_EQ(GetForegroundWindow(), inFront ? main.Handle() : other.Handle());
    Archive(main, Folder(L"Trip"));
    EXPECT_EQ(flashes, inFront ? 0 : 1);
    main_.reset();
  }
}

// Every item of the list's menu, in every state, has an access key in the Japanese form
// ("コピー(&C)", a shortcut after a tab), unique within its menu.
TEST_F(ResultsTest, EveryMenuItemHasItsOwnAccessKey) {
  using SendTo = TSendTo;
  struct Row {
    bool running;
    SendTo sendTo;
    int items;  // items and submenus of the top menu
  } rows[] = {{false, SendTo::Absent, 8}, {true, SendTo::Present, 9}, {false, SendTo::NotOffered, 7}};
  std::function<void(HMENU)> check = [&](HMENU menu) {
    std::set<wchar_t> keys;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      if ((GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR) != 0) continue;
      wchar_t text[256] = {};
      GetMenuStringW(menu, i, text, 256, MF_BYPOSITION);
      std::wstring item(text);
      item = item.substr(0, item.find(L'\t'));
      SCOPED_TRACE(ToUtf8(item));
      ASSERT_GE(item.size(), 4u);
      EXPECT_EQ(item.substr(item.size() - 4, 2), L"(&");
      EXPECT_EQ(item.back(), L')');
      EXPECT_EQ(item.find(L'&'), item.size() - 3) << "one access key only";
      EXPECT_TRUE(keys.insert(item[item.size() - 2]).second) << "the key is taken already";
      if (HMENU sub = GetSubMenu(menu, i)) check(sub);
    }
  };
  for (const Row& row : rows) {
    TListMenuState state;
    state.hasLines = state.lineHasResult = state.canRetry = true;
    state.running = row.running;
    state.sendTo = row.sendTo;
    const HMENU menu = BuildListMenu(state);
    ASSERT_NE(menu, nullptr);
    int items = 0;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      items += (GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR) == 0 ? 1 : 0;
    }
    EXPECT_EQ(items, row.items);
    check(menu);
    DestroyMenu(menu);
  }
}

}  // namespace
