// What the result list offers beyond its lines, in-process under Wine with the stand-in
// archiver: the place of a line's archive opened from the keyboard and the mouse, a line's
// reason without the pointer, the taskbar button's progress through a batch, and the system kept
// awake while a batch runs (all through the window's seams).
#include <oleacc.h>

#include <functional>
#include <optional>
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

// The tooltips of this thread on the screen now: text and place.
struct ShownTip {
  std::wstring text;
  RECT place;
};
std::vector<ShownTip> ShownTips() {
  std::vector<ShownTip> tips;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM found) {
        wchar_t name[64] = {};
        GetClassNameW(hwnd, name, 64);
        if (IsWindowVisible(hwnd) && std::wstring(name) == TOOLTIPS_CLASSW) {
          ShownTip tip{WindowText(hwnd), {}};
          GetWindowRect(hwnd, &tip.place);
          reinterpret_cast<std::vector<ShownTip>*>(found)->push_back(tip);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&tips));
  return tips;
}

// The accessible description of a line (from 0; -1: the list itself) as a screen reader asks
// the list for it; nothing where the list gives none.
std::optional<std::wstring> AccessibleDescription(HWND list, int line) {
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(list, OBJID_CLIENT, __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&object)))) {
    return std::nullopt;
  }
  VARIANT child{};
  child.vt = VT_I4;
  child.lVal = line + 1;
  BSTR text = nullptr;
  std::optional<std::wstring> description;
  if (SUCCEEDED(object->get_accDescription(child, &text)) && text != nullptr) {
    description = std::wstring(text, SysStringLen(text));
  }
  SysFreeString(text);
  object->Release();
  return description;
}

// A reason read without the pointer: the selection moved to a line from the keyboard shows its
// tip right under the line until the selection moves on, and each line's tip is its accessible
// description. Screen readers hear the batch end; the empty list tells them what it is for.
TEST_F(ResultsTest, AReasonShowsForTheKeyboardAndIsTheLinesDescription) {
  TKSTV_MAIN& main = OpenWithArchiver(L"a --exit-by-name");
  std::vector<std::pair<std::wstring, TAnnounced>> announced;
  main.Seams.announce = [&](HWND window, const std::wstring& text, TAnnounced kind) {
    EXPECT_EQ(window, main.Handle());
    announced.emplace_back(text, kind);
  };
  const std::wstring empty = L"フォルダーをここにドロップ 右クリックでメニュー";
  EXPECT_EQ(AccessibleDescription(main.LIST.Handle(), -1), empty);
  main.Choices.existingArchive = TExistingArchive::Skip;
  const std::wstring old = Folder(L"Old");
  File(L"Old.rar", "old");
  Drop(main, {Folder(L"First"), Folder(L"exit-2"), old});
  ASSERT_EQ(main.LIST.Items.Count(), 3);
  EXPECT_EQ(announced, (std::vector<std::pair<std::wstring, TAnnounced>>{
                           {L"完了.", TAnnounced::Completed}}));
  EXPECT_NE(AccessibleDescription(main.LIST.Handle(), -1).value_or(L""), empty);
  const std::wstring failed = L"終了コード 2: 致命的なエラー";
  const std::wstring skipped = LoadStr(IDS_ALREADY_THERE) + old + L".rar";

  // Screen readers read each line's reason with it; a line without one has none.
  EXPECT_EQ(AccessibleDescription(main.LIST.Handle(), 1), failed);
  EXPECT_EQ(AccessibleDescription(main.LIST.Handle(), 2), skipped);
  EXPECT_EQ(AccessibleDescription(main.LIST.Handle(), 0).value_or(L""), L"");

  ShowWindow(main.Handle(), SW_SHOW);
  SetForegroundWindow(main.Handle());
  main.LIST.SetFocus();
  const auto key = [&](WPARAM vk) {
    MSG down{main.LIST.Handle(), WM_KEYDOWN, vk, 0};
    application_.Deliver(down);
  };
  struct Row {
    std::function<void()> act;
    std::optional<int> tipOf;  // the line whose reason shows under it; none: no tip
    const char* why;
  };
  const Row rows[] = {
      {[&] { main.LIST.SetItemIndex(0); }, std::nullopt, "a selection made by the program"},
      {[&] { key(VK_DOWN); }, 1, "down to the failed line"},
      {[&] { key(VK_DOWN); }, 2, "down to the skipped line: its own reason"},
      {[&] { key(VK_DOWN); }, 2, "the last line stays selected, and so does its tip"},
      {[&] { key(VK_HOME); }, std::nullopt, "home: a line without a reason"},
      {[&] { key(VK_END); }, 2, "end"},
      {[&] { main.LIST.SetItemIndex(1); }, std::nullopt, "the selection moved on, not by keys"},
      {[&] { key(VK_UP); }, std::nullopt, "up to the first line"},
      {[&] { key(VK_DOWN); }, 1, "down again"},
      {[&] { SetFocus(nullptr); }, std::nullopt, "the list lost the focus"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    row.act();
    const std::vector<ShownTip> tips = ShownTips();
    if (!row.tipOf) {
      EXPECT_TRUE(tips.empty());
      continue;
    }
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_EQ(tips[0].text, *row.tipOf == 1 ? failed : skipped);
    const RECT line = main.LIST.ItemRect(*row.tipOf).value();
    POINT under{line.left, line.bottom};
    ClientToScreen(main.LIST.Handle(), &under);
    // Its corner at the line's (a tooltip's frame may take a pixel or two).
    EXPECT_NEAR(tips[0].place.top, under.y, 2);
    EXPECT_NEAR(tips[0].place.left, under.x, 2);
  }
}

// The button's value is the items done and the percentage the archiver printed for the one in
// hand, in hundredths of an item: each run of the stand-in prints 50 %.
TEST_F(ResultsTest, TaskbarButtonFollowsTheBatch) {
  TKSTV_MAIN& main = OpenWithArchiver(L"a --write --progress=50");
  using P = std::tuple<ULONGLONG, ULONGLONG, TTaskbarState>;
  std::vector<P> progress;
  main.Seams.taskbarProgress = [&](ULONGLONG completed, ULONGLONG total, TTaskbarState state) {
    progress.emplace_back(completed, total, state);
  };
  const std::wstring first = Folder(L"First"), failing = Folder(L"Failing"),
                     last = Folder(L"Last");
  Folder(L"Failing.rar");  // its archive cannot be written: exit code 9
  // Each run prints its frame once the test has seen the run start.
  std::size_t steps = 0;
  ThreadTicker ticker([&] {
    if (ArchiverRuns().size() <= steps) return;
    WriteFile(log_ + L".step", "step");
    ++steps;
  });
  Drop(main, {first, File(L"notes.txt", "x"), failing, last});
  ASSERT_EQ(main.LIST.Items.Count(), 3);
  using S = TTaskbarState;
  EXPECT_EQ(progress, (std::vector<P>{P{0, 400, S::Normal}, P{50, 400, S::Normal},
                                      P{100, 400, S::Normal}, P{200, 400, S::Normal},
                                      P{250, 400, S::Normal}, P{300, 400, S::Error},
                                      P{350, 400, S::Error}, P{0, 0, S::Normal}}));
}

// The system is kept awake from a batch's first item to its end, whatever way the batch ends,
// and let sleep while it is paused (through the window's seam: Wine has no power requests). A
// pause lets the folder in hand finish and starts nothing until the Pause key again; the strip
// and the taskbar button say it is paused.
TEST_F(ResultsTest, TheSystemStaysAwakeWhileABatchRunsAndIsNotPaused) {
  const std::wstring paused = LoadStr(IDS_STRIP_PAUSED);
  ASSERT_EQ(paused, L"\u4E00\u6642\u505C\u6B62");
  auto pressPause = [&](TKSTV_MAIN& main) {
    MSG key{main.LIST.Handle(), WM_KEYDOWN, VK_PAUSE, 0};
    application_.Deliver(key);
  };
  // Esc (or a close), each question it asks answered yes.
  auto yesTo = [](TKSTV_MAIN& main, UINT msg, WPARAM wParam) {
    ThreadTicker ticker([] {
      if (const HWND box = FindWindowW(L"#32770", nullptr)) PostMessageW(box, WM_COMMAND, IDYES, 0);
    });
    SendMessageW(main.Handle(), msg, wParam, 0);
  };
  auto esc = [&](TKSTV_MAIN& main) { yesTo(main, WM_COMMAND, IDCANCEL); };
  // What the taskbar button shows last.
  using Button = std::tuple<ULONGLONG, ULONGLONG, TTaskbarState>;
  struct Row {
    const char* what;
    // From the first folder's archiver start on; hold lets it end.
    std::function<void(TKSTV_MAIN&, HoldArchiver& hold, const Button& button)> run;
    std::vector<bool> awake;
    std::size_t runs;
  } rows[] = {
      {"it runs to its end", [](TKSTV_MAIN&, HoldArchiver& hold, auto&) { hold.Release(); },
       {true, false}, 2},
      {"it is stopped",
       [&](TKSTV_MAIN& main, HoldArchiver& hold, auto&) {
         esc(main);
         hold.Release();
       },
       {true, false}, 1},
      {"its archiver is ended",
       [&](TKSTV_MAIN& main, HoldArchiver&, auto&) {
         esc(main);
         esc(main);
       },
       {true, false}, 1},
      {"the session ends",
       [](TKSTV_MAIN& main, HoldArchiver&, auto&) {
         SendMessageW(main.Handle(), WM_ENDSESSION, TRUE, 0);
       },
       {true, false}, 1},
      {"paused, the folder in hand finishes, nothing starts until it resumes",
       [&](TKSTV_MAIN& main, HoldArchiver& hold, const Button& button) {
         pressPause(main);
         EXPECT_EQ(main.L_Progress.Text(), L"1/2 " + paused);
         EXPECT_EQ(button, Button(0, 200, TTaskbarState::Paused));
         hold.Release();
         ASSERT_TRUE(PumpUntil([&] { return main.LIST.Items.Count() == 1; }));
         EXPECT_EQ(main.L_Progress.Text(), L"2/2 " + paused);
         EXPECT_EQ(button, Button(100, 200, TTaskbarState::Paused));
         EXPECT_EQ(ArchiverRuns().size(), 1u);
         pressPause(main);
         EXPECT_EQ(main.L_Progress.Text(), L"2/2");
       },
       {true, false, true, false}, 2},
      {"paused, then stopped: it ends at once",
       [&](TKSTV_MAIN& main, HoldArchiver& hold, auto&) {
         pressPause(main);
         hold.Release();
         ASSERT_TRUE(PumpUntil([&] { return main.LIST.Items.Count() == 1; }));
         esc(main);
         EXPECT_FALSE(main.BatchRunning());
         EXPECT_EQ(main.Caption(), LoadStr(IDS_CAPTION_STOPPED));
       },
       {true, false}, 1},
      {"paused, then the session ends: it ends at once",
       [&](TKSTV_MAIN& main, HoldArchiver& hold, auto&) {
         pressPause(main);
         hold.Release();
         ASSERT_TRUE(PumpUntil([&] { return main.LIST.Items.Count() == 1; }));
         SendMessageW(main.Handle(), WM_ENDSESSION, TRUE, 0);
         EXPECT_FALSE(main.BatchRunning());
       },
       {true, false}, 1},
      // Last: the application's end is asked for once it has closed.
      {"it is closed",
       [&](TKSTV_MAIN& main, HoldArchiver& hold, auto&) {
         yesTo(main, WM_CLOSE, 0);
         hold.Release();
       },
       {true, false}, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::error_code ignored;
    fs::remove(log_, ignored);
    TKSTV_MAIN& main = OpenWithArchiver(L"a --hold");
    std::vector<bool> awake;
    main.Seams.keepAwake = [&](bool on) { awake.push_back(on); };
    Button button;
    main.Seams.taskbarProgress = [&](ULONGLONG completed, ULONGLONG total, TTaskbarState state) {
      button = {completed, total, state};
    };
    HoldArchiver hold(log_);
    main.RunBatch({Folder(L"A"), Folder(L"B")});
    ASSERT_TRUE(PumpUntil([&] { return ArchiverRuns().size() == 1; }));
    EXPECT_EQ(awake, std::vector<bool>{true});
    EXPECT_EQ(main.L_Progress.Text(), L"1/2");
    row.run(main, hold, button);
    WaitForBatch(main);
    EXPECT_EQ(awake, row.awake);
    EXPECT_EQ(main.L_Progress.Text(), L"");
    EXPECT_EQ(ArchiverRuns().size(), row.runs);
    main_.reset();
  }
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
    bool paused = false;
  } rows[] = {{false, SendTo::Absent, 10},
              {true, SendTo::Present, 12},
              {true, SendTo::Present, 12, true},
              {false, SendTo::NotOffered, 9}};
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
    state.paused = row.paused;
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
