// The program's fixed sizes, each at and just past its limit, through the real services under
// Wine: the settings read buffer (2048 bytes), the ProgramFiles buffer of the locate dialog
// (MAX_PATH), the locate dialog's file buffer (32768), the signature bytes of the item
// classifier, the platform's command-line limit (32767 characters) and the result list's
// largest horizontal extent (INT_MAX).
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/ItemKind.h"
#include "app/JobText.h"
#include "app/Main.h"
#include "controls/ListBoxEx.h"
#include "resources/Layouts.h"
#include "resources/resource.h"
#include "tests/win/TestWindow.h"
#include "toolkit/Application.h"
#include "toolkit/IniFile.h"
#include "toolkit/TextRules.h"

#include <commdlg.h>

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

const std::string kHyo = "\x95\x5C";  // 表: its trail byte is a backslash

std::string ExeDir() {
  std::string ini = TKSTV_MAIN::SettingsPath();
  return ini.substr(0, ini.size() - std::string("Kestrova.ini").size());
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string Repeat(const std::string& unit, std::size_t times) {
  std::string text;
  text.reserve(unit.size() * times);
  for (std::size_t i = 0; i < times; ++i) text += unit;
  return text;
}

// The longest run of whole Shift_JIS characters from the front that takes at most limit bytes.
std::string WholeCharacterPrefix(const std::string& text, std::size_t limit) {
  std::size_t end = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t length = CharLength(text, pos, ShiftJisLeadByte);
    if (pos + length > limit) break;
    pos += length;
    end = pos;
  }
  return text.substr(0, end);
}

// Length and last bytes of a text, for failure messages about long texts.
std::string Describe(const std::string& text) {
  std::string out = std::to_string(text.size()) + " bytes ending";
  for (std::size_t i = text.size() > 4 ? text.size() - 4 : 0; i < text.size(); ++i) {
    char hex[8];
    std::snprintf(hex, sizeof(hex), " %02x", static_cast<unsigned char>(text[i]));
    out += hex;
  }
  return out;
}

// base followed by folders of at most 100 characters, so that the whole path has exactly
// length characters (and no trailing separator).
std::string PathOfLength(const std::string& base, std::size_t length) {
  std::string path = base;
  while (length - path.size() > 101) path += std::string(100, 'd') + "\\";
  path += std::string(length - path.size(), 'e');
  return path;
}

// Runs a callback every few milliseconds on this thread, inside whatever loop is pumping (a
// job's wait, a modal dialog).
class ThreadTicker {
 public:
  explicit ThreadTicker(std::function<void()> tick) {
    Current() = std::move(tick);
    id_ = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
      if (Current()) Current()();
    });
  }
  ~ThreadTicker() {
    KillTimer(nullptr, id_);
    Current() = nullptr;
  }

 private:
  static std::function<void()>& Current() {
    static std::function<void()> tick;
    return tick;
  }
  UINT_PTR id_;
};

// The visible, enabled dialog box (#32770) of this thread, or null.
HWND OwnDialog() {
  struct Search {
    HWND found = nullptr;
  } search;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM lp) -> BOOL {
        char name[16] = {};
        GetClassNameA(h, name, sizeof(name));
        if (std::string(name) == "#32770" && IsWindowVisible(h) && IsWindowEnabled(h)) {
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
    if (HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr)) return edit;
    return combo;
  }
  return GetDlgItem(dialog, 1152);
}

class LimitsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application.Initialize(GetModuleHandleA(nullptr));
    Application.SetTitle(KESTROVA_TITLE_TEXT);
    ASSERT_EQ(LoadStr(IDS_RESULT_OK), "[OK] ");
    iniPath_ = TKSTV_MAIN::SettingsPath();
    std::error_code ignored;
    fs::remove_all(iniPath_, ignored);
    work_ = ExeDir() + "limits-test\\";
    fs::remove_all(work_, ignored);
    fs::create_directories(work_);
    archiver_ = ExeDir() + "..\\..\\tools\\fakerar.exe";
    log_ = work_ + "archiver.log";
    SetEnvironmentVariableA("FAKE_ARCHIVER_LOG", log_.c_str());
  }

  void TearDown() override {
    main_.reset();
    std::error_code ignored;
    fs::remove_all(iniPath_, ignored);
    fs::remove_all(work_, ignored);
    SetEnvironmentVariableA("FAKE_ARCHIVER_LOG", nullptr);
  }

  TKSTV_MAIN& Open(const std::string& ini) {
    WriteFile(iniPath_, ini);
    main_ = std::make_unique<TKSTV_MAIN>();
    main_->LoadSettings();
    return *main_;
  }

  // Opens the window on settings without an archiver and answers the locate dialog: with
  // answer first, and with fallback (a full path) should the dialog refuse the first answer.
  // Returns the texts of any message boxes that came up on the way; the folder the dialog
  // showed first goes to startFolder_.
  std::vector<std::string> OpenAnsweringLocate(const std::string& answer,
                                               const std::string& fallback) {
    startFolder_.clear();
    std::vector<std::string> boxes;
    int answers = 0, ticks = 0, answeredAt = 0;
    ThreadTicker ticker([&] {
      ++ticks;
      HWND dialog = OwnDialog();
      if (dialog == nullptr) return;
      HWND box = FileNameBox(dialog);
      if (box == nullptr) {
        // A message box about the answer: note its text and close it.
        char text[1024] = {};
        GetDlgItemTextA(dialog, 0xFFFF, text, sizeof(text));
        boxes.push_back(text);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        return;
      }
      if (answers == 0) {
        char folder[1024] = {};
        SendMessageA(dialog, CDM_GETFOLDERPATH, sizeof(folder), reinterpret_cast<LPARAM>(folder));
        startFolder_ = folder;
      }
      // The dialog is still open some time after an answer: it did not take it.
      if (answers > 0 && ticks - answeredAt < 25) return;
      if (answers >= 4) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
      }
      const std::string& name = answers == 0 ? answer : fallback;
      SetWindowTextA(box, name.c_str());
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
      ++answers;
      answeredAt = ticks;
    });
    Open("[Main]\r\nWinRARPath=\r\n");
    return boxes;
  }

  std::string Folder(const std::string& path) {
    fs::create_directories(path);
    return path;
  }

  std::string File(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    WriteFile(path, bytes);
    return path;
  }

  std::vector<std::string> ArchiverRuns() { return Lines(ReadFile(log_)); }

  std::string iniPath_, work_, archiver_, log_, startFolder_;
  std::unique_ptr<TKSTV_MAIN> main_;
};

// The settings read buffer: 2048 bytes, so at most 2047 bytes of a value.

TEST_F(LimitsTest, SettingsValuesKeepAtMost2047Bytes) {
  const std::size_t lengths[] = {0, 1, 2046, 2047, 2048, 3000, std::size_t{1} << 20};
  std::string ini = "[Main]\r\n";
  for (std::size_t length : lengths) {
    ini += "K" + std::to_string(length) + "=" + std::string(length, 'v') + "\r\n";
  }
  ini += "After=still read\r\n";
  WriteFile(iniPath_, ini);
  TIniFile file(iniPath_);
  for (std::size_t length : lengths) {
    SCOPED_TRACE(length);
    const std::string key = "K" + std::to_string(length);
    const std::string read = file.ReadString("Main", key.c_str(), "default");
    const std::string expected(std::min<std::size_t>(length, 2047), 'v');
    EXPECT_TRUE(read == expected) << "read " << Describe(read) << ", expected "
                                  << Describe(expected);
  }
  EXPECT_EQ(file.ReadString("Main", "After", ""), "still read");

  // What the program saves back is what it reads the next time.
  const std::string longest(2047, 'w');
  file.WriteString("Main", "Saved", longest);
  EXPECT_EQ(file.ReadString("Main", "Saved", ""), longest);
}

TEST_F(LimitsTest, SettingsValuesAreCutOnlyBetweenWholeCharacters) {
  if (GetACP() != 932) GTEST_SKIP() << "needs code page 932";
  struct Row {
    const char* what;
    std::string value;
  } rows[] = {
      {"2047 bytes ending in a single-byte character", Repeat(kHyo, 1023) + "a"},
      {"2047 bytes ending in a double-byte character", "a" + Repeat(kHyo, 1023)},
      {"2048 bytes of double-byte characters", Repeat(kHyo, 1024)},
      {"a double-byte character across the 2047th byte", std::string(2046, 'a') + kHyo},
      {"3000 bytes of double-byte characters", Repeat(kHyo, 1500)},
  };
  std::string ini = "[Main]\r\n";
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    ini += "K" + std::to_string(i) + "=" + rows[i].value + "\r\n";
  }
  WriteFile(iniPath_, ini);
  TIniFile file(iniPath_);
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(rows[i].what);
    const std::string key = "K" + std::to_string(i);
    const std::string read = file.ReadString("Main", key.c_str(), "");
    // Every byte read comes from the file: no byte of the buffer that was never written.
    const std::string expected = WholeCharacterPrefix(rows[i].value, 2047);
    EXPECT_TRUE(read == expected) << "read " << Describe(read) << ", expected "
                                  << Describe(expected);
  }
}

TEST_F(LimitsTest, SettingsIntegersAreParsedFromTheKeptBytes) {
  WriteFile(iniPath_, "[Main]\r\nAt=" + std::string(2045, '0') + "42\r\nPast=" +
                          std::string(2046, '0') + "42\r\n");
  TIniFile file(iniPath_);
  EXPECT_EQ(file.ReadInteger("Main", "At", -1), 42);
  EXPECT_EQ(file.ReadInteger("Main", "Past", -1), 4);  // "0...04": the last digit is cut
}

// The ProgramFiles buffer of the locate dialog: MAX_PATH bytes, so a value of up to 259; the
// dialog itself starts only in a folder of at most 257 characters (Wine's dialog crashes on a
// longer one), which ProgramFiles\WinRAR is for a value of up to 250.

TEST_F(LimitsTest, LocateDialogStartsInWinRarUnderProgramFilesWhenItCan) {
  char saved[MAX_PATH * 4] = {};
  const DWORD savedLength = GetEnvironmentVariableA("ProgramFiles", saved, sizeof(saved));
  const std::string decoy = File(work_ + "decoy\\WinRAR.exe", "decoy");
  struct Row {
    std::size_t length;
    bool used;
  } rows[] = {{250, true}, {251, false}, {259, false}, {260, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.length);
    const std::string programFiles =
        PathOfLength(work_ + "pf" + std::to_string(row.length) + "\\", row.length);
    ASSERT_EQ(programFiles.size(), row.length);
    const std::string inside = File(programFiles + "\\WinRAR\\WinRAR.exe", "rar");
    SetEnvironmentVariableA("ProgramFiles", programFiles.c_str());
    // Answered with a short path: Wine's dialog also fails on a name that makes a path of
    // MAX_PATH characters or more with its folder.
    std::vector<std::string> boxes = OpenAnsweringLocate(decoy, decoy);
    EXPECT_EQ(main_->OpenDialog.InitialDir, row.used ? programFiles + "\\WinRAR" : "");
    if (row.used) {
      EXPECT_EQ(startFolder_, programFiles + "\\WinRAR");
    } else {
      EXPECT_NE(startFolder_.substr(0, programFiles.size()), programFiles);
    }
    EXPECT_EQ(WinRARPath, decoy);
    EXPECT_TRUE(boxes.empty()) << boxes.size() << " message boxes";
    main_.reset();
  }
  SetEnvironmentVariableA("ProgramFiles", savedLength > 0 ? saved : nullptr);
}

// The locate dialog's file buffer: 32768 characters, more than any path here can have (Linux
// keeps paths under 4096 bytes, and Wine's dialog itself takes names of at most 259
// characters); the longest name the dialog takes must arrive whole.

TEST_F(LimitsTest, LocateDialogGivesTheLongestPathItTakesWhole) {
  const std::string decoy = File(work_ + "decoy\\rar.exe", "decoy");
  const std::string archiver = File(PathOfLength(work_ + "long\\", 251) + "\\rar.exe", "rar");
  ASSERT_EQ(archiver.size(), 259u);
  std::vector<std::string> boxes = OpenAnsweringLocate(archiver, decoy);
  EXPECT_EQ(WinRARPath, archiver);
  EXPECT_TRUE(boxes.empty()) << boxes.size() << " message boxes";
}

// The classifier's signature: the first two bytes of a file, read into a zeroed buffer; the
// path itself has no size limit of the program's.

TEST_F(LimitsTest, ClassifierReadsTwoSignatureBytesOfFilesOnAnyPath) {
  struct Row {
    const char* what;
    std::string path;
    TItemKind kind;
  } rows[] = {
      {"exactly the two bytes PK", File(work_ + "pk", "PK"), ikZip},
      {"exactly the two bytes 7z", File(work_ + "7z", "7z"), ik7z},
      {"one byte 7", File(work_ + "seven", "7"), ikOther},
      {"PK then a zero", File(work_ + "pk0", std::string("PK\0", 3)), ikZip},
      {"a zero then K", File(work_ + "0k", std::string("\0K", 2)), ikOther},
      {"a folder of 259 characters", Folder(PathOfLength(work_ + "f259\\", 259)), ikFolder},
      {"a folder of 260 characters", Folder(PathOfLength(work_ + "f260\\", 260)), ikFolder},
      {"a folder of 261 characters", Folder(PathOfLength(work_ + "f261\\", 261)), ikFolder},
      {"a folder of 600 characters", Folder(PathOfLength(work_ + "f600\\", 600)), ikFolder},
      {"a ZIP archive of 300 characters", File(PathOfLength(work_ + "z300\\", 300), "PK\x03\x04"),
       ikZip},
      {"a missing path of 300 characters", PathOfLength(work_ + "m300\\", 300), ikUnreadable},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(GetItemKind(row.path), row.kind);
  }
}

// The platform's command-line limit: 32767 characters with the terminating zero, a
// double-byte character counting once.

TEST_F(LimitsTest, JobRunsACommandLineOf32766CharactersAndRefusesOneMore) {
  const std::string folder = Folder(work_ + "Trip");
  const std::string fixed =
      "\"" + archiver_ + "\" a  \"" + folder + ".rar\" \"" + folder + "\\*\"";
  struct Row {
    const char* what;
    std::string unit;  // one character
    std::size_t chars;
    bool runs;
  } rows[] = {
      {"single-byte characters at the limit", "x", 32766, true},
      {"single-byte characters one past the limit", "x", 32767, false},
      {"double-byte characters at the limit", kHyo, 32766, true},
      {"double-byte characters one past the limit", kHyo, 32767, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.unit.size() == 2 && GetACP() != 932) continue;
    std::error_code ignored;
    fs::remove(log_, ignored);
    TKSTV_MAIN& main = Open("[Main]\r\nWinRARPath=" + archiver_ + "\r\n");
    const std::string profile = "a " + Repeat(row.unit, row.chars - fixed.size());
    main.CB_Profile.Clear();
    main.CB_Profile.Add(profile);
    main.CB_Profile.SetItemIndex(0);
    const std::string line = "\"" + archiver_ + "\" " + profile + " \"" + folder + ".rar\" \"" +
                             folder + "\\*\"";
    ASSERT_EQ(CharCount(line, ShiftJisLeadByte), row.chars);
    main.ArchiveFolder(folder);
    ASSERT_EQ(main.LIST.Items.Count(), 1);
    EXPECT_EQ(main.LIST.Items.Get(0), LoadStr(row.runs ? IDS_RESULT_OK : IDS_RESULT_NG) + "Trip");
    std::vector<std::string> runs = ArchiverRuns();
    if (row.runs) {
      ASSERT_EQ(runs.size(), 1u);
      EXPECT_TRUE(runs[0] == line) << "the archiver got " << runs[0].size() << " bytes of "
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
  list.Items.Add("a line of some width");
  ASSERT_GT(list.MaxItemWidth(), 0);
  list.SetSpace(INT_MAX - list.MaxItemWidth());
  EXPECT_EQ(list.Perform(LB_GETHORIZONTALEXTENT), INT_MAX);
  list.SetSpace(INT_MAX);
  EXPECT_EQ(list.Perform(LB_GETHORIZONTALEXTENT), INT_MAX);
  list.SetSpace(INT_MIN);
  EXPECT_EQ(list.Perform(LB_GETHORIZONTALEXTENT), 0);
}

}  // namespace
