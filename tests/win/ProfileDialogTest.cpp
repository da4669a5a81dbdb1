// The profile editing dialog in-process under Wine, shown modally over the main window by its
// command (Ctrl+E, the list menu's item) and driven from inside its modal loop, once it exists,
// as a user would: keys to the focused control, clicks on its buttons.
#include <algorithm>
#include <array>

#include "app/ProfileDialog.h"
#include "tests/win/MainWindowFixture.h"

using namespace kestrova;
using namespace kestrova::test;

namespace {

using Profiles = std::array<std::wstring, 5>;

const Profiles kDefaults{L"a -r -ep1 -m0 -rr3p", L"a -r -ep1 -m5 -rr3p", L"", L"", L""};

// The profile dialog of this thread, once it is shown; null before.
HWND ShownDialog() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM lp) -> BOOL {
        wchar_t name[32] = {};
        GetClassNameW(h, name, 32);
        if (std::wstring(name) != L"" KESTROVA_PROFILES_CLASS || !IsWindowVisible(h)) return TRUE;
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND Box(HWND dialog, int profile) { return GetDlgItem(dialog, IDC_PROFILE_EDIT_BASE + profile); }

class ProfileDialogTest : public MainWindowFixture {
 protected:
  ProfileDialogTest() : MainWindowFixture(L"profile-dialog-test") {}

  // Runs the window's profile command and calls step on every tick inside the dialog's modal
  // loop once it is shown, until step says it is done; then the dialog is left to close (a
  // dialog still open after 1500 more ticks, which only a hang takes, is cancelled).
  void WhileShown(TKSTV_MAIN& main, const std::function<bool(HWND dialog)>& step) {
    bool done = false;
    int ticks = 0;
    ThreadTicker ticker([&] {
      const HWND dialog = ShownDialog();
      if (dialog == nullptr) return;
      if (!done) {
        done = step(dialog);
      } else if (++ticks > 1500) {
        ADD_FAILURE() << "the dialog did not close";
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      }
    });
    // As the window's key (its accelerator) gives the command.
    SendMessageW(main.Handle(), WM_COMMAND, MAKEWPARAM(IDM_EDIT_PROFILES, 1), 0);
    EXPECT_TRUE(done) << "the steps did not finish";
  }
};

TEST_F(ProfileDialogTest, OkTakesTheFiveTextsAndCancelChangesNothing) {
  const Profiles typed{L"a -r -m3", L"", L"a -z\"メモ😀.txt\"", L" spaced ", L"x"};
  struct Row {
    const char* what;
    void (*close)(HWND dialog);
    bool ok;
  } rows[] = {
      {"Enter in a box", [](HWND) { PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0); }, true},
      {"the OK button",
       [](HWND d) { PostMessageW(GetDlgItem(d, IDC_PROFILES_OK), BM_CLICK, 0, 0); }, true},
      {"Esc", [](HWND) { PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); }, false},
      {"the キャンセル button",
       [](HWND d) { PostMessageW(GetDlgItem(d, IDC_PROFILES_CANCEL), BM_CLICK, 0, 0); }, false},
      {"the close box", [](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TKSTV_MAIN& main = Open(L"[Main]\nWinRARPath=C:\\rar.exe\n");
    main.CB_Profile.SetItemIndex(2);
    const std::string before = ReadFile(iniPath_);
    Profiles shown;
    WhileShown(main, [&](HWND dialog) {
      for (int i = 0; i < 5; ++i) {
        shown[i] = WindowText(Box(dialog, i));
        SetWindowTextW(Box(dialog, i), typed[i].c_str());
      }
      row.close(dialog);
      return true;
    });
    EXPECT_EQ(shown, kDefaults) << "the boxes show the profiles in order";
    // OK: the texts in place, the same profile selected, and saved at once.
    const Profiles& expected = row.ok ? typed : kDefaults;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(main.CB_Profile.Item(i), expected[i]) << i;
    EXPECT_EQ(main.CB_Profile.ItemIndex(), 2);
    if (row.ok) {
      const std::vector<std::wstring> lines = SavedLines(iniPath_);
      for (const wchar_t* line : {L"WinRARCommandLine=a -r -m3", L"WinRARCommandLine2=",
                                  L"WinRARCommandLine5=x"}) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << ToUtf8(line);
      }
    } else {
      EXPECT_EQ(ReadFile(iniPath_), before) << "Cancel changes nothing";
    }
    main_.reset();
  }
}

TEST_F(ProfileDialogTest, KeysGoTopToBottomAndEachLabelsAccessKeyToItsBox) {
  TKSTV_MAIN& main = Open(L"[Main]\nWinRARPath=C:\\rar.exe\n");
  std::vector<int> focus;
  DWORD selection = 0;
  LRESULT defaultButton = 0;
  std::wstring caption;
  std::vector<std::wstring> labels;
  // One key a tick, each taken by the dialog's own loop; the focused control noted before each.
  // Alt+4 comes as the system turns it into a character for the dialog.
  const std::pair<UINT, WPARAM> keys[] = {{WM_KEYDOWN, VK_TAB}, {WM_SYSCHAR, L'4'},
                                          {WM_KEYDOWN, VK_TAB}, {WM_KEYDOWN, VK_TAB},
                                          {WM_KEYDOWN, VK_TAB}, {WM_KEYDOWN, VK_TAB}};
  std::size_t key = 0;
  WhileShown(main, [&](HWND dialog) {
    if (focus.empty()) {
      caption = WindowText(dialog);
      for (int i = 0; i < 5; ++i) {
        labels.push_back(WindowText(GetDlgItem(dialog, IDC_PROFILE_LABEL_BASE + i)));
      }
      selection = static_cast<DWORD>(SendMessageW(GetFocus(), EM_GETSEL, 0, 0));
      defaultButton = SendMessageW(dialog, DM_GETDEFID, 0, 0);
    }
    focus.push_back(GetDlgCtrlID(GetFocus()));
    if (key == std::size(keys)) {
      PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
      return true;
    }
    const auto [msg, wParam] = keys[key++];
    PostMessageW(GetFocus(), msg, wParam, msg == WM_SYSCHAR ? LPARAM{1} << 29 : 0);
    return false;
  });
  EXPECT_EQ(caption, L"プロファイルの編集");
  EXPECT_EQ(labels, (std::vector<std::wstring>{L"プロファイル &1", L"プロファイル &2",
                                               L"プロファイル &3", L"プロファイル &4",
                                               L"プロファイル &5"}));
  EXPECT_EQ(defaultButton, MAKELRESULT(IDC_PROFILES_OK, DC_HASDEFID));
  EXPECT_EQ(selection, MAKELONG(0, kDefaults[0].size())) << "the first box's text is selected";
  const int box = IDC_PROFILE_EDIT_BASE;
  EXPECT_EQ(focus, (std::vector<int>{box, box + 1, box + 3, box + 4, IDC_PROFILES_OK,
                                     IDC_PROFILES_CANCEL, box}));
}

}  // namespace
