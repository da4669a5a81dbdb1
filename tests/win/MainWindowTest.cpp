// The main window in-process under Wine: the settings file through the real profile-string
// services, item classification on real files, archive jobs and batches with real processes
// (the stand-in archiver), drops through a real drop handle.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <shlobj.h>

#include "app/ItemKind.h"
#include "app/Main.h"
#include "resources/resource.h"
#include "toolkit/Application.h"

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

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

// Runs a callback every few milliseconds on this thread, inside whatever loop is pumping
// (a job's wait, a message box): the only way to look at the window while a job runs.
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

// A real drop handle, as the shell hands it to WM_DROPFILES (released by the receiver).
HDROP MakeDrop(const std::vector<std::string>& paths) {
  std::string list;
  for (const std::string& path : paths) {
    list += path;
    list.push_back('\0');
  }
  list.push_back('\0');
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = FALSE;
  memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application.Initialize(GetModuleHandleA(nullptr));
    Application.SetTitle(KESTROVA_TITLE_TEXT);
    // The expectations below use the program's own texts: they must be there.
    ASSERT_EQ(LoadStr(IDS_RESULT_OK), "[OK] ");
    iniPath_ = TKSTV_MAIN::SettingsPath();
    std::error_code ignored;
    fs::remove_all(iniPath_, ignored);
    work_ = ExeDir() + "main-window-test\\";
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

  // The main window with its settings loaded from the given file text.
  TKSTV_MAIN& Open(const std::string& ini) {
    WriteFile(iniPath_, ini);
    main_ = std::make_unique<TKSTV_MAIN>();
    main_->LoadSettings();
    return *main_;
  }

  // Settings for jobs run by the stand-in archiver with the given profile.
  TKSTV_MAIN& OpenWithArchiver(const std::string& profile, const std::string& archiver = "") {
    return Open("[Main]\r\nWinRARPath=" + (archiver.empty() ? archiver_ : archiver) +
                "\r\nWinRARCommandLine=" + profile + "\r\n");
  }

  std::string Folder(const std::string& name) {
    std::string path = work_ + name;
    fs::create_directories(path);
    return path;
  }

  std::string File(const std::string& name, const std::string& bytes) {
    std::string path = work_ + name;
    WriteFile(path, bytes);
    return path;
  }

  std::vector<std::string> ArchiverRuns() { return Lines(ReadFile(log_)); }

  std::string iniPath_, work_, archiver_, log_;
  std::unique_ptr<TKSTV_MAIN> main_;
};

std::string OkLine(const std::string& name) { return LoadStr(IDS_RESULT_OK) + name; }
std::string NgLine(const std::string& name) { return LoadStr(IDS_RESULT_NG) + name; }

// Settings

TEST_F(MainWindowTest, LoadAppliesEveryKeyByItsValueRules) {
  const std::string longProfile(3000, 'p');
  struct Row {
    const char* what;
    std::string ini;
    RECT bounds;  // left, top, right, bottom as loaded
    std::string ext;
    std::vector<std::string> profiles;
  } rows[] = {
      {"missing keys take their defaults",
       "[Main]\r\nWinRARPath=C:\\rar.exe\r\n",
       {300, 300, 588, 600},
       ".rar",
       {"a -r -ep1 -m0 -rr3p", "a -r -ep1 -m5 -rr3p", "", "", ""}},
      {"hexadecimal spellings and a malformed width",
       "[Main]\r\nWinRARPath=C:\\rar.exe\r\nMainX=0x20\r\nMainY=$20\r\nMainW=abc\r\nMainH=x200\r\n",
       {32, 32, 32 + 288, 32 + 512},
       ".rar",
       {"a -r -ep1 -m0 -rr3p", "a -r -ep1 -m5 -rr3p", "", "", ""}},
      {"negative and out-of-range integers, empty texts kept empty",
       "[Main]\r\nWinRARPath=C:\\rar.exe\r\nMainX=-5\r\nMainY=99999999999\r\nMainW=0x\r\n"
       "FileExt=\r\nWinRARCommandLine=\r\nWinRARCommandLine4=x -y\r\n",
       {-5, 300, -5 + 288, 600},
       "",
       {"", "a -r -ep1 -m5 -rr3p", "", "x -y", ""}},
      {"a 3000-byte profile keeps its first 2047 bytes",
       "[Main]\r\nWinRARPath=C:\\rar.exe\r\nWinRARCommandLine2=" + longProfile + "\r\n",
       {300, 300, 588, 600},
       ".rar",
       {"a -r -ep1 -m0 -rr3p", longProfile.substr(0, 2047), "", "", ""}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TKSTV_MAIN& main = Open(row.ini);
    RECT r = main.Bounds();
    EXPECT_EQ(r.left, row.bounds.left);
    EXPECT_EQ(r.top, row.bounds.top);
    EXPECT_EQ(r.right - r.left, row.bounds.right - row.bounds.left);
    EXPECT_EQ(r.bottom - r.top, row.bounds.bottom - row.bounds.top);
    EXPECT_EQ(main.E_Ext.Text(), row.ext);
    EXPECT_EQ(WinRARPath, "C:\\rar.exe");
    ASSERT_EQ(main.CB_Profile.Count(), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(main.CB_Profile.Item(i), row.profiles[i]) << i;
    EXPECT_EQ(main.CB_Profile.ItemIndex(), 0);
    main_.reset();
  }
}

TEST_F(MainWindowTest, SaveWritesAllElevenKeysInOrder) {
  TKSTV_MAIN& main = Open("[Main]\r\nWinRARPath=C:\\rar.exe\r\n");
  std::error_code ignored;
  fs::remove(iniPath_, ignored);
  WinRARPath = "C:\\Program Files\\WinRAR\\WinRAR.exe";
  main.CB_Profile.Clear();
  for (const char* p : {"a -r", "", "b", "", ""}) main.CB_Profile.Add(p);
  SetWindowPos(main.Handle(), nullptr, 10, 20, 300, 310, SWP_NOZORDER | SWP_NOACTIVATE);
  main.E_Ext.SetText(".7z");
  main.SaveSettings();
  EXPECT_EQ(Lines(ReadFile(iniPath_)),
            (std::vector<std::string>{"[Main]", "MainX=10", "MainY=20", "MainW=300", "MainH=310",
                                      "FileExt=.7z",
                                      "WinRARPath=C:\\Program Files\\WinRAR\\WinRAR.exe",
                                      "WinRARCommandLine=a -r", "WinRARCommandLine2=",
                                      "WinRARCommandLine3=b", "WinRARCommandLine4=",
                                      "WinRARCommandLine5="}));
}

TEST_F(MainWindowTest, SaveKeepsTheRestoredBoundsOfAMinimizedWindow) {
  TKSTV_MAIN& main = Open("[Main]\r\nWinRARPath=C:\\rar.exe\r\nMainX=40\r\nMainY=50\r\n"
                          "MainW=400\r\nMainH=350\r\n");
  ShowWindow(main.Handle(), SW_SHOWNOACTIVATE);
  ShowWindow(main.Handle(), SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(main.Handle()));
  main.SaveSettings();
  std::string text = ReadFile(iniPath_);
  EXPECT_NE(text.find("MainX=40\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("MainY=50\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("MainW=400\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("MainH=350\r\n"), std::string::npos) << text;
}

TEST_F(MainWindowTest, RefusedWriteNamesTheSettingsFile) {
  TKSTV_MAIN& main = Open("[Main]\r\nWinRARPath=C:\\rar.exe\r\n");
  std::error_code ignored;
  fs::remove(iniPath_, ignored);
  fs::create_directory(iniPath_);  // a folder where the file should be: every write fails
  std::string expected = LoadStr(IDS_CANNOT_WRITE);
  expected.replace(expected.find("%s"), 2, iniPath_);
  try {
    main.SaveSettings();
    FAIL() << "the save did not report the refused write";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), expected);
  }
}

// Classification

TEST_F(MainWindowTest, ItemKindsOfRealPaths) {
  struct Row {
    const char* what;
    std::string path;
    TItemKind kind;
  } rows[] = {
      {"a folder, whatever its name", Folder("looks-like.zip"), ikFolder},
      {"a ZIP archive", File("a.zip", std::string("PK\x03\x04rest", 8)), ikZip},
      {"a 7z archive", File("a.7z", "7z\xBC\xAF\x27\x1C"), ik7z},
      {"a text file", File("a.txt", "hello"), ikOther},
      {"an empty file", File("empty", ""), ikOther},
      {"a one-byte file that could start PK", File("one", "P"), ikOther},
      {"PK only after the first bytes", File("late", "xPK"), ikOther},
      {"a missing path", work_ + "missing", ikUnreadable},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(GetItemKind(row.path), row.kind);
  }
}

// The archive job

TEST_F(MainWindowTest, JobRunsTheExactCommandLineAndJudgesByExitCode) {
  struct Row {
    const char* what;
    std::string profile;
    bool ok;
  } rows[] = {
      {"exit code 0", "a --exit=0", true},
      {"exit code 1", "a --exit=1", false},
      {"exit code 2", "a --exit=2", false},
      {"a crash", "a --crash", false},
      {"a profile of several switches passes unchanged", "a  -r --exit=0 -m5", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::error_code ignored;
    fs::remove(log_, ignored);
    TKSTV_MAIN& main = OpenWithArchiver(row.profile);
    std::string folder = Folder("My Photos");
    main.ArchiveFolder(folder);
    EXPECT_EQ(ArchiverRuns(), (std::vector<std::string>{"\"" + archiver_ + "\" " + row.profile +
                                                        " \"" + folder + ".rar\" \"" + folder +
                                                        "\\*\""}));
    ASSERT_EQ(main.LIST.Items.Count(), 1);
    EXPECT_EQ(main.LIST.Items.Get(0), row.ok ? OkLine("My Photos") : NgLine("My Photos"));
    EXPECT_EQ(main.Caption(), LoadStr(IDS_CAPTION_DONE));
    EXPECT_TRUE(main.Enabled());
    main_.reset();
  }
}

TEST_F(MainWindowTest, JobThatCannotStartGivesNgWithoutRunningAnything) {
  struct Row {
    const char* what;
    std::string archiver;
    std::string profile;
  } rows[] = {
      {"missing archiver", work_ + "no-such.exe", "a"},
      {"archiver path is a folder", Folder("not-a-program"), "a"},
      {"archiver is not a program", File("text.exe", "just text"), "a"},
      {"command line longer than the platform takes", archiver_, "a " + std::string(33000, 'x')},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TKSTV_MAIN& main = OpenWithArchiver("a", row.archiver);
    // Set after the load, which keeps at most 2047 bytes of a profile.
    main.CB_Profile.Clear();
    main.CB_Profile.Add(row.profile);
    main.CB_Profile.SetItemIndex(0);
    main.ArchiveFolder(Folder("Trip"));
    ASSERT_EQ(main.LIST.Items.Count(), 1);
    EXPECT_EQ(main.LIST.Items.Get(0), NgLine("Trip"));
    EXPECT_EQ(main.Caption(), LoadStr(IDS_CAPTION_DONE));
    EXPECT_TRUE(main.Enabled());
    EXPECT_TRUE(ArchiverRuns().empty());
    main_.reset();
  }
}

TEST_F(MainWindowTest, JobShowsProgressAndKeepsTheWindowDisabledWhileItRuns) {
  TKSTV_MAIN& main = OpenWithArchiver("a --delay=600");
  std::string folder = Folder("Trip");
  std::vector<std::string> captions;
  int disabledTicks = 0, ticks = 0;
  {
    ThreadTicker ticker([&] {
      ++ticks;
      if (!main.Enabled()) ++disabledTicks;
      if (captions.empty() || captions.back() != main.Caption()) captions.push_back(main.Caption());
    });
    main.ArchiveFolder(folder);
  }
  // Ticks arrive while the job waits, so its messages were handled during the run.
  EXPECT_GE(ticks, 10);
  EXPECT_EQ(disabledTicks, ticks);
  EXPECT_EQ(captions, (std::vector<std::string>{LoadStr(IDS_CAPTION_BUSY) + "Trip"}));
  EXPECT_EQ(main.Caption(), LoadStr(IDS_CAPTION_DONE));
  EXPECT_TRUE(main.Enabled());
}

TEST_F(MainWindowTest, JobOnAJapaneseFolderWhoseLastByteIsABackslash) {
  // 表 is 0x95 0x5C in Shift_JIS: its trail byte is not a separator.
  if (GetACP() != 932) GTEST_SKIP() << "needs code page 932";
  TKSTV_MAIN& main = OpenWithArchiver("a");
  std::string folder = Folder("\x95\x5C");
  main.ArchiveFolder(folder);
  ASSERT_EQ(main.LIST.Items.Count(), 1);
  EXPECT_EQ(main.LIST.Items.Get(0), OkLine("\x95\x5C"));
  EXPECT_EQ(ArchiverRuns(), (std::vector<std::string>{"\"" + archiver_ + "\" a \"" + folder +
                                                      ".rar\" \"" + folder + "\\*\""}));
}

// Batches

TEST_F(MainWindowTest, DropBatchArchivesFoldersInOrderAndSkipsTheRest) {
  TKSTV_MAIN& main = OpenWithArchiver("a");
  main.LIST.Items.Add("old line");
  std::string first = Folder("first"), second = Folder("second folder");
  std::string zip = File("z.zip", "PK..");
  SendMessageA(main.Handle(), WM_DROPFILES,
               reinterpret_cast<WPARAM>(MakeDrop({first, zip, second, work_ + "gone"})), 0);
  EXPECT_EQ(main.LIST.Items.Strings(),
            (std::vector<std::string>{OkLine("first"), OkLine("second folder")}));
  EXPECT_EQ(ArchiverRuns().size(), 2u);
}

TEST_F(MainWindowTest, DropOfFilesOnlyClearsTheListAndKeepsTheCaption) {
  TKSTV_MAIN& main = OpenWithArchiver("a");
  main.LIST.Items.Add("old line");
  main.SetCaption("before");
  SendMessageA(main.Handle(), WM_DROPFILES,
               reinterpret_cast<WPARAM>(MakeDrop({File("a.txt", "x"), File("b.7z", "7z")})), 0);
  EXPECT_EQ(main.LIST.Items.Count(), 0);
  EXPECT_EQ(main.Caption(), "before");
  EXPECT_TRUE(ArchiverRuns().empty());
}

TEST_F(MainWindowTest, EmptyProfileRefusesTheDropAndKeepsTheList) {
  TKSTV_MAIN& main = OpenWithArchiver("");
  main.LIST.Items.Add("previous batch");
  std::string boxText, boxCaption;
  {
    // Reads and answers the message box from inside its own modal loop.
    ThreadTicker ticker([&] {
      HWND box = FindWindowA("#32770", nullptr);
      if (box == nullptr || GetWindowThreadProcessId(box, nullptr) != GetCurrentThreadId()) return;
      char text[256] = {};
      GetWindowTextA(box, text, sizeof(text));
      boxCaption = text;
      GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
      boxText = text;
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    SendMessageA(main.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({Folder("f")})), 0);
  }
  EXPECT_EQ(boxText, LoadStr(IDS_EMPTY_PROFILE));
  EXPECT_EQ(boxCaption, LoadStr(IDS_EMPTY_PROFILE_CAPTION));
  EXPECT_EQ(main.LIST.Items.Strings(), (std::vector<std::string>{"previous batch"}));
  EXPECT_TRUE(ArchiverRuns().empty());
}

TEST_F(MainWindowTest, DropDuringARunningBatchJoinsItsQueue) {
  TKSTV_MAIN& main = OpenWithArchiver("a --delay=300");
  std::string a = Folder("a"), b = Folder("b"), c = Folder("c"), d = Folder("d");
  bool dropped = false;
  int depthSeen = 0;
  {
    ThreadTicker ticker([&] {
      if (!dropped && main.BatchRunning()) {
        dropped = true;
        PostMessageA(main.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({c, d})), 0);
      }
      if (main.BatchRunning()) depthSeen = std::max(depthSeen, main.LIST.Items.Count());
    });
    SendMessageA(main.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({a, b})), 0);
  }
  ASSERT_TRUE(dropped);
  EXPECT_EQ(main.LIST.Items.Strings(),
            (std::vector<std::string>{OkLine("a"), OkLine("b"), OkLine("c"), OkLine("d")}));
  std::vector<std::string> runs = ArchiverRuns();
  ASSERT_EQ(runs.size(), 4u);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    EXPECT_NE(runs[i].find(std::string("\\") + "abcd"[i] + ".rar\""), std::string::npos) << runs[i];
  }
  EXPECT_FALSE(main.BatchRunning());
}

TEST_F(MainWindowTest, LongResultLinesAreKeptAndMeasuredWhole) {
  TKSTV_MAIN& main = OpenWithArchiver("a");
  for (std::size_t length : {259u, 1023u, 5000u, 100000u}) {
    SCOPED_TRACE(length);
    std::string line(length, 'w');
    main.LIST.Items.Add(line);
    EXPECT_EQ(main.LIST.Items.Get(main.LIST.Items.Count() - 1), line);
    EXPECT_GT(main.LIST.MaxItemWidth(), static_cast<int>(length));
  }
}

TEST_F(MainWindowTest, DroppedPathsLongerThanMaxPathArriveWhole) {
  TKSTV_MAIN& main = OpenWithArchiver("a");
  // Not created: the point is that the whole path reaches the classifier and the job.
  std::string longFolder = work_ + std::string(300, 'L');
  std::vector<std::string> seen;
  HDROP drop = MakeDrop({longFolder});
  char probe[8];
  ASSERT_EQ(DragQueryFileA(drop, 0, probe, sizeof(probe)), 7u);  // a short buffer cuts it
  UINT length = DragQueryFileA(drop, 0, nullptr, 0);
  EXPECT_EQ(length, longFolder.size());
  SendMessageA(main.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  // A missing folder is skipped: nothing was archived under a cut, different name.
  EXPECT_EQ(main.LIST.Items.Count(), 0);
  EXPECT_TRUE(ArchiverRuns().empty());
}

}  // namespace
