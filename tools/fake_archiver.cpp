// fakerar: a stand-in archiver for Kestrova's tests.
//
// Started the way Kestrova starts the real archiver, for example
//   "C:\...\fakerar.exe" a --exit=3 --delay=2000 "C:\x\Trip.rar" "C:\x\Trip\*"
// (the tests put the directives into the archiver profile text, which Kestrova passes through).
//
// 1. Appends its raw command line (GetCommandLineA, code-page bytes untouched) plus CR LF as one
//    line to a log file: %FAKE_ARCHIVER_LOG% if set, else "fakerar.log" beside the exe.
//    The file is opened exclusively, appended to and closed, retrying while another run holds
//    it, so concurrent runs never lose or interleave lines.
// 2. --delay=MS   sleeps that long first (default 0).
// 3. --write      creates the archive file (the first quoted argument after the program; if no
//                 argument is quoted, the first plain argument after the command word) holding a
//                 few bytes. If it cannot be created, the exit code is 9.
// 4. --exit=N     exit code (default 0; decimal or 0x hex).
//    --crash      ends with an access violation instead (exit code 0xC0000005), without any
//                 error dialog.
//
// It has no window and, being a WIN32-subsystem program, no console.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Word {
  std::string text;
  bool quoted = false;
};

// Splits a command line at blanks outside double quotes. Backslashes are ordinary characters (the
// arguments are paths such as "C:\x\Trip\*"). Bytes compare as unsigned char: Shift_JIS lead
// bytes are above 0x80 and never blanks.
std::vector<Word> SplitWords(const char* line) {
  std::vector<Word> words;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(line);
  while (*p) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) break;
    Word w;
    bool inQuotes = false;
    while (*p && (inQuotes || (*p != ' ' && *p != '\t'))) {
      if (*p == '"') {
        inQuotes = !inQuotes;
        w.quoted = true;
      } else {
        w.text += static_cast<char>(*p);
      }
      ++p;
    }
    words.push_back(std::move(w));
  }
  return words;
}

bool StartsWith(const std::string& s, const char* prefix) {
  return s.rfind(prefix, 0) == 0;
}

std::string ExeDirectory() {
  char path[MAX_PATH * 4];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return std::string();
  std::string s(path, n);
  std::string::size_type slash = s.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
}

std::string LogPath() {
  char buf[MAX_PATH * 4];
  DWORD n = GetEnvironmentVariableA("FAKE_ARCHIVER_LOG", buf, sizeof buf);
  if (n > 0 && n < sizeof buf) {
    std::string s(buf, n);
    // A Unix path (the tests run under Wine) lives on drive Z:.
    if (s[0] == '/') {
      for (char& c : s)
        if (c == '/') c = '\\';
      s = "Z:" + s;
    }
    return s;
  }
  return ExeDirectory() + "fakerar.log";
}

void AppendLine(const std::string& path, const std::string& line) {
  // Up to about 20 s of retries: concurrent runs each hold the file for a moment only.
  for (int attempt = 0; attempt < 2000; ++attempt) {
    HANDLE h = CreateFileA(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      SetFilePointer(h, 0, nullptr, FILE_END);
      DWORD written = 0;
      WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      CloseHandle(h);
      return;
    }
    DWORD err = GetLastError();
    if (err != ERROR_SHARING_VIOLATION && err != ERROR_LOCK_VIOLATION &&
        err != ERROR_ACCESS_DENIED)
      return;
    Sleep(10);
  }
}

bool WriteArchive(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  static const char kBytes[] = "Rar!fakerar\r\n";
  DWORD written = 0;
  BOOL ok = WriteFile(h, kBytes, sizeof kBytes - 1, &written, nullptr);
  CloseHandle(h);
  return ok && written == sizeof kBytes - 1;
}

LONG WINAPI EndOnException(EXCEPTION_POINTERS* info) {
  // Ends the way an unhandled exception does, but without Wine's crash dialog or debugger.
  TerminateProcess(GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);

  const char* raw = GetCommandLineA();
  AppendLine(LogPath(), std::string(raw) + "\r\n");

  std::vector<Word> words = SplitWords(raw);
  unsigned long exitCode = 0;
  unsigned long delay = 0;
  bool write = false;
  bool crash = false;
  std::string archive;
  std::string firstPlain;
  bool sawCommand = false;
  for (std::size_t i = 1; i < words.size(); ++i) {
    const Word& w = words[i];
    if (!w.quoted && StartsWith(w.text, "--exit=")) {
      exitCode = std::strtoul(w.text.c_str() + 7, nullptr, 0);
    } else if (!w.quoted && StartsWith(w.text, "--delay=")) {
      delay = std::strtoul(w.text.c_str() + 8, nullptr, 0);
    } else if (!w.quoted && w.text == "--write") {
      write = true;
    } else if (!w.quoted && w.text == "--crash") {
      crash = true;
    } else if (w.quoted) {
      if (archive.empty()) archive = w.text;
    } else if (!StartsWith(w.text, "-")) {
      if (!sawCommand)
        sawCommand = true;  // "a"
      else if (firstPlain.empty())
        firstPlain = w.text;
    }
  }
  if (archive.empty()) archive = firstPlain;

  if (delay > 0) Sleep(delay);

  if (write && (archive.empty() || !WriteArchive(archive))) exitCode = 9;

  if (crash) {
    SetUnhandledExceptionFilter(EndOnException);
    RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  }
  return static_cast<int>(exitCode);
}
