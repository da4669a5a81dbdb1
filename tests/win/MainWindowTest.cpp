// The main window in-process under Wine: the settings file through the real profile-string
// services, item classification on real files, archive jobs and batches with real processes
// (the stand-in archiver), drops through a real drop handle.
#include <process.h>

#include <algorithm>
#include <atomic>
#include <new>
#include <optional>
#include <thread>

#include "app/batch/Files.h"
#include "app/desktop/MessageFilter.h"
#include "app/desktop/SecondStart.h"
#include "tests/win/MainWindowFixture.h"
#include "toolkit/IniFile.h"

using namespace kestrova;
using namespace kestrova::test;

namespace {

class MainWindowTest : public MainWindowFixture {
 protected:
  MainWindowTest() : MainWindowFixture(L"main-window-test") {}
};

// A settings file in UTF-16LE with its byte-order mark.
std::string Utf16Ini(std::wstring_view text) {
  return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()),
                                    text.size() * sizeof(wchar_t));
}

// Settings

TEST_F(MainWindowTest, LoadAppliesEveryKeyByItsValueRules) {
  const std::wstring longProfile(3000, L'p');
  struct Row {
    const char* what;
    std::wstring ini;
    RECT bounds;  // left, top, right, bottom as loaded
    std::wstring ext;
    std::vector<std::wstring> profiles;
  } rows[] = {
      {"missing keys take their defaults",
       L"[Main]\nWinRARPath=C:\\rar.exe\n",
       {300, 300, 588, 600},
       L".rar",
       {L"a -r -ep1 -m0 -rr3p", L"a -r -ep1 -m5 -rr3p", L"", L"", L""}},
      {"hexadecimal spellings and a malformed width",
       L"[Main]\nWinRARPath=C:\\rar.exe\nMainX=0x20\nMainY=$20\nMainW=abc\nMainH=x200\n",
       {32, 32, 32 + 288, 32 + 512},
       L".rar",
       {L"a -r -ep1 -m0 -rr3p", L"a -r -ep1 -m5 -rr3p", L"", L"", L""}},
      {"negative and out-of-range integers, empty texts kept empty",
       L"[Main]\nWinRARPath=C:\\rar.exe\nMainX=-5\nMainY=99999999999\nMainW=0x\n"
       L"FileExt=\nWinRARCommandLine=\nWinRARCommandLine4=x -y\n",
       {-5, 300, -5 + 288, 600},
       L"",
       {L"", L"a -r -ep1 -m5 -rr3p", L"", L"x -y", L""}},
      {"a size saved on a monitor of 192 DPI, for this one of 96",
       L"[Main]\nWinRARPath=C:\\rar.exe\nMainX=40\nMainY=50\nMainW=576\nMainH=600\n"
       L"MainDPI=192\n",
       {40, 50, 40 + 288, 50 + 300},
       L".rar",
       {L"a -r -ep1 -m0 -rr3p", L"a -r -ep1 -m5 -rr3p", L"", L"", L""}},
      {"a DPI no monitor has: the size as it stands",
       L"[Main]\nWinRARPath=C:\\rar.exe\nMainW=400\nMainH=350\nMainDPI=4\n",
       {300, 300, 700, 650},
       L".rar",
       {L"a -r -ep1 -m0 -rr3p", L"a -r -ep1 -m5 -rr3p", L"", L"", L""}},
      {"a 3000-byte profile keeps its first 2047 bytes",
       L"[Main]\nWinRARPath=C:\\rar.exe\nWinRARCommandLine2=" + longProfile + L"\n",
       {300, 300, 588, 600},
       L".rar",
       {L"a -r -ep1 -m0 -rr3p", longProfile.substr(0, 2047), L"", L"", L""}},
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
    EXPECT_EQ(main.WinRARPath, L"C:\\rar.exe");
    ASSERT_EQ(main.CB_Profile.Count(), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(main.CB_Profile.Item(i), row.profiles[i]) << i;
    EXPECT_EQ(main.CB_Profile.ItemIndex(), 0);
    main_.reset();
  }
}

TEST_F(MainWindowTest, SaveWritesAllElevenKeysInOrder) {
  TKSTV_MAIN& main = Open(L"[Main]\nWinRARPath=C:\\rar.exe\n");
  std::error_code ignored;
  fs::remove(iniPath_, ignored);
  main.WinRARPath = L"C:\\Program Files\\WinRAR\\WinRAR.exe";
  main.CB_Profile.Clear();
  for (const wchar_t* p : {L"a -r", L"", L"b", L"", L""}) main.CB_Profile.Add(p);
  SetWindowPos(main.Handle(), nullptr, 10, 20, 300, 310, SWP_NOZORDER | SWP_NOACTIVATE);
  main.E_Ext.SetText(L".7z");
  main.SaveSettings();
  // A new file is UTF-16 with its mark: it reads the same whatever the code page.
  EXPECT_TRUE(ReadFile(iniPath_).starts_with("\xFF\xFE"));
  EXPECT_EQ(SavedLines(iniPath_),
            (std::vector<std::wstring>{
                L"[Main]", L"MainX=10", L"MainY=20", L"MainW=300", L"MainH=310", L"FileExt=.7z",
                L"WinRARPath=C:\\Program Files\\WinRAR\\WinRAR.exe", L"WinRARCommandLine=a -r",
                L"WinRARCommandLine2=", L"WinRARCommandLine3=b", L"WinRARCommandLine4=",
                L"WinRARCommandLine5="}));

  // A choice is kept after the eleven keys only while it is not the default.
  main.Choices.existingArchive = TExistingArchive::Rename;
  main.Choices.target = TTarget::Children;
  main.SaveSettings();
  main.Choices.target = TTarget::Folder;
  main.SaveSettings();
  const std::vector<std::wstring> lines = SavedLines(iniPath_);
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines.back(), L"ExistingArchive=rename");
}

// What a load and a save do to the file, by the encoding the file has and the values it gets.
TEST_F(MainWindowTest, SettingsSurviveLoadSaveLoadInTheirEncoding) {
  using Encoding = TIniFile::Encoding;
  const std::wstring quoted = L"\"-ibck\" a -r \"-x*.bak\"";
  struct Row {
    const char* what;
    std::string file;                     // the file before the load
    std::wstring archiver;                // WinRARPath set before the save; empty: as loaded
    std::vector<std::wstring> profiles;   // the profiles set before the save; empty: as loaded
    Encoding saved;                       // the encoding after the save
    std::wstring path;                    // WinRARPath after a second load
    std::vector<std::wstring> loaded;     // profiles after a second load
  } rows[] = {
      {"quotes and blanks around a profile come back",
       CodePageIni(L"[Main]\nWinRARPath=C:\\rar.exe\n"), L"",
       {quoted, L" a -r ", L"'-m5'", L"\"", L"\""},
       Encoding::CodePage, L"C:\\rar.exe",
       {quoted, L" a -r ", L"'-m5'", L"\"", L"\""}},
      {"a path outside the code page turns the file into UTF-16",
       CodePageIni(L"; kept\n[Main]\nWinRARPath=C:\\rar.exe\nWinRARCommandLine=a -表\n"),
       L"C:\\ツール♡\\あ〜い\\정리\\WinRAR.exe", {},
       Encoding::Utf16, L"C:\\ツール♡\\あ〜い\\정리\\WinRAR.exe",
       {L"a -表", L"a -r -ep1 -m5 -rr3p", L"", L"", L""}},
      {"an emoji in a profile of a UTF-16 file",
       Utf16Ini(L"[Main]\r\nWinRARPath=C:\\rar.exe\r\n"), L"",
       {L"a -z\"smile😀.txt\"", L"", L"", L"", L""},
       Encoding::Utf16, L"C:\\rar.exe",
       {L"a -z\"smile😀.txt\"", L"", L"", L"", L""}},
      {"a UTF-8 file without a mark, as Notepad saves it, is read and saved as UTF-16",
       ToUtf8(L"[Main]\r\nWinRARPath=C:\\ツール8\\WinRAR.exe\r\n"
              L"WinRARCommandLine=a -r -z\"メモ.txt\"\r\n"),
       L"", {L"a -r -z\"メモ.txt\"", L"a -r -ep1 -m5 -rr3p", L"a -3", L"", L""},
       Encoding::Utf16, L"C:\\ツール8\\WinRAR.exe",
       {L"a -r -z\"メモ.txt\"", L"a -r -ep1 -m5 -rr3p", L"a -3", L"", L""}},
      {"a UTF-8 file closed without a change stays as it was",
       ToUtf8(L"[Main]\r\nWinRARPath=C:\\ツール8\\WinRAR.exe\r\n"), L"", {},
       Encoding::CodePage /* what a file without a mark reads as here */, L"C:\\ツール8\\WinRAR.exe",
       {L"a -r -ep1 -m0 -rr3p", L"a -r -ep1 -m5 -rr3p", L"", L"", L""}},
      {"a code-page file of plain ASCII stays in the code page",
       CodePageIni(L"[Main]\nWinRARPath=C:\\rar.exe\n"), L"", {},
       Encoding::CodePage, L"C:\\rar.exe",
       {L"a -r -ep1 -m0 -rr3p", L"a -r -ep1 -m5 -rr3p", L"", L"", L""}},
      {"a UTF-8 file with its mark is read and saved as UTF-16",
       "\xEF\xBB\xBF" + ToUtf8(L"[Main]\r\nWinRARPath=C:\\写真\\rar.exe\r\n"
                               L"WinRARCommandLine=a -r -x*.♡\r\n"),
       L"", {L"a -r -x*.♡", L"a -r -ep1 -m5 -rr3p", L"", L"a -4", L""},
       Encoding::Utf16, L"C:\\写真\\rar.exe",
       {L"a -r -x*.♡", L"a -r -ep1 -m5 -rr3p", L"", L"a -4", L""}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TKSTV_MAIN& main = OpenBytes(row.file);
    if (!row.archiver.empty()) main.WinRARPath = row.archiver;
    if (!row.profiles.empty()) {
      main.CB_Profile.Clear();
      for (const std::wstring& p : row.profiles) main.CB_Profile.Add(p);
    }
    main.SaveSettings();
    main_.reset();
    Encoding encoding{};
    const std::wstring text = FileText(ReadFile(iniPath_), &encoding);
    EXPECT_EQ(encoding, row.saved);
    if (row.file.starts_with("; kept")) {
      EXPECT_TRUE(text.starts_with(L"; kept\r\n")) << text;
    }

    main_ = std::make_unique<TKSTV_MAIN>(about_);
    main_->LoadSettings();
    EXPECT_EQ(main_->WinRARPath, row.path);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(main_->CB_Profile.Item(i), row.loaded[i]) << i;
    main_.reset();
  }
}

TEST_F(MainWindowTest, ACodePageFileIsReadAsEverAndSavedAsUtf16) {
  // The pair was made by the build that kept code-page files as they were: the same file in
  // gives the same text out, now in UTF-16, which reads the same on any later system. (That
  // build wrote through Wine's profile services, which dropped the blank line between the
  // sections; it is kept now, as every line Kestrova does not own. A close that changes no
  // value writes nothing now: here the fifth profile is given one.)
  if (GetACP() != 932) GTEST_SKIP() << "the reference file is code page 932";
  const std::wstring data = ExeDir() + L"data\\";
  TKSTV_MAIN& main = OpenBytes(ReadFile(data + L"settings-cp932-input.ini"));
  EXPECT_EQ(main.WinRARPath, L"C:\\Program Files\\表ソ\\WinRAR.exe");
  std::array<std::wstring, 5> profiles;
  for (int i = 0; i < 5; ++i) profiles[i] = main.CB_Profile.Item(i);
  profiles[4] = L"a -x";
  main.Settings.SetProfiles(profiles);
  main.SaveSettings();
  std::wstring saved = FromCodePage(ReadFile(data + L"settings-cp932-saved.ini"));
  saved.replace(saved.find(L"WinRARCommandLine5="), 19, L"WinRARCommandLine5=a -x");
  // A value that reads as the one written keeps its spelling, blanks and all.
  saved.replace(saved.find(L"MainY=120"), 9, L"MainY= 120");
  EXPECT_EQ(ReadFile(iniPath_), Utf16Ini(saved));
}

// The names in a folder. Wine's ReplaceFileW first moves the old file to a name of its own
// ("rf" and four hexadecimal digits ".tmp", from GetTempFileNameW) and leaves that file behind
// when the move is refused; it is Wine's, not the program's, and goes here.
std::vector<std::wstring> Entries(const std::wstring& folder) {
  std::vector<std::wstring> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(folder))) {
    const std::wstring name = entry.path().filename().wstring();
    if (name.size() == 10 && name.starts_with(L"rf") && name.ends_with(L".tmp")) {
      fs::remove(entry.path());
      continue;
    }
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(MainWindowTest, ASaveReplacesTheFileWholeAndKeepsWhatIsNotKestrovas) {
  // Every key as the window will have it, but the extension; lines of all kinds around them.
  const std::wstring text =
      L"; Kestrova settings, kept by hand\r\n[Other]\r\nNote=kept\r\n\r\n[Main]\r\nMainX=40\r\n"
      L"MainY=50\nMainW=400\r\nMainH=350\r\n; the archives' extension\r\nFileExt=.rar\r\n"
      L"WinRARPath=C:\\rar.exe\r\nWinRARCommandLine=a -r\r\nWinRARCommandLine2=\r\n"
      L"WinRARCommandLine3=\r\nWinRARCommandLine4=\r\nWinRARCommandLine5=\r\nUnknown=kept\r\n\r\n"
      L"[Later]\r\nB=2";
  auto withExt = [&text](const std::wstring& ext) {
    std::wstring saved = text;
    return saved.replace(saved.find(L"FileExt=.rar"), 12, L"FileExt=" + ext);
  };
  const std::string ascii = ToCodePage(text).value();
  // The same in code page 1252, whose Müller, — and é are no Shift_JIS: read under code page
  // 932, its other lines are kept as bytes.
  std::string latin = ascii;
  latin.replace(0, latin.find("\r\n"), "; Einstellungen von M\xFCller \x97 Caf\xE9");
  latin.replace(latin.find("Note=kept"), 9, "Note=gr\xFC\xDF" "e");
  std::string latinSaved = latin;
  latinSaved.replace(latinSaved.find("FileExt=.rar"), 12, "FileExt=.7z");
  constexpr DWORD kHidden = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  constexpr DWORD kNotHeld = ~DWORD{0};
  struct Row {
    const char* what;
    std::string file;
    DWORD attributes;  // given to the file once the window has read it
    DWORD held;        // another program holds it open, sharing this (kNotHeld: nobody)
    std::wstring ext;  // typed into the window
    std::string saved; // empty: the save is refused, the file stays as it was
    bool codePage932 = false;  // a row about code page 932
  } rows[] = {
      {"an ASCII code-page file stays byte for byte but for the changed line", ascii, 0, kNotHeld,
       L".7z", ToCodePage(withExt(L".7z")).value()},
      {"a hidden system file stays one", ascii, kHidden, kNotHeld, L".7z",
       ToCodePage(withExt(L".7z")).value()},
      {"a UTF-16 file stays UTF-16", Utf16Ini(text), 0, kNotHeld, L".7z",
       Utf16Ini(withExt(L".7z"))},
      {"a value beyond ASCII makes the whole text UTF-16", ascii, FILE_ATTRIBUTE_HIDDEN, kNotHeld,
       L".表♡", Utf16Ini(withExt(L".表♡"))},
      {"a read-only file is not written", ascii, FILE_ATTRIBUTE_READONLY, kNotHeld, L".7z", ""},
      {"a file another program holds, letting nobody write, is not written", ascii, 0,
       FILE_SHARE_READ, L".7z", ""},
      {"a file held without delete sharing is written in place once the retries are spent", ascii,
       0, FILE_SHARE_READ | FILE_SHARE_WRITE, L".7z", ToCodePage(withExt(L".7z")).value()},
      {"a file of another code page closed without a change stays byte for byte", latin, 0,
       kNotHeld, L".rar", latin, true},
      {"a file of another code page keeps every other line's bytes", latin, 0, kNotHeld, L".7z",
       latinSaved, true},
      {"a value its code page cannot hold is refused rather than lose the other lines", latin, 0,
       kNotHeld, L".表♡", "", true},
  };
  const std::wstring refused = ErrorText(Error(Error::Kind::CannotWrite, iniPath_));
  const std::wstring unencodable =
      ErrorText(Error(Error::Kind::CannotWrite, iniPath_, ERROR_NO_UNICODE_TRANSLATION));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.codePage932 && GetACP() != 932) continue;
    TKSTV_MAIN& main = OpenBytes(row.file);
    if (row.attributes != 0) {
      ASSERT_TRUE(SetFileAttributesW(iniPath_.c_str(), row.attributes));
    }
    const std::vector<std::wstring> before = Entries(ExeDir());
    UniqueHandle holder;
    if (row.held != kNotHeld) {
      holder.Reset(CreateFileW(iniPath_.c_str(), GENERIC_READ, row.held, nullptr, OPEN_EXISTING,
                               0, nullptr));
      ASSERT_TRUE(holder);
    }
    main.E_Ext.SetText(row.ext);
    std::wstring refusal;
    try {
      main.SaveSettings();
    } catch (const Error& e) {
      refusal = ErrorText(e);
    }
    holder.Reset();
    EXPECT_EQ(refusal, !row.saved.empty()   ? L""
                       : row.codePage932 ? unencodable
                                         : refused);
    EXPECT_EQ(ReadFile(iniPath_), row.saved.empty() ? row.file : row.saved);
    EXPECT_EQ(GetFileAttributesW(iniPath_.c_str()) & (kHidden | FILE_ATTRIBUTE_READONLY),
              row.attributes);
    EXPECT_EQ(Entries(ExeDir()), before) << "nothing is left beside the file";
    SetFileAttributesW(iniPath_.c_str(), FILE_ATTRIBUTE_NORMAL);
    main_.reset();
  }
}

TEST_F(MainWindowTest, AHeldFileIsReplacedOnceItsHolderLetsGoWithinTheRetry) {
  // A scanner has the file open, sharing neither writes nor deletion: neither the replacement
  // nor a write in place can be had until it lets go.
  WriteFile(iniPath_, "[Main]\r\nFileExt=.rar\r\n");
  const std::vector<std::wstring> before = Entries(ExeDir());
  UniqueHandle holder(CreateFileW(iniPath_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder);
  TIniFile ini(iniPath_);
  ini.WriteString(L"Main", L"FileExt", L".7z");
  int refusals = 0;
  ini.OnRetry = [&] {
    ++refusals;
    holder.Reset();
  };
  ini.Save();
  EXPECT_EQ(refusals, 1);
  EXPECT_EQ(ReadFile(iniPath_), "[Main]\r\nFileExt=.7z\r\n");
  EXPECT_EQ(Entries(ExeDir()), before) << "nothing is left beside the file";
}

TEST_F(MainWindowTest, AnEditMadeOutsideWhileTheWindowRunsIsTakenAndKept) {
  TKSTV_MAIN& main = Open(L"[Main]\nMainX=40\nMainY=50\nMainW=400\nMainH=350\n"
                          L"WinRARPath=C:\\rar.exe\nWinRARCommandLine=a -old\n");
  main.CB_Profile.SetItemIndex(1);
  // Notepad saves (UTF-8 without a mark) while the user types an extension into the window.
  WriteFile(iniPath_, ToUtf8(L"[Main]\r\nMainX=90\r\nMainY=50\r\nMainW=400\r\nMainH=350\r\n"
                             L"FileExt=.cab\r\nWinRARPath=C:\\ツール\\WinRAR.exe\r\n"
                             L"WinRARCommandLine=a -new\r\nWinRARCommandLine2=a -new2\r\n"));
  main.E_Ext.SetText(L".7z");
  // The file is read off the window's thread once it changed; then the window is activated.
  auto hasRead = [&](const std::wstring& archiver) {
    return PumpUntil([&] {
      const std::optional<TSettingsRead>& read = main.Settings.LastRead();
      return read && read->settings && read->settings->winRARPath == archiver;
    });
  };
  ASSERT_TRUE(hasRead(L"C:\\ツール\\WinRAR.exe"));
  SendMessageW(main.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(main.WinRARPath, L"C:\\ツール\\WinRAR.exe");
  EXPECT_EQ(main.CB_Profile.Item(0), L"a -new");
  EXPECT_EQ(main.CB_Profile.Item(1), L"a -new2");
  EXPECT_EQ(main.CB_Profile.ItemIndex(), 1) << "the same profile stays selected";
  EXPECT_EQ(main.E_Ext.Text(), L".7z") << "the user's own change stays";
  EXPECT_EQ(main.Bounds().left, 40) << "the window stays where it is";

  main.SaveSettings();
  const std::vector<std::wstring> lines = SavedLines(iniPath_);
  for (const wchar_t* line : {L"MainX=90", L"FileExt=.7z", L"WinRARPath=C:\\ツール\\WinRAR.exe",
                              L"WinRARCommandLine=a -new", L"WinRARCommandLine2=a -new2"}) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
  }

  // Elevated (Wine has none: the seam), an edit from outside never changes what runs or where
  // it writes; the rest is taken as ever.
  main.Settings.Elevated = true;
  WriteFile(iniPath_, ToUtf8(L"[Main]\r\nFileExt=\\..\\x.dll\r\nWinRARPath=C:\\evil.exe\r\n"
                             L"WinRARCommandLine=a -evil\r\nTarget=children\r\n"));
  ASSERT_TRUE(hasRead(L"C:\\evil.exe"));
  SendMessageW(main.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(main.WinRARPath, L"C:\\ツール\\WinRAR.exe");
  EXPECT_EQ(main.CB_Profile.Item(0), L"a -new");
  EXPECT_EQ(main.E_Ext.Text(), L".7z");
  EXPECT_EQ(main.Choices.target, TTarget::Children);
}

TEST_F(MainWindowTest, SaveKeepsTheRestoredBoundsOfAMinimizedWindow) {
  TKSTV_MAIN& main = Open(L"[Main]\nWinRARPath=C:\\rar.exe\nMainX=40\nMainY=50\n"
                          L"MainW=400\nMainH=350\n");
  ShowWindow(main.Handle(), SW_SHOWNOACTIVATE);
  ShowWindow(main.Handle(), SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(main.Handle()));
  main.SaveSettings();
  const std::vector<std::wstring> lines = SavedLines(iniPath_);
  for (const wchar_t* line : {L"MainX=40", L"MainY=50", L"MainW=400", L"MainH=350"}) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
  }
}

TEST_F(MainWindowTest, SettingsGoWhereTheyCan) {
  const std::wstring perUser = appData_ + L"\\Kestrova\\Kestrova.ini";
  struct Row {
    const char* what;
    std::wstring beside, user;  // the files before the start ("-": a folder in the way)
    bool appData;               // whether the user has a roaming folder
    std::wstring loadedExt;
    std::wstring savedTo;       // empty: the save is refused
  } rows[] = {
      {"no file: the defaults, saved beside the program", L"", L"", true, L".rar", iniPath_},
      {"the file beside the program is read and written", L".cab", L"", true, L".cab", iniPath_},
      {"it wins over the user's own", L".cab", L".lzh", true, L".cab", iniPath_},
      {"the user's own when there is none beside the program", L"", L".lzh", true, L".lzh",
       perUser},
      {"the program folder refuses a new file: the user's own, its folder made", L"-", L"",
       true, L".rar", perUser},
      {"both refuse", L"-", L"", false, L".rar", L""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::error_code ignored;
    fs::remove_all(iniPath_, ignored);
    fs::remove_all(appData_ + L"\\Kestrova", ignored);
    auto make = [](const std::wstring& path, const std::wstring& ext) {
      if (ext == L"-") {
        fs::create_directories(path);  // every write there fails
      } else if (!ext.empty()) {
        fs::create_directories(fs::path(path).parent_path());
        WriteFile(path, CodePageIni(L"[Main]\nWinRARPath=C:\\rar.exe\nFileExt=" + ext + L"\n"));
      }
    };
    make(iniPath_, row.beside);
    make(perUser, row.user);
    main_ = std::make_unique<TKSTV_MAIN>(about_);
    main_->Settings.File = TSettingsFile(iniPath_, row.appData ? perUser : L"");
    main_->WinRARPath = L"C:\\rar.exe";  // no question for the archiver
    main_->Settings.Apply(main_->Settings.File.Load(96));
    EXPECT_EQ(main_->E_Ext.Text(), row.loadedExt);
    main_->E_Ext.SetText(L".saved");
    if (row.savedTo.empty()) {
      std::wstring expected = LoadStr(IDS_CANNOT_WRITE);
      expected.replace(expected.find(L"%s"), 2, iniPath_);
      try {
        main_->SaveSettings();
        ADD_FAILURE() << "the save did not report the refused write";
      } catch (const Error& e) {
        EXPECT_EQ(ErrorText(e), expected);
      }
    } else {
      main_->SaveSettings();
      EXPECT_EQ(main_->Settings.File.Path(), row.savedTo);
      const std::vector<std::wstring> lines = SavedLines(row.savedTo);
      EXPECT_NE(std::find(lines.begin(), lines.end(), L"FileExt=.saved"), lines.end());
      // Nothing was written anywhere else.
      const std::wstring other = row.savedTo == iniPath_ ? perUser : iniPath_;
      if (fs::is_regular_file(other)) {
        const std::vector<std::wstring> kept = SavedLines(other);
        EXPECT_EQ(std::find(kept.begin(), kept.end(), L"FileExt=.saved"), kept.end());
      }
    }
    main_.reset();
    std::error_code again;
    fs::remove_all(iniPath_, again);
  }
}

// The archive job

TEST_F(MainWindowTest, JobRunsTheExactCommandLineAndJudgesByExitCode) {
  struct Row {
    const char* what;
    std::wstring profile;
    bool ok;
  } rows[] = {
      {"exit code 0", L"a --exit=0", true},
      {"exit code 1", L"a --exit=1", false},
      {"exit code 2", L"a --exit=2", false},
      {"a crash", L"a --crash", false},
      {"a profile of several switches passes unchanged", L"a  -r --exit=0 -m5", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::error_code ignored;
    fs::remove(log_, ignored);
    TKSTV_MAIN& main = OpenWithArchiver(row.profile);
    const std::wstring folder = Folder(L"My Photos");
    Archive(main, folder);
    EXPECT_EQ(ArchiverRuns(), std::vector<std::wstring>{RunOf(row.profile, folder)});
    ASSERT_EQ(main.LIST.Items.Count(), 1);
    EXPECT_EQ(main.LIST.Items.Get(0), row.ok ? OkLine(L"My Photos") : NgLine(L"My Photos"));
    EXPECT_EQ(main.Caption(), LoadStr(IDS_CAPTION_DONE));
    main_.reset();
  }
}

TEST_F(MainWindowTest, JobOnAnyNameArchivesTheFolderItself) {
  struct Row {
    const char* what;
    std::wstring given;   // the path the job gets, in the work folder
    std::wstring folder;  // the folder archived, in the work folder
    std::wstring name;
  } rows[] = {
      {"a wave dash", L"あ〜い", L"あ〜い", L"あ〜い"},
      {"a heart, Korean and an emoji", L"♡love 정리 smile😀", L"♡love 정리 smile😀",
       L"♡love 정리 smile😀"},
      {"a yen sign beside a folder of the look-alike path", L"Price¥100", L"Price¥100",
       L"Price¥100"},
      {"an accented letter beside its plain twin", L"Café", L"Café", L"Café"},
      {"a Japanese name whose Shift_JIS trail byte is a backslash", L"表", L"表", L"表"},
      {"a trailing separator", L"Photos\\", L"Photos", L"Photos"},
      {"several trailing separators", L"Trip\\\\\\", L"Trip", L"Trip"},
  };
  // The look-alikes a best-fit conversion would give: they must stay untouched.
  Folder(L"Price\\100");
  Folder(L"Cafe");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::error_code ignored;
    fs::remove(log_, ignored);
    TKSTV_MAIN& main = OpenWithArchiver(L"a");
    const std::wstring folder = Folder(row.folder);
    Archive(main, At(row.given));
    EXPECT_EQ(main.LIST.Items.Strings(), std::vector<std::wstring>{OkLine(row.name)});
    EXPECT_EQ(ArchiverRuns(), std::vector<std::wstring>{RunOf(L"a", folder)});
    main_.reset();
  }
}

TEST_F(MainWindowTest, JobThatCannotStartGivesNgWithoutRunningAnything) {
  struct Row {
    const char* what;
    std::wstring archiver;
    std::wstring profile;
  } rows[] = {
      {"missing archiver", At(L"no-such.exe"), L"a"},
      {"archiver path is a folder", Folder(L"not-a-program"), L"a"},
      {"archiver is not a program", File(L"text.exe", "just text"), L"a"},
      {"command line longer than the platform takes", archiver_, L"a " + std::wstring(33000, L'x')},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TKSTV_MAIN& main = OpenWithArchiver(L"a", row.archiver);
    // Set after the load, which keeps at most 2047 bytes of a profile.
    main.CB_Profile.Clear();
    main.CB_Profile.Add(row.profile);
    main.CB_Profile.SetItemIndex(0);
    Archive(main, Folder(L"Trip"));
    ASSERT_EQ(main.LIST.Items.Count(), 1);
    EXPECT_EQ(main.LIST.Items.Get(0), NgLine(L"Trip"));
    EXPECT_EQ(main.Caption(), LoadStr(IDS_CAPTION_DONE));
    EXPECT_TRUE(main.E_Ext.Enabled());
    EXPECT_TRUE(ArchiverRuns().empty());
    main_.reset();
  }
}

// A forced stop deletes only what the archiver did not finish, and never what a profile that
// moves the folder's files was writing. The kill is signalled before the archiver starts; each
// row decides, through the seam between the kill and the end of the archiver, what the archiver
// does meanwhile.
TEST_F(MainWindowTest, AForcedStopDeletesOnlyAnArchiveTheArchiverLeftUnfinished) {
  enum class Then { Killed, EndsByItself, DoesNotEnd };
  const std::wstring stopped = LoadStr(IDS_REASON_STOPPED);
  struct Row {
    const char* what;
    std::wstring profile;
    Then then;
    TResult::Kind kind;
    std::wstring reason;
    bool archiveKept;
  } rows[] = {
      {"killed while it writes: the half-made archive goes", L"a --write-first --hold",
       Then::Killed, TResult::Kind::Failed, stopped, false},
      {"it ends by itself with 0 as the kill comes: its archive is complete",
       L"a --write-first --hold", Then::EndsByItself, TResult::Kind::Ok, L"", true},
      {"killed while it moves the files into the archive: the archive stays",
       L"m --write-first --hold", Then::Killed, TResult::Kind::Failed,
       stopped + L" \u2014 " + LoadStr(IDS_KEPT_SOURCES_MOVED), true},
      {"killed but it does not end: what it may still hold stays", L"a --write-first --hold",
       Then::DoesNotEnd, TResult::Kind::Failed,
       stopped + L" \u2014 " + LoadStr(IDS_KEPT_NOT_ENDED), true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::error_code ignored;
    fs::remove(log_, ignored);
    const std::wstring folder = Folder(L"Trip");
    const std::wstring archive = folder + L".rar";
    fs::remove(archive, ignored);
    HoldArchiver hold(log_);
    TJobControl control;
    control.Kill();
    UniqueHandle running;
    control.Seams.killSeen = [&](HANDLE process) {
      // The archiver has started and made its archive, and holds.
      ASSERT_TRUE(PumpUntil([&] { return fs::exists(archive); })) << "no archive was made";
      if (row.then == Then::EndsByItself) {
        hold.Release();
        ASSERT_EQ(WaitForSingleObject(process, 60000), WAIT_OBJECT_0);
      }
      if (row.then == Then::DoesNotEnd) {
        HANDLE copy = nullptr;
        DuplicateHandle(GetCurrentProcess(), process, GetCurrentProcess(), &copy, SYNCHRONIZE,
                        FALSE, 0);
        running.Reset(copy);
      }
    };
    if (row.then == Then::DoesNotEnd) {
      control.Seams.endJob = [](HANDLE, UINT) -> BOOL { return TRUE; };
      control.Seams.endWaitMs = 0;
    }
    const std::optional<TResult> result =
        ArchiveFolder(folder, TJobSettings{archiver_, row.profile, L".rar"}, control,
                      [](TStep, const std::wstring&) { return true; });
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->kind, row.kind);
    EXPECT_EQ(result->reason, row.reason);
    EXPECT_EQ(fs::exists(archive), row.archiveKept);
    EXPECT_EQ(ArchiverRuns(), std::vector<std::wstring>{RunOf(row.profile, folder)});
    // The one left running ends once it is let go.
    hold.Release();
    if (running) {
      EXPECT_EQ(WaitForSingleObject(running.Get(), 60000), WAIT_OBJECT_0);
    }
  }
}

TEST_F(MainWindowTest, JobShowsProgressAndKeepsOnlyTheWindowAlive) {
  // The archiver runs until the test has looked at the window a few times while it ran.
  TKSTV_MAIN& main = OpenWithArchiver(L"a --hold");
  HoldArchiver hold(log_);
  ShowWindow(main.Handle(), SW_SHOW);
  SetForegroundWindow(main.Handle());
  main.LIST.Items.Add(L"an earlier line");
  main.LIST.SetFocus();
  const std::wstring folder = Folder(L"Trip");
  std::vector<std::wstring> captions;
  int looks = 0, busyLooks = 0;
  {
    ThreadTicker ticker([&] {
      // Only while the archiver runs: it logs its start first thing.
      if (ArchiverRuns().empty() || !hold.Held()) return;
      ++looks;
      // The frame and the list stay enabled; what would change a job does not.
      if (main.Enabled() && main.LIST.Enabled() && !main.E_Ext.Enabled() &&
          !main.CB_Profile.Enabled() && !main.B_About.Enabled()) {
        ++busyLooks;
      }
      if (captions.empty() || captions.back() != main.Caption()) captions.push_back(main.Caption());
      // Windows takes the focus from a control that goes disabled; the job gives it back.
      SetFocus(nullptr);
      if (looks == 3) hold.Release();
    });
    Drop(main, {folder});
  }
  // The window was looked at while the job ran, so its messages were handled meanwhile.
  EXPECT_EQ(looks, 3);
  EXPECT_EQ(busyLooks, looks);
  EXPECT_EQ(captions, std::vector<std::wstring>{LoadStr(IDS_CAPTION_BUSY) + L"Trip"});
  EXPECT_EQ(main.Caption(), LoadStr(IDS_CAPTION_DONE));
  EXPECT_TRUE(main.E_Ext.Enabled() && main.CB_Profile.Enabled() && main.B_About.Enabled());
  EXPECT_EQ(GetFocus(), main.LIST.Handle());
}

TEST_F(MainWindowTest, TheWindowAnswersWhileTheFileSystemIsSlow) {
  // The item's thread pauses where a slow or offline share would keep it: before it looks at
  // the item, and before the archiver starts. Each pause lasts until the test lets it go.
  TKSTV_MAIN& main = OpenWithArchiver(L"a");
  const UniqueHandle paused(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  const UniqueHandle go(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  main.WorkerSeams().pause = [&] {
    SetEvent(paused.Get());
    WaitForSingleObject(go.Get(), 60000);
  };
  const std::wstring folder = Folder(L"Share");
  // The drop is taken at once: the window does not wait for the item.
  SendMessageW(main.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({folder})), 0);
  for (const char* pause : {"looking at the item", "starting the archiver"}) {
    SCOPED_TRACE(pause);
    ASSERT_EQ(WaitForSingleObject(paused.Get(), 60000), WAIT_OBJECT_0);
    EXPECT_TRUE(main.BatchRunning());
    // Asked from another thread, as the system and other programs ask it, the window answers
    // while the item's thread is stuck.
    std::atomic<bool> answered = false, asked = false;
    std::thread other([&] {
      DWORD_PTR ignored = 0;
      answered = SendMessageTimeoutW(main.Handle(), WM_NULL, 0, 0, SMTO_NORMAL, 30000,
                                     &ignored) != 0;
      asked = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return asked.load(); }));
    other.join();
    EXPECT_TRUE(answered);
    EXPECT_TRUE(ArchiverRuns().empty());
    SetEvent(go.Get());
  }
  WaitForBatch(main);
  EXPECT_EQ(main.LIST.Items.Strings(), std::vector<std::wstring>{OkLine(L"Share")});
  EXPECT_EQ(ArchiverRuns(), std::vector<std::wstring>{RunOf(L"a", folder)});
}

// Every way out of an item reaches the window as the folder's result, and the batch goes on
// to its end: the work's exception, a refused post, a thread that could not start, a thread
// that ended in the middle of the item.
TEST_F(MainWindowTest, EveryWayOutOfAnItemEndsItAndTheBatchGoesOn) {
  static std::atomic<int> calls;
  struct Row {
    const char* what;
    std::function<void(TWorkerSeams&)> seams;
    std::wstring firstLine;  // the first folder's line, its reason after a tab
  } rows[] = {
      {"the work throws",
       [](TWorkerSeams& seams) {
         seams.pause = [] {
           if (calls++ == 0) throw std::bad_alloc();
         };
       },
       NgLine(L"A") + L"\t" + Format(IDS_ITEM_BROKE_OFF, SystemMessage(ERROR_NOT_ENOUGH_MEMORY))},
      {"the post is refused: the outcome is sent instead",
       [](TWorkerSeams& seams) {
         seams.post = [](HWND window, UINT msg, WPARAM wParam, LPARAM lParam) -> BOOL {
           return calls++ == 0 ? FALSE : PostMessageW(window, msg, wParam, lParam);
         };
       },
       OkLine(L"A")},
      {"no thread can be started for the first item",
       [](TWorkerSeams& seams) {
         seams.beginThread = [](unsigned(__stdcall * loop)(void*), void* argument) -> std::uintptr_t {
           if (calls++ == 0) {
             SetLastError(ERROR_NOT_ENOUGH_MEMORY);
             return 0;
           }
           return _beginthreadex(nullptr, 0, loop, argument, 0, nullptr);
         };
       },
       NgLine(L"A") + L"\t" + Format(IDS_WORKER_NOT_STARTED, SystemMessage(ERROR_NOT_ENOUGH_MEMORY))},
      {"the thread ends in the middle of the item",
       [](TWorkerSeams& seams) {
         seams.pause = [] {
           if (calls++ == 0) ExitThread(0);
         };
       },
       NgLine(L"A") + L"\t" + LoadStr(IDS_WORKER_ENDED)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    calls = 0;
    TKSTV_MAIN& main = OpenWithArchiver(L"a");
    row.seams(main.WorkerSeams());
    const std::wstring a = Folder(L"A"), b = Folder(L"B");
    main.RunBatch({a, b});
    WaitForBatch(main);
    EXPECT_EQ(main.LIST.CopyText(), row.firstLine + L"\r\n" + OkLine(L"B") + L"\r\n");
    EXPECT_EQ(main.Caption(), LoadStr(IDS_CAPTION_DONE));
    EXPECT_TRUE(main.E_Ext.Enabled() && main.CB_Profile.Enabled() && main.B_About.Enabled());
    main_.reset();
    std::error_code ignored;
    fs::remove(log_, ignored);
  }
}

// While a stop question is open nothing new starts: the running archiver goes on and its line
// comes, and No goes on with the rest. Once the window stops to close, a second start's folders
// are refused (its own window takes them), never taken and lost. Screen readers hear how each
// batch ended.
TEST_F(MainWindowTest, AnOpenQuestionHoldsTheBatchAndAClosingWindowRefusesHandOvers) {
  TKSTV_MAIN& main = OpenWithArchiver(L"a --hold");
  std::vector<std::pair<std::wstring, TAnnounced>> announced;
  main.Seams.announce = [&](HWND, const std::wstring& text, TAnnounced kind) {
    announced.emplace_back(text, kind);
  };
  const std::wstring a = Folder(L"A"), b = Folder(L"B"), c = Folder(L"C");
  std::size_t runsAtAnswer = 0;
  std::vector<std::wstring> linesAtAnswer;
  {
    HoldArchiver hold(log_);
    main.RunBatch({a, b});
    ASSERT_TRUE(PumpUntil([&] { return ArchiverRuns().size() == 1; }));
    ThreadTicker ticker([&] {
      const HWND box = FindWindowW(L"#32770", nullptr);
      if (box == nullptr) return;
      // The running archiver ends while the question is open; its line comes meanwhile.
      hold.Release();
      if (main.LIST.Items.Count() == 0) return;
      runsAtAnswer = ArchiverRuns().size();
      linesAtAnswer = main.LIST.Items.Strings();
      PostMessageW(box, WM_COMMAND, IDNO, 0);
    });
    // Esc: the question, answered by the ticker.
    SendMessageW(main.Handle(), WM_COMMAND, IDCANCEL, 0);
  }
  EXPECT_EQ(runsAtAnswer, 1u);
  EXPECT_EQ(linesAtAnswer, std::vector<std::wstring>{OkLine(L"A")});
  WaitForBatch(main);
  EXPECT_EQ(main.LIST.Items.Strings(), (std::vector<std::wstring>{OkLine(L"A"), OkLine(L"B")}));

  HoldArchiver hold(log_);
  main.RunBatch({a});
  ASSERT_TRUE(PumpUntil([&] { return ArchiverRuns().size() == 3; }));
  {
    ThreadTicker ticker([&] {
      if (const HWND box = FindWindowW(L"#32770", nullptr)) {
        PostMessageW(box, WM_COMMAND, IDYES, 0);
      }
    });
    SendMessageW(main.Handle(), WM_CLOSE, 0, 0);
  }
  ASSERT_TRUE(main.BatchRunning());
  // As a second start hands its folders over ("KSTV": a hand-over).
  const std::wstring paths = c + L'\0';
  COPYDATASTRUCT data{0x4B535456, static_cast<DWORD>(paths.size() * sizeof(wchar_t)),
                      const_cast<wchar_t*>(paths.data())};
  EXPECT_EQ(SendMessageW(main.Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), FALSE);
  hold.Release();
  WaitForBatch(main);
  EXPECT_EQ(ArchiverRuns().size(), 3u);
  EXPECT_EQ(announced, (std::vector<std::pair<std::wstring, TAnnounced>>{
                           {L"完了.", TAnnounced::Completed}, {L"中止.", TAnnounced::Aborted}}));
}

// Batches

TEST_F(MainWindowTest, AnElevatedWindowTakesDropsButNoHandOverFromBelow) {
  // Wine has no integrity levels: the rules through their seams. What an elevated window lets
  // through from lower levels: the user's drop from Explorer, never a second start's hand-over.
  const UINT taskbarButtonCreated = RegisterWindowMessageW(L"TaskbarButtonCreated");
  const std::vector<UINT> opened = MessagesFromLowerLevels(true, taskbarButtonCreated);
  for (UINT msg : {UINT{WM_DROPFILES}, UINT{0x0049} /* WM_COPYGLOBALDATA */, taskbarButtonCreated}) {
    EXPECT_NE(std::find(opened.begin(), opened.end(), msg), opened.end()) << msg;
  }
  EXPECT_EQ(std::find(opened.begin(), opened.end(), UINT{WM_COPYDATA}), opened.end());
  EXPECT_TRUE(MessagesFromLowerLevels(false, taskbarButtonCreated).empty());

  // A second start hands its folders only to a window at its own level; at another it opens its
  // own window.
  TKSTV_MAIN& main = OpenWithArchiver(L"a");
  ShowWindow(main.Handle(), SW_SHOWNOACTIVATE);
  const std::wstring a = Folder(L"A");
  EXPECT_FALSE(HandOverToRunning({a}, [](HWND) { return false; }));
  EXPECT_TRUE(HandOverToRunning({a}, [](HWND) { return true; }));
  ASSERT_TRUE(PumpUntil([&] { return ArchiverRuns().size() == 1; }));
  WaitForBatch(main);
  EXPECT_EQ(main.LIST.Items.Strings(), std::vector<std::wstring>{OkLine(L"A")});
}

TEST_F(MainWindowTest, DropBatchArchivesFoldersInOrderAndSkipsTheRest) {
  TKSTV_MAIN& main = OpenWithArchiver(L"a");
  main.LIST.Items.Add(L"old line");
  const std::wstring first = Folder(L"first"), second = Folder(L"second 写真");
  // Deeper than MAX_PATH: the drop, the classifier and the job take it whole.
  const std::wstring deep = Folder(L"deep\\" + std::wstring(120, L'd') + L"\\" +
                                   std::wstring(120, L'e') + L"\\" + std::wstring(40, L'f'));
  ASSERT_GT(deep.size(), 300u);
  const std::wstring zip = File(L"z.zip", "PK..");
  Drop(main, {first, zip, second, At(L"gone"), deep});
  EXPECT_EQ(main.LIST.Items.Strings(),
            (std::vector<std::wstring>{OkLine(L"first"), OkLine(L"second 写真"),
                                       OkLine(std::wstring(40, L'f'))}));
  EXPECT_EQ(ArchiverRuns(),
            (std::vector<std::wstring>{RunOf(L"a", first), RunOf(L"a", second), RunOf(L"a", deep)}));
}

TEST_F(MainWindowTest, DropOfFilesOnlyClearsTheListAndKeepsTheCaption) {
  TKSTV_MAIN& main = OpenWithArchiver(L"a");
  main.LIST.Items.Add(L"old line");
  main.SetCaption(L"before");
  Drop(main, {File(L"a.txt", "x"), File(L"b.7z", "7z")});
  EXPECT_EQ(main.LIST.Items.Count(), 0);
  EXPECT_EQ(main.Caption(), L"before");
  EXPECT_TRUE(ArchiverRuns().empty());
}

TEST_F(MainWindowTest, AProfileThatCannotStartRefusesTheDropAndKeepsTheList) {
  struct Row {
    const wchar_t* profile;
    TAfterArchive after;
    UINT text;
    const char* why;
  } rows[] = {
      {L"", TAfterArchive::None, IDS_EMPTY_PROFILE, "an empty profile"},
      {L"a -r -df", TAfterArchive::Recycle, IDS_RECYCLE_DELETING_PROFILE,
       "a profile that deletes the files, with the folders to go to the bin"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    TKSTV_MAIN& main = OpenWithArchiver(row.profile);
    main.Choices.afterArchive = row.after;
    main.LIST.Items.Add(L"previous batch");
    std::wstring boxText, boxCaption;
    {
      // Reads and answers the message box from inside its own modal loop.
      ThreadTicker ticker([&] {
        HWND box = FindWindowW(L"#32770", nullptr);
        if (box == nullptr || GetWindowThreadProcessId(box, nullptr) != GetCurrentThreadId()) return;
        boxCaption = WindowText(box);
        boxText = WindowText(GetDlgItem(box, 0xFFFF));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      });
      SendMessageW(main.Handle(), WM_DROPFILES,
                   reinterpret_cast<WPARAM>(MakeDrop({Folder(L"f")})), 0);
    }
    EXPECT_EQ(boxText, LoadStr(row.text));
    EXPECT_EQ(boxCaption, LoadStr(IDS_EMPTY_PROFILE_CAPTION));
    EXPECT_EQ(main.LIST.Items.Strings(), std::vector<std::wstring>{L"previous batch"});
    EXPECT_FALSE(main.BatchRunning());
    EXPECT_TRUE(ArchiverRuns().empty());
  }
}

TEST_F(MainWindowTest, CancelledLocateStillGivesTheCommandLineBatchItsLinesThenEnds) {
  const std::wstring a = Folder(L"My Folder"), b = Folder(L"表");
  {
    // Cancels the locate dialog from inside its own loop.
    ThreadTicker ticker([] {
      HWND dialog = FindWindowW(L"#32770", nullptr);
      if (dialog != nullptr && GetWindowThreadProcessId(dialog, nullptr) == GetCurrentThreadId()) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      }
    });
    Open(L"[Main]\nWinRARPath=\n");
  }
  TKSTV_MAIN& main = *main_;
  main.RunBatch({a, b});
  WaitForBatch(main);
  // Each folder fails, for there is no archiver; then the program is asked to end.
  EXPECT_EQ(main.LIST.Items.Strings(), (std::vector<std::wstring>{NgLine(L"My Folder"), NgLine(L"表")}));
  // The program was asked to end: the quit request waits for the message loop.
  EXPECT_FALSE(application_.ProcessMessages());
  EXPECT_TRUE(ArchiverRuns().empty());
}

TEST_F(MainWindowTest, DropDuringARunningBatchJoinsItsQueue) {
  TKSTV_MAIN& main = OpenWithArchiver(L"a --hold");
  HoldArchiver hold(log_);
  const std::wstring a = Folder(L"a"), b = Folder(L"b"), c = Folder(L"c"), d = Folder(L"d");
  bool dropped = false;
  {
    ThreadTicker ticker([&] {
      if (!dropped && !ArchiverRuns().empty()) {
        // The first run has started: a second drop arrives.
        dropped = true;
        PostMessageW(main.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({c, d})), 0);
      } else if (dropped && hold.Held()) {
        // A tick comes only once the posted drop has been handled.
        hold.Release();
      }
    });
    Drop(main, {a, b});
  }
  ASSERT_TRUE(dropped);
  EXPECT_EQ(main.LIST.Items.Strings(),
            (std::vector<std::wstring>{OkLine(L"a"), OkLine(L"b"), OkLine(L"c"), OkLine(L"d")}));
  const std::wstring profile = L"a --hold";
  EXPECT_EQ(ArchiverRuns(), (std::vector<std::wstring>{RunOf(profile, a), RunOf(profile, b),
                                                       RunOf(profile, c), RunOf(profile, d)}));
  EXPECT_FALSE(main.BatchRunning());
}

TEST_F(MainWindowTest, LongResultLinesAreKeptAndMeasuredWhole) {
  TKSTV_MAIN& main = OpenWithArchiver(L"a");
  for (std::size_t length : {259u, 1023u, 5000u, 100000u}) {
    SCOPED_TRACE(length);
    const std::wstring line(length, L'w');
    main.LIST.Items.Add(line);
    EXPECT_EQ(main.LIST.Items.Get(main.LIST.Items.Count() - 1), line);
    EXPECT_GT(main.LIST.MaxItemWidth(), static_cast<int>(length));
  }
}

}  // namespace
