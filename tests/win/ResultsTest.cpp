// What the result list offers beyond its lines, in-process under Wine with the stand-in
// archiver: the place of a line's archive opened from the keyboard and the mouse, and the
// taskbar button's progress through a batch (both through the window's seams).
#include <utility>

#include "tests/win/MainWindowFixture.h"

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

}  // namespace
