// The program's fixed sizes, each at and just past its limit, through the real services under
// Wine: the settings values (2047 bytes), the ProgramFiles buffer of the locate dialog
// (MAX_PATH), the locate dialog's file buffer (32768), the signature bytes of the item
// classifier, the platform's command-line limit (32767 units) and the result list's largest
// horizontal extent (INT_MAX).
#include <climits>
#include <cstdio>

#include "app/batch/Files.h"
#include "app/batch/ArchiveRules.h"
#include "controls/ListBoxEx.h"
#include "resources/Layouts.h"
#include "tests/win/MainWindowFixture.h"
#include "tests/win/TestWindow.h"
#include "toolkit/IniFile.h"

#include <commdlg.h>

using namespace kestrova;
using namespace kestrova::test;

namespace {

const std::wstring kHyo = L"表";  // in Shift_JIS its trail byte is a backslash

std::wstring Repeat(const std::wstring& unit, std::size_t times) {
  std::wstring text;
  text.reserve(unit.size() * times);
  for (std::size_t i = 0; i < times; ++i) text += unit;
  return text;
}

// The longest run of whole characters from the front that takes at most limit bytes in the
// active code page.
std::wstring CodePagePrefix(const std::wstring& text, std::size_t limit) {
  std::size_t bytes = 0, end = 0;
  for (wchar_t c : text) {
    bytes += ToCodePage(std::wstring(1, c)).value().size();
    if (bytes > limit) break;
    ++end;
  }
  return text.substr(0, end);
}

// Length and last characters of a text, for failure messages about long texts.
std::string Describe(const std::wstring& text) {
  std::string out = std::to_string(text.size()) + " characters ending";
  for (std::size_t i = text.size() > 4 ? text.size() - 4 : 0; i < text.size(); ++i) {
    char hex[12];
    std::snprintf(hex, sizeof(hex), " %04x", static_cast<unsigned>(text[i]));
    out += hex;
  }
  return out;
}

// base followed by folders of at most 100 characters, so that the whole path has exactly
// length characters (and no trailing separator).
std::wstring PathOfLength(const std::wstring& base, std::size_t length) {
  std::wstring path = base;
  while (length - path.size() > 101) path += std::wstring(100, L'd') + L"\\";
  path += std::wstring(length - path.size(), L'e');
  return path;
}

// The visible, enabled dialog box (#32770) of this thread, or null.
HWND OwnDialog() {
  struct Search {
    HWND found = nullptr;
  } search;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM lp) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(h, name, 16);
        if (std::wstring(name) == L"#32770" && IsWindowVisible(h) && IsWindowEnabled(h)) {
          reinterpret_cast<Search*>(lp)->found = h;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The file name box of an open dialog: the edit inside the name combo, or the plain edit.
HWND FileNameBox(HWND dialog) {
  if (HWND combo = GetDlgItem(dialog, 1148)) {
    if (HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr)) return edit;
    return combo;
  }
  return GetDlgItem(dialog, 1152);
}

class LimitsTest : public MainWindowFixture {
 protected:
  LimitsTest() : MainWindowFixture(L"limits-test") {}

  // Opens the window on settings without an archiver and answers the locate dialog once.
  // Returns the texts of any message boxes that came up on the way (each is closed, and then
  // the dialog is cancelled: the answer was refused); the folder the dialog showed first goes
  // to startFolder_.
  std::vector<std::wstring> OpenAnsweringLocate(const std::wstring& answer) {
    startFolder_.clear();
    std::vector<std::wstring> boxes;
    bool answered = false;
    ULONGLONG answeredAt = 0;
    ThreadTicker ticker([&] {
      HWND dialog = OwnDialog();
      if (dialog == nullptr) return;
      HWND box = FileNameBox(dialog);
      if (box == nullptr) {
        // A message box about the answer: note its text and close it.
        boxes.push_back(WindowText(GetDlgItem(dialog, 0xFFFF)));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return;
      }
      if (!answered) {
        wchar_t folder[1024] = {};
        SendMessageW(dialog, CDM_GETFOLDERPATH, 1024, reinterpret_cast<LPARAM>(folder));
        startFolder_ = folder;
        SetWindowTextW(box, answer.c_str());
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        answered = true;
        answeredAt = GetTickCount64();
        return;
      }
      // Still open after a refusal, or long after the answer (only a hang takes that long):
      // cancelled, so that the test fails instead of waiting for ever.
      if (!boxes.empty() || GetTickCount64() - answeredAt > 30000) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      }
    });
    Open(L"[Main]\nWinRARPath=\n");
    return boxes;
  }

  std::wstring startFolder_;
};

// The settings read buffer: at most 2047 bytes of a value, cut between whole characters.

TEST_F(LimitsTest, SettingsValuesKeepAtMost2047BytesOfWholeCharacters) {
  struct Row {
    const char* what;
    std::wstring value;
    bool needs932;
  } rows[] = {
      {"empty", L"", false},
      {"2046 bytes", std::wstring(2046, L'v'), false},
      {"2047 bytes", std::wstring(2047, L'v'), false},
      {"2048 bytes", std::wstring(2048, L'v'), false},
      {"a megabyte", std::wstring(std::size_t{1} << 20, L'v'), false},
      {"2047 bytes ending in a single-byte character", Repeat(kHyo, 1023) + L"a", true},
      {"2047 bytes ending in a double-byte character", L"a" + Repeat(kHyo, 1023), true},
      {"2048 bytes of double-byte characters", Repeat(kHyo, 1024), true},
      {"a double-byte character across the 2047th byte", std::wstring(2046, L'a') + kHyo, true},
      {"3000 bytes of double-byte characters", Repeat(kHyo, 1500), true},
  };
  const bool cp932 = GetACP() == 932;
  std::wstring ini = L"[Main]\n";
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    if (rows[i].needs932 && !cp932) continue;
    ini += L"K" + std::to_wstring(i) + L"=" + rows[i].value + L"\n";
  }
  ini += L"After=still read\n";
  WriteFile(iniPath_, CodePageIni(ini));
  TIniFile file(iniPath_);
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    if (rows[i].needs932 && !cp932) continue;
    SCOPED_TRACE(rows[i].what);
    const std::wstring key = L"K" + std::to_wstring(i);
    const std::wstring read = file.ReadString(L"Main", key.c_str(), L"default");
    const std::wstring expected = CodePagePrefix(rows[i].value, 2047);
    EXPECT_TRUE(read == expected) << "read " << Describe(read) << ", expected "
                                  << Describe(expected);
  }
  EXPECT_EQ(file.ReadString(L"Main", L"After", L""), L"still read");

  // What the program saves back is what it reads the next time.
  const std::wstring longest(2047, L'w');
  file.WriteString(L"Main", L"Saved", longest);
  file.Save();
  EXPECT_EQ(TIniFile(iniPath_).ReadString(L"Main", L"Saved", L""), longest);
}

TEST_F(LimitsTest, SettingsIntegersAreParsedFromTheKeptBytes) {
  WriteFile(iniPath_, "[Main]\r\nAt=" + std::string(2045, '0') + "42\r\nPast=" +
                          std::string(2046, '0') + "42\r\n");
  TIniFile file(iniPath_);
  EXPECT_EQ(file.ReadInteger(L"Main", L"At", -1), 42);
  EXPECT_EQ(file.ReadInteger(L"Main", L"Past", -1), 4);  // "0...04": the last digit is cut
}

// The ProgramFiles buffer of the locate dialog: MAX_PATH characters, so a value of up to 259;
// the dialog itself starts only in a folder of at most 257 characters (Wine's dialog crashes
// on a longer one), which ProgramFiles\WinRAR is for a value of up to 250.

TEST_F(LimitsTest, LocateDialogStartsInWinRarUnderProgramFilesWhenItCan) {
  // The known folder ProgramFiles comes from the machine's registry: replaced for the test, put
  // back after it.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", 0,
                          KEY_QUERY_VALUE | KEY_SET_VALUE, &key),
            ERROR_SUCCESS);
  const ScopeExit closeKey([key] { RegCloseKey(key); });
  wchar_t saved[MAX_PATH * 4] = {};
  DWORD savedSize = sizeof saved;
  ASSERT_EQ(RegQueryValueExW(key, L"ProgramFilesDir", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(saved), &savedSize),
            ERROR_SUCCESS);
  const ScopeExit restore([&] {
    RegSetValueExW(key, L"ProgramFilesDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved),
                   savedSize);
  });
  const std::wstring decoy = File(L"decoy\\WinRAR.exe", "decoy");
  struct Row {
    std::size_t length;
    bool used;
  } rows[] = {{250, true}, {251, false}, {259, false}, {260, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.length);
    const std::wstring programFiles =
        PathOfLength(work_ + L"pf" + std::to_wstring(row.length) + L"\\", row.length);
    ASSERT_EQ(programFiles.size(), row.length);
    File(programFiles + L"\\WinRAR\\WinRAR.exe", "rar");
    RegSetValueExW(key, L"ProgramFilesDir", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(programFiles.c_str()),
                   static_cast<DWORD>((programFiles.size() + 1) * sizeof(wchar_t)));
    // Answered with a short path: Wine's dialog also fails on a name that makes a path of
    // MAX_PATH characters or more with its folder.
    const std::vector<std::wstring> boxes = OpenAnsweringLocate(decoy);
    EXPECT_EQ(main_->OpenDialog.InitialDir, row.used ? programFiles + L"\\WinRAR" : L"");
    if (row.used) {
      EXPECT_EQ(startFolder_, programFiles + L"\\WinRAR");
    } else {
      EXPECT_NE(startFolder_.substr(0, programFiles.size()), programFiles);
    }
    EXPECT_EQ(main_->WinRARPath, decoy);
    EXPECT_TRUE(boxes.empty()) << boxes.size() << " message boxes";
    main_.reset();
  }
}

// The locate dialog's file buffer: 32768 characters, more than any path here can have (Linux
// keeps paths under 4096 bytes, and Wine's dialog itself takes names of at most 259
// characters); the longest name the dialog takes must arrive whole.

TEST_F(LimitsTest, LocateDialogGivesTheLongestPathItTakesWhole) {
  const std::wstring archiver = File(PathOfLength(work_ + L"long\\", 251) + L"\\rar.exe", "rar");
  ASSERT_EQ(archiver.size(), 259u);
  const std::vector<std::wstring> boxes = OpenAnsweringLocate(archiver);
  EXPECT_EQ(main_->WinRARPath, archiver);
  EXPECT_TRUE(boxes.empty()) << boxes.size() << " message boxes";
}

// The classifier: a folder by what it is, whatever its name; a file by its first two bytes; the
// path itself has no size limit of the program's.

TEST_F(LimitsTest, ClassifierReadsTwoSignatureBytesOfFilesOnAnyPath) {
  struct Row {
    const char* what;
    std::wstring path;
    TItemKind kind;
  } rows[] = {
      {"a folder, whatever its name", Folder(L"looks-like.zip"), ikFolder},
      {"a folder named in Korean and with an emoji", Folder(L"정리 smile😀"), ikFolder},
      {"a text file", File(L"a.txt", "hello"), ikOther},
      {"an empty file", File(L"empty", ""), ikOther},
      {"a one-byte file that could start PK", File(L"one", "P"), ikOther},
      {"PK only after the first bytes", File(L"late", "xPK"), ikOther},
      {"exactly the two bytes PK", File(L"pk", "PK"), ikZip},
      {"exactly the two bytes 7z", File(L"7z", "7z"), ik7z},
      {"one byte 7", File(L"seven", "7"), ikOther},
      {"PK then a zero", File(L"pk0", std::string("PK\0", 3)), ikZip},
      {"a zero then K", File(L"0k", std::string("\0K", 2)), ikOther},
      {"a folder of 259 characters", Folder(PathOfLength(work_ + L"f259\\", 259)), ikFolder},
      {"a folder of 260 characters", Folder(PathOfLength(work_ + L"f260\\", 260)), ikFolder},
      {"a folder of 600 characters", Folder(PathOfLength(work_ + L"f600\\", 600)), ikFolder},
      {"a ZIP archive of 300 characters",
       File(PathOfLength(work_ + L"z300\\", 300), "PK\x03\x04"), ikZip},
      {"a missing path of 300 characters", PathOfLength(work_ + L"m300\\", 300), ikUnreadable},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(GetItemKind(row.path), row.kind);
  }
}

// The platform's command-line limit: 32767 UTF-16 units with the terminating zero.

TEST_F(LimitsTest, JobRunsACommandLineOf32766UnitsAndRefusesOneMore) {
  const std::wstring folder = Folder(L"Trip");
  const std::wstring fixed = RunOf(L"a ", folder);
  struct Row {
    const char* what;
    std::wstring unit;  // one character
    std::size_t units;
    bool runs;
  } rows[] = {
      {"ASCII at the limit", L"x", 32766, true},
      {"ASCII one past the limit", L"x", 32767, false},
      {"Japanese at the limit", kHyo, 32766, true},
      {"Japanese one past the limit", kHyo, 32767, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::error_code ignored;
    fs::remove(log_, ignored);
    TKSTV_MAIN& main = Open(L"[Main]\nWinRARPath=" + archiver_ + L"\n");
    const std::wstring profile = L"a " + Repeat(row.unit, row.units - fixed.size());
    main.CB_Profile.Clear();
    main.CB_Profile.Add(profile);
    main.CB_Profile.SetItemIndex(0);
    const std::wstring line = RunOf(profile, folder);
    ASSERT_EQ(line.size(), row.units);
    Archive(main, folder);
    ASSERT_EQ(main.LIST.Items.Count(), 1);
    EXPECT_EQ(main.LIST.Items.Get(0), row.runs ? OkLine(L"Trip") : NgLine(L"Trip"));
    const std::vector<std::wstring> runs = ArchiverRuns();
    if (row.runs) {
      ASSERT_EQ(runs.size(), 1u);
      EXPECT_TRUE(runs[0] == line) << "the archiver got " << runs[0].size() << " units of "
                                   << line.size();
    } else {
      EXPECT_TRUE(runs.empty());
    }
    main_.reset();
  }
}

// The result list's horizontal extent is an int: the widest line plus Space stops at INT_MAX.

TEST_F(LimitsTest, ResultListExtentStopsAtIntMax) {
  test::TestParent parent;
  TListBoxEx list(parent.Handle(), layouts::kMain.Control(IDC_LIST), 96);
  list.Items.Add(L"a line of some width");
  ASSERT_GT(list.MaxItemWidth(), 0);
  list.SetSpace(INT_MAX - list.MaxItemWidth());
  EXPECT_EQ(SendMessageW(list.Handle(), LB_GETHORIZONTALEXTENT, 0, 0), INT_MAX);
  list.SetSpace(INT_MAX);
  EXPECT_EQ(SendMessageW(list.Handle(), LB_GETHORIZONTALEXTENT, 0, 0), INT_MAX);
  list.SetSpace(INT_MIN);
  EXPECT_EQ(SendMessageW(list.Handle(), LB_GETHORIZONTALEXTENT, 0, 0), 0);
}

}  // namespace
