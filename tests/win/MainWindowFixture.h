// The main window in-process under Wine, for the tests of the settings, batches and limits:
// the real window with its settings loaded from a file written by the test, a work folder
// beside the test program, and the stand-in archiver whose runs are read back from its log.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <shlobj.h>

#include "app/Main.h"
#include "app/batch/ErrorText.h"
#include "resources/resource.h"
#include "toolkit/Application.h"
#include "toolkit/IniFile.h"
#include "toolkit/Text.h"

namespace kestrova::test {

namespace fs = std::filesystem;

inline std::wstring ExeDir() {
  const std::wstring ini = SettingsPath();
  return ini.substr(0, ini.size() - std::wstring(L"Kestrova.ini").size());
}

inline std::string ReadFile(const std::wstring& path) {
  std::ifstream in(fs::path(path), std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline void WriteFile(const std::wstring& path, std::string_view bytes) {
  std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Lines of a text, without their CR LF.
inline std::vector<std::wstring> Lines(std::wstring_view text) {
  std::vector<std::wstring> lines;
  while (!text.empty()) {
    const std::size_t end = text.find(L'\n');
    std::wstring_view line = text.substr(0, end);
    if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::wstring_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// The text of a settings file by the encoding its first bytes give (UTF-16LE or UTF-8 with
// their marks, else the code page), and that encoding.
inline std::wstring FileText(const std::string& bytes, TIniFile::Encoding* encoding = nullptr) {
  TIniFile::Encoding found = TIniFile::Encoding::CodePage;
  std::wstring text;
  if (bytes.starts_with("\xFF\xFE")) {
    found = TIniFile::Encoding::Utf16;
    text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
  } else if (bytes.starts_with("\xEF\xBB\xBF")) {
    found = TIniFile::Encoding::Utf8;
    text = FromUtf8(bytes.substr(3));
  } else {
    text = FromCodePage(bytes);
  }
  if (encoding != nullptr) *encoding = found;
  return text;
}

// The lines of a saved settings file.
inline std::vector<std::wstring> SavedLines(const std::wstring& path) {
  return Lines(FileText(ReadFile(path)));
}

// A settings text as the file holds it, in the active code page with CR LF line ends.
inline std::string CodePageIni(std::wstring_view text) {
  std::wstring crlf;
  for (wchar_t c : text) {
    if (c == L'\n') crlf += L'\r';
    crlf += c;
  }
  return ToCodePage(crlf).value();
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
  ThreadTicker(const ThreadTicker&) = delete;
  ThreadTicker& operator=(const ThreadTicker&) = delete;

 private:
  static std::function<void()>& Current() {
    static std::function<void()> tick;
    return tick;
  }
  UINT_PTR id_;
};

// Keeps every run of the stand-in archiver with "--hold" going, from construction until
// Release (or the end of the holder): the runs log their start first, then wait.
class HoldArchiver {
 public:
  explicit HoldArchiver(const std::wstring& log) : path_(log + L".hold") {
    std::ofstream(fs::path(path_)) << "hold";
  }
  ~HoldArchiver() { Release(); }
  HoldArchiver(const HoldArchiver&) = delete;
  HoldArchiver& operator=(const HoldArchiver&) = delete;
  bool Held() const { return held_; }
  void Release() {
    if (!held_) return;
    held_ = false;
    std::error_code ignored;
    fs::remove(fs::path(path_), ignored);
  }

 private:
  std::wstring path_;
  bool held_ = true;
};

// Hands messages to their handlers until done() holds, as the program's loop would; false when
// it does not hold within the bound (only a hang takes that long).
inline bool PumpUntil(const std::function<bool()>& done, DWORD boundMs = 60000) {
  const ULONGLONG end = GetTickCount64() + boundMs;
  while (!done()) {
    if (GetTickCount64() > end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    Application().ProcessMessages();
  }
  return true;
}

// A real drop handle, as the shell hands it to WM_DROPFILES (released by the receiver).
inline HDROP MakeDrop(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const std::wstring& path : paths) {
    list += path;
    list.push_back(L'\0');
  }
  list.push_back(L'\0');
  const std::size_t bytes = list.size() * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + bytes);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), bytes);
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

inline std::wstring OkLine(const std::wstring& name) { return LoadStr(IDS_RESULT_OK) + name; }
inline std::wstring NgLine(const std::wstring& name) { return LoadStr(IDS_RESULT_NG) + name; }

class MainWindowFixture : public ::testing::Test {
 protected:
  explicit MainWindowFixture(const wchar_t* workName) : workName_(workName) {}

  void SetUp() override {
    // The expectations use the program's own texts: they must be there.
    ASSERT_EQ(LoadStr(IDS_RESULT_OK), L"[OK] ");
    iniPath_ = SettingsPath();
    std::error_code ignored;
    fs::remove_all(iniPath_, ignored);
    work_ = ExeDir() + workName_ + L"\\";
    fs::remove_all(work_, ignored);
    fs::create_directories(work_);
    archiver_ = ExeDir() + L"..\\..\\tools\\fakerar.exe";
    log_ = work_ + L"archiver.log";
    SetEnvironmentVariableW(L"FAKE_ARCHIVER_LOG", log_.c_str());
    // The user's roaming folder, of the test's own.
    appData_ = work_ + L"AppData";
    fs::create_directories(appData_);
    SetEnvironmentVariableW(L"APPDATA", appData_.c_str());
  }

  void TearDown() override {
    main_.reset();
    std::error_code ignored;
    fs::remove_all(iniPath_, ignored);
    fs::remove_all(work_, ignored);
    SetEnvironmentVariableW(L"FAKE_ARCHIVER_LOG", nullptr);
    SetEnvironmentVariableW(L"APPDATA", nullptr);
  }

  // The main window with its settings loaded from the given file bytes (beside the test
  // program); the user's own settings file in the test's own folder.
  TKSTV_MAIN& OpenBytes(std::string_view ini) {
    WriteFile(iniPath_, ini);
    main_ = std::make_unique<TKSTV_MAIN>(about_);
    main_->Settings.File = TSettingsFile(iniPath_, appData_ + L"\\Kestrova\\Kestrova.ini");
    main_->LoadSettings();
    return *main_;
  }
  TKSTV_MAIN& Open(std::wstring_view ini) { return OpenBytes(CodePageIni(ini)); }

  // Settings for jobs run by the stand-in archiver with the given profile.
  TKSTV_MAIN& OpenWithArchiver(const std::wstring& profile, const std::wstring& archiver = L"") {
    return Open(L"[Main]\nWinRARPath=" + (archiver.empty() ? archiver_ : archiver) +
                L"\nWinRARCommandLine=" + profile + L"\n");
  }

  // A batch runs on the window's worker thread and reports to the window: its messages are handled
  // until it has ended.
  void WaitForBatch(TKSTV_MAIN& main) {
    ASSERT_TRUE(PumpUntil([&] { return !main.BatchRunning(); })) << "the batch did not end";
  }
  // Drops the paths on the window, as the shell does, and waits for the batch.
  void Drop(TKSTV_MAIN& main, const std::vector<std::wstring>& paths) {
    SendMessageW(main.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    WaitForBatch(main);
  }
  // One folder's job, as a batch of that folder alone.
  void Archive(TKSTV_MAIN& main, const std::wstring& folder) {
    main.RunBatch({folder});
    WaitForBatch(main);
  }

  // A path in the work folder (a name), or the path itself (a full path).
  std::wstring At(const std::wstring& path) const {
    return path.size() > 1 && path[1] == L':' ? path : work_ + path;
  }
  std::wstring Folder(const std::wstring& path) {
    fs::create_directories(At(path));
    return At(path);
  }
  std::wstring File(const std::wstring& path, std::string_view bytes) {
    fs::create_directories(fs::path(At(path)).parent_path());
    WriteFile(At(path), bytes);
    return At(path);
  }

  // The command lines the stand-in archiver was started with, in order.
  std::vector<std::wstring> ArchiverRuns() { return Lines(FromUtf8(ReadFile(log_))); }

  // The command line a job gives the stand-in archiver for a folder.
  std::wstring RunOf(const std::wstring& profile, const std::wstring& folder,
                     const std::wstring& ext = L".rar") const {
    return L"\"" + archiver_ + L"\" " + profile + L" \"" + folder + ext + L"\" \"" + folder +
           L"\\*\"";
  }

  const wchar_t* workName_;
  std::wstring iniPath_, work_, archiver_, log_, appData_;
  // The program's application, for as long as the test's windows.
  TApplication application_{L"" KESTROVA_TITLE_TEXT, &ErrorText};
  TKSTV_ABOUT about_;
  std::unique_ptr<TKSTV_MAIN> main_;
};

}  // namespace kestrova::test
