// fakerar: a stand-in archiver for Kestrova's tests.
//
// Started the way Kestrova starts the real archiver, for example
//   "C:\...\fakerar.exe" a --exit=3 --delay=2000 "C:\x\Trip.rar" "C:\x\Trip\*"
// (the tests put the directives into the archiver profile text, which Kestrova passes through).
//
// 1. Appends its command line as it got it (GetCommandLineW), in UTF-8, plus CR LF as one
//    line to a log file: %FAKE_ARCHIVER_LOG% if set, else "fakerar.log" beside the exe.
//    The file is opened exclusively, appended to and closed, retrying while another run holds
//    it, so concurrent runs never lose or interleave lines.
// 2. --console    appends a second line, "console window: yes" or "console window: no",
//                 saying whether the process has a console window.
// 3. --ask        asks on its standard output for a password and reads a line from its input;
//                 at the end of the input it says so on its standard error and exits with 2.
//    --write-first  creates the archive now (see --write), before any delay or hold.
//    --progress=P1,P2,...  prints a progress frame for each percentage on its standard output,
//                 as the 7-Zip console given -bsp1 does ("  P% 1 + name", erased with "\r",
//                 blanks and "\r"). Before each frame it waits for the file "<log>.step" (at
//                 most two minutes) and deletes it: a test creates it once it has seen what came
//                 before, so that it sees every step. The last frame is erased, and the run goes
//                 on.
//    --delay=MS   sleeps that long first (default 0).
//    --hold       then waits while the file "<log>.hold" exists (at most two minutes): a test
//                 creates it before the run and removes it to let the run end, so that it
//                 knows the run is going on for as long as it needs (the log line, written
//                 first, says that the run has started).
// 4. --write      creates the archive file (the first quoted argument after the program; if no
//                 argument is quoted, the first plain argument after the command word) holding a
//                 few bytes. If it cannot be created, the exit code is 9.
//    --write-corrupt  creates it holding bytes that are no archive (its test then fails).
// 5. --exit=N     exit code (default 0; decimal or 0x hex).
//    --exit-by-name  the archive's file name decides instead: "exit-N.ext" exits with N,
//                 "crash.ext" crashes, any other name exits with 0.
//    --crash      ends with an access violation instead (exit code 0xC0000005), without any
//                 error dialog.
//
// The command "t" tests the archive (the first quoted argument): it first waits while the file
// "<log>.hold-test" exists (at most two minutes), then exits with 0 when the archive holds what
// --write writes, else says so on its standard error and exits with 3 (a CRC error).
//
// Built twice: fakerar.exe has no window and, being a WIN32-subsystem program, no console;
// fakerar-console.exe is the same as a console program.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "toolkit/Text.h"

namespace {

struct Word {
  std::wstring text;
  bool quoted = false;
};

// Splits a command line at blanks outside double quotes. Backslashes are ordinary characters
// (the arguments are paths such as "C:\x\Trip\*").
std::vector<Word> SplitWords(const wchar_t* line) {
  std::vector<Word> words;
  const wchar_t* p = line;
  while (*p) {
    while (*p == L' ' || *p == L'\t') ++p;
    if (!*p) break;
    Word w;
    bool inQuotes = false;
    while (*p && (inQuotes || (*p != L' ' && *p != L'\t'))) {
      if (*p == L'"') {
        inQuotes = !inQuotes;
        w.quoted = true;
      } else {
        w.text += *p;
      }
      ++p;
    }
    words.push_back(std::move(w));
  }
  return words;
}

bool StartsWith(const std::wstring& s, const wchar_t* prefix) { return s.rfind(prefix, 0) == 0; }

std::string Utf8(const std::wstring& w) { return kestrova::ToUtf8(w); }

std::wstring ExeDirectory() {
  std::wstring path(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n);
  const std::wstring::size_type slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring LogPath() {
  std::wstring value(32768, L'\0');
  const DWORD n = GetEnvironmentVariableW(L"FAKE_ARCHIVER_LOG", value.data(),
                                          static_cast<DWORD>(value.size()));
  if (n > 0 && n < value.size()) {
    value.resize(n);
    // A Unix path (the tests run under Wine) lives on drive Z:.
    if (value[0] == L'/') {
      for (wchar_t& c : value)
        if (c == L'/') c = L'\\';
      value = L"Z:" + value;
    }
    return value;
  }
  return ExeDirectory() + L"fakerar.log";
}

void AppendLine(const std::wstring& path, const std::string& line) {
  // Up to about 20 s of retries: concurrent runs each hold the file for a moment only.
  for (int attempt = 0; attempt < 2000; ++attempt) {
    HANDLE h = CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      SetFilePointer(h, 0, nullptr, FILE_END);
      DWORD written = 0;
      WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      CloseHandle(h);
      return;
    }
    const DWORD err = GetLastError();
    if (err != ERROR_SHARING_VIOLATION && err != ERROR_LOCK_VIOLATION &&
        err != ERROR_ACCESS_DENIED)
      return;
    Sleep(10);
  }
}

// Waits while the file exists, for at most two minutes: a forgotten hold must not leave a
// stand-in behind for ever.
void Hold(const std::wstring& path) {
  const ULONGLONG end = GetTickCount64() + 120000;
  while (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES && GetTickCount64() < end) {
    Sleep(5);
  }
}

// Waits until the file exists (at most two minutes), then deletes it.
void AwaitStep(const std::wstring& path) {
  const ULONGLONG end = GetTickCount64() + 120000;
  while (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES && GetTickCount64() < end) {
    Sleep(5);
  }
  DeleteFileW(path.c_str());
}

void WriteTo(DWORD which, const char* text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(which), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

// Asks for a password, as an archiver given -p without one does, and reads a line.
bool Answered() {
  WriteTo(STD_OUTPUT_HANDLE, "Enter password (will not be echoed):");
  char line[256];
  DWORD got = 0;
  if (ReadFile(GetStdHandle(STD_INPUT_HANDLE), line, sizeof line, &got, nullptr) && got > 0) {
    return true;
  }
  WriteTo(STD_OUTPUT_HANDLE, "\r\n");
  WriteTo(STD_ERROR_HANDLE, "ERROR: no password was given\r\n");
  return false;
}

// Progress frames, one per percentage, each after the test's step.
void PrintProgress(const std::wstring& list, const std::wstring& stepFile) {
  std::string erase;
  for (const wchar_t* p = list.c_str(); *p != L'\0';) {
    wchar_t* end = nullptr;
    const unsigned long percent = std::wcstoul(p, &end, 10);
    if (end == p) break;
    p = *end == L',' ? end + 1 : end;
    AwaitStep(stepFile);
    char frame[64];
    const int length = std::snprintf(frame, sizeof frame, "%3lu%% 1 + file.bin", percent);
    WriteTo(STD_OUTPUT_HANDLE, (erase + frame).c_str());
    erase = "\r" + std::string(static_cast<std::size_t>(length), ' ') + "\r";
  }
  WriteTo(STD_OUTPUT_HANDLE, erase.c_str());
}

const char kArchiveBytes[] = "Rar!fakerar\r\n";

bool WriteArchive(const std::wstring& path, const char* bytes = kArchiveBytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const DWORD size = static_cast<DWORD>(std::strlen(bytes));
  DWORD written = 0;
  const BOOL ok = WriteFile(h, bytes, size, &written, nullptr);
  CloseHandle(h);
  return ok && written == size;
}

// The test of an archive: whether it holds what WriteArchive writes.
int TestArchive(const std::wstring& path) {
  char bytes[sizeof kArchiveBytes] = {};
  DWORD got = 0;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    ReadFile(h, bytes, sizeof bytes - 1, &got, nullptr);
    CloseHandle(h);
  }
  if (got == sizeof kArchiveBytes - 1 && std::memcmp(bytes, kArchiveBytes, got) == 0) return 0;
  WriteTo(STD_ERROR_HANDLE, "ERROR: CRC failed, the archive is corrupt\r\n");
  return 3;
}

LONG WINAPI EndOnException(EXCEPTION_POINTERS* info) {
  // Ends the way an unhandled exception does, but without Wine's crash dialog or debugger.
  TerminateProcess(GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

int Run() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);

  const wchar_t* raw = GetCommandLineW();
  const std::wstring log = LogPath();
  AppendLine(log, Utf8(raw) + "\r\n");

  std::vector<Word> words = SplitWords(raw);
  unsigned long exitCode = 0;
  unsigned long delay = 0;
  bool write = false;
  bool crash = false;
  bool hold = false;
  bool ask = false;
  bool writeFirst = false;
  bool byName = false;
  bool corrupt = false;
  std::wstring command;
  std::wstring progress;
  std::wstring archive;
  std::wstring firstPlain;
  bool sawCommand = false;
  for (std::size_t i = 1; i < words.size(); ++i) {
    const Word& w = words[i];
    if (!w.quoted && StartsWith(w.text, L"--exit=")) {
      exitCode = std::wcstoul(w.text.c_str() + 7, nullptr, 0);
    } else if (!w.quoted && StartsWith(w.text, L"--delay=")) {
      delay = std::wcstoul(w.text.c_str() + 8, nullptr, 0);
    } else if (!w.quoted && w.text == L"--write") {
      write = true;
    } else if (!w.quoted && w.text == L"--hold") {
      hold = true;
    } else if (!w.quoted && w.text == L"--ask") {
      ask = true;
    } else if (!w.quoted && w.text == L"--write-first") {
      writeFirst = true;
    } else if (!w.quoted && w.text == L"--write-corrupt") {
      corrupt = true;
    } else if (!w.quoted && w.text == L"--crash") {
      crash = true;
    } else if (!w.quoted && StartsWith(w.text, L"--progress=")) {
      progress = w.text.substr(11);
    } else if (!w.quoted && w.text == L"--exit-by-name") {
      byName = true;
    } else if (!w.quoted && w.text == L"--console") {
      AppendLine(log, GetConsoleWindow() != nullptr ? "console window: yes\r\n"
                                                    : "console window: no\r\n");
    } else if (w.quoted) {
      if (archive.empty()) archive = w.text;
    } else if (!StartsWith(w.text, L"-")) {
      if (!sawCommand) {
        sawCommand = true;  // "a"
        command = w.text;
      } else if (firstPlain.empty()) {
        firstPlain = w.text;
      }
    }
  }
  if (archive.empty()) archive = firstPlain;
  if (command == L"t") {
    Hold(log + L".hold-test");
    return TestArchive(archive);
  }
  if (byName) {
    const std::wstring name = archive.substr(archive.find_last_of(L'\\') + 1);
    if (StartsWith(name, L"exit-")) exitCode = std::wcstoul(name.c_str() + 5, nullptr, 10);
    if (StartsWith(name, L"crash.")) crash = true;
  }

  if (writeFirst && (archive.empty() || !WriteArchive(archive))) return 9;
  if (ask && !Answered()) return 2;
  if (!progress.empty()) PrintProgress(progress, log + L".step");
  if (delay > 0) Sleep(delay);
  if (hold) Hold(log + L".hold");

  if (write && (archive.empty() || !WriteArchive(archive))) exitCode = 9;
  if (corrupt && (archive.empty() || !WriteArchive(archive, "corrupt"))) exitCode = 9;

  if (crash) {
    SetUnhandledExceptionFilter(EndOnException);
    RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  }
  return static_cast<int>(exitCode);
}

}  // namespace

#ifdef FAKERAR_CONSOLE
int wmain() { return Run(); }
#else
int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) { return Run(); }
#endif
