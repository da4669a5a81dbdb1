// bench_driver: starts the programs under measurement, watches them from outside and prints
// what it timed, one sample a line ("FIGURE key=value ..."), for bench/run.py to sum up.
//
//   bench_driver overhead RUNS FOLDERS COUNT KESTROVA FLOOR ARCHIVER PROFILE EXT LOGDIR [bare]
//       A batch of COUNT folders (FOLDERS\d000, FOLDERS\d001, ...) named on Kestrova's command
//       line, against bench_floor given the same folders, and (unless "bare") against
//       bench_floor --window. Kestrova's time runs from just before CreateProcess to the moment
//       its caption reads "完了." with COUNT result lines; closing it afterwards (WM_CLOSE to
//       process end) is timed apart. A floor's time runs from just before CreateProcess to its
//       end. Each run logs the archiver's command lines to LOGDIR; the logs of a run must hold
//       the same lines and every archiver must have ended with 0, else the run is measured
//       again ("overhead_retry").
//   bench_driver latency RUNS SAMPLES SPACING_MS KESTROVA FOLDER
//       WM_NULL round trips (SendMessageTimeout) to the main window, SPACING_MS apart, while
//       the archiver of a one-folder batch runs (only samples with the busy caption before and
//       after count), then as many once the batch is done and the window idles.
//   bench_driver startup RUNS KESTROVA MINWIN MINWIN_V6
//       Each program from just before CreateProcess until its main window is visible (for
//       Kestrova: with its result list) and has answered one WM_NULL. The show ends with
//       UpdateWindow in all three, so a window that answers has been painted. Then, 300 ms
//       later, the process's memory counters; then the process is ended.
//
// A program that fails to start (under load Wine's CreateProcess now and then fails with error
// 1359) is started again, as a run whose archiver failed is: the sample is measured again and
// a "start_retry" line says so; only kStartAttempts failures in a row end the driver.
//
// Every command first starts Kestrova once, untimed (see WarmUp). The driver stays alive until
// every program it started has ended (a Wine child can die with its parent). Watching costs the
// watched program nothing: the caption of another process's window is read from the window
// manager's copy (GetWindowTextW sends no message there), and only a caption that says the
// batch may be over is followed by an LB_GETCOUNT.
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "toolkit/Text.h"

namespace {

constexpr wchar_t kDoneCaption[] = L"完了.";
constexpr wchar_t kBusyPrefix[] = L"[圧縮中] ";
constexpr DWORD kSendTimeoutMs = 5000;

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "bench_driver: %s\n", message.c_str());
  std::fflush(stderr);
  std::exit(1);
}

std::string Utf8(const std::wstring& w) { return kestrova::ToUtf8(w); }

class Clock {
 public:
  Clock() { QueryPerformanceFrequency(&freq_); }
  double NowMs() const {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(freq_.QuadPart);
  }

 private:
  LARGE_INTEGER freq_;
};

const Clock kClock;

// A program that could not be started: the sample is measured again.
struct StartFailure {
  std::wstring commandLine;
  DWORD error;
};

constexpr int kStartAttempts = 5;

// Runs measure() until it gets through without a failed start; each failure is reported as a
// "start_retry" line (what = the figure and sample it belongs to).
template <typename Measure>
void Measured(const std::string& what, Measure measure) {
  for (int attempt = 1;; ++attempt) {
    try {
      measure();
      return;
    } catch (const StartFailure& failure) {
      const std::string program = Utf8(failure.commandLine.substr(0, 200));
      if (attempt >= kStartAttempts) {
        Fail("cannot start " + program + " (error " + std::to_string(failure.error) + "), " +
             std::to_string(attempt) + " times in a row");
      }
      std::printf("start_retry %s attempt=%d error=%lu\n", what.c_str(), attempt,
                  static_cast<unsigned long>(failure.error));
      std::fflush(stdout);
    }
  }
}

// A started program: its process handle, closed at scope end after the process was ended.
class Child {
 public:
  Child(const std::wstring& commandLine, double& startMs) {
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    startMs = kClock.NowMs();
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &info)) {
      throw StartFailure{commandLine, GetLastError()};
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 99);
      WaitForSingleObject(process_, 10000);
    }
    CloseHandle(process_);
  }
  HANDLE Process() const { return process_; }
  DWORD Pid() const { return pid_; }
  bool Ended() const { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
  }

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// The top-level window of class className that belongs to pid, or null.
HWND WindowOf(DWORD pid, const wchar_t* className) {
  for (HWND h = FindWindowExW(nullptr, nullptr, className, nullptr); h;
       h = FindWindowExW(nullptr, h, className, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    if (owner == pid) return h;
  }
  return nullptr;
}

std::wstring Caption(HWND h) {
  wchar_t buf[512] = {};
  int n = GetWindowTextW(h, buf, 512);
  return std::wstring(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

bool IsBusy(HWND h) { return Caption(h).rfind(kBusyPrefix, 0) == 0; }

bool RoundTrip(HWND h, double& ms) {
  DWORD_PTR result = 0;
  double t0 = kClock.NowMs();
  LRESULT ok = SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &result);
  ms = kClock.NowMs() - t0;
  return ok != 0;
}

void CloseAndWait(const Child& child, HWND h, double* closeMs = nullptr) {
  double t0 = kClock.NowMs();
  PostMessageW(h, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(child.Process(), 30000) != WAIT_OBJECT_0) Fail("program did not end");
  if (closeMs) *closeMs = kClock.NowMs() - t0;
}

// Waits (polling every pollMs) until ready() holds; fails after timeoutMs or if the child ends.
template <typename Ready>
void WaitFor(const Child& child, DWORD timeoutMs, DWORD pollMs, const char* what, Ready ready) {
  const double deadline = kClock.NowMs() + timeoutMs;
  while (!ready()) {
    if (child.Ended()) Fail(std::string("program ended before ") + what);
    if (kClock.NowMs() > deadline) Fail(std::string("timed out waiting for ") + what);
    Sleep(pollMs);
  }
}

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

int ToInt(const std::wstring& s) { return static_cast<int>(std::wcstol(s.c_str(), nullptr, 10)); }

std::string Ms(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", v);
  return buf;
}

std::vector<std::string> ReadLines(const std::wstring& path) {
  std::vector<std::string> lines;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return lines;
  std::string all;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) all.append(buf, got);
  CloseHandle(h);
  std::size_t start = 0;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (all[i] == '\n') {
      std::size_t end = i > start && all[i - 1] == '\r' ? i - 1 : i;
      lines.push_back(all.substr(start, end - start));
      start = i + 1;
    }
  }
  return lines;
}

// The command line minus the program's own (quoted) path: the archiver's arguments.
std::vector<std::string> Arguments(std::vector<std::string> lines) {
  for (std::string& line : lines) {
    if (line.empty()) continue;
    std::size_t end = line[0] == '"' ? line.find('"', 1) : line.find(' ');
    line = end == std::string::npos ? std::string() : line.substr(end + 1);
  }
  return lines;
}

// The first window on Wine's desktop after a while without one can take seconds (Wine's
// desktop process starting); one untimed start of the program comes before any timing.
void WarmUp(const std::wstring& program) {
  Measured("warmup", [&] {
    double t0;
    Child child(Quoted(program), t0);
    WaitFor(child, 60000, 5, "the warm-up window", [&] {
      HWND h = WindowOf(child.Pid(), L"" KESTROVA_MAIN_CLASS);
      double ms;
      return h && IsWindowVisible(h) && RoundTrip(h, ms);
    });
    std::printf("warmup ms=%s\n", Ms(kClock.NowMs() - t0).c_str());
    std::fflush(stdout);
  });
}

// ---- figures ---------------------------------------------------------------------------------

void Overhead(const std::vector<std::wstring>& a) {
  if (a.size() < 9) {
    Fail("overhead RUNS FOLDERS COUNT KESTROVA FLOOR ARCHIVER PROFILE EXT LOGDIR [bare]");
  }
  const bool withWindowFloor = !(a.size() > 9 && a[9] == L"bare");
  const int runs = ToInt(a[0]);
  const std::wstring& folders = a[1];
  const int count = ToInt(a[2]);
  const std::wstring &kestrova = a[3], &floor = a[4], &archiver = a[5], &profile = a[6],
                     &ext = a[7], &logDir = a[8];
  std::wstring names;
  for (int i = 0; i < count; ++i) {
    wchar_t name[16];
    std::swprintf(name, 16, L"d%03d", i);
    names += L" " + folders + L"\\" + name;
  }
  const std::wstring kestrovaLine = Quoted(kestrova) + names;
  const std::wstring floorLine =
      Quoted(floor) + L" " + Quoted(archiver) + L" " + Quoted(profile) + L" " + ext + names;

  const std::wstring windowFloorLine = Quoted(floor) + L" --window" + floorLine.substr(
                                            Quoted(floor).size());

  WarmUp(kestrova);
  // A run in which an archiver did not start or end cleanly (Wine, rarely, under load) is
  // measured again, up to kAttempts times; the retries are reported.
  constexpr int kAttempts = 3;
  int attempt = 1;
  for (int run = 1; run <= runs;) {
    auto logOf = [&](const wchar_t* who) {
      return logDir + L"\\" + who + L"-" + std::to_wstring(run) + L".log";
    };
    const std::wstring floorLog = logOf(L"floor"), windowFloorLog = logOf(L"floor-window"),
                       kestrovaLog = logOf(L"kestrova");
    for (const std::wstring* log : {&floorLog, &windowFloorLog, &kestrovaLog}) {
      DeleteFileW(log->c_str());
    }
    double floorMs = 0, windowFloorMs = 0, kestrovaMs = 0, closeMs = 0;
    DWORD floorExit = 0, windowFloorExit = 0;

    auto runFloor = [&](const std::wstring& line, const std::wstring& log, double& ms,
                        DWORD& exitCode) {
      SetEnvironmentVariableW(L"FAKE_ARCHIVER_LOG", log.c_str());
      double t0;
      Child child(line, t0);
      WaitForSingleObject(child.Process(), INFINITE);
      ms = kClock.NowMs() - t0;
      exitCode = child.ExitCode();
    };
    auto runKestrova = [&] {
      SetEnvironmentVariableW(L"FAKE_ARCHIVER_LOG", kestrovaLog.c_str());
      double t0;
      Child child(kestrovaLine, t0);
      HWND main = nullptr, list = nullptr;
      WaitFor(child, 60000, 2, "the main window", [&] {
        main = WindowOf(child.Pid(), L"" KESTROVA_MAIN_CLASS);
        return main && (list = GetDlgItem(main, IDC_LIST)) != nullptr;
      });
      WaitFor(child, 300000, 2, "the end of the batch", [&] {
        if (Caption(main) != kDoneCaption) return false;
        DWORD_PTR lines = 0;
        SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &lines);
        return static_cast<int>(lines) == count;
      });
      kestrovaMs = kClock.NowMs() - t0;
      CloseAndWait(child, main, &closeMs);
    };
    // A different one goes first in each run, so a drift of the machine favours none of them.
    // A program that fails to start is measured again: its log is started afresh.
    for (int k = 0; k < 3; ++k) {
      const std::string what = "figure=overhead run=" + std::to_string(run);
      switch ((k + run) % 3) {
        case 0:
          Measured(what + " program=floor", [&] {
            DeleteFileW(floorLog.c_str());
            runFloor(floorLine, floorLog, floorMs, floorExit);
          });
          break;
        case 1:
          if (withWindowFloor) {
            Measured(what + " program=floor_window", [&] {
              DeleteFileW(windowFloorLog.c_str());
              runFloor(windowFloorLine, windowFloorLog, windowFloorMs, windowFloorExit);
            });
          }
          break;
        case 2:
          Measured(what + " program=kestrova", [&] {
            DeleteFileW(kestrovaLog.c_str());
            runKestrova();
          });
          break;
      }
    }
    const std::vector<std::string> floorArgs = Arguments(ReadLines(floorLog));
    const std::vector<std::string> windowFloorArgs = Arguments(ReadLines(windowFloorLog));
    const std::vector<std::string> kestrovaArgs = Arguments(ReadLines(kestrovaLog));
    const bool same = floorArgs == kestrovaArgs &&
                      (!withWindowFloor || windowFloorArgs == kestrovaArgs) &&
                      static_cast<int>(floorArgs.size()) == count;
    const bool clean = same && floorExit == 0 && windowFloorExit == 0;
    if (!clean && attempt < kAttempts) {
      std::printf("overhead_retry run=%d attempt=%d floor_exit=%lu floor_window_exit=%lu "
                  "archiver_runs=%zu,%zu,%zu\n",
                  run, attempt, static_cast<unsigned long>(floorExit),
                  static_cast<unsigned long>(windowFloorExit), floorArgs.size(),
                  windowFloorArgs.size(), kestrovaArgs.size());
      std::fflush(stdout);
      ++attempt;
      continue;
    }
    std::printf("overhead run=%d count=%d floor_ms=%s floor_window_ms=%s kestrova_ms=%s "
                "kestrova_close_ms=%s floor_exit=%lu floor_window_exit=%lu archiver_runs=%zu "
                "same_command_lines=%d\n",
                run, count, Ms(floorMs).c_str(), Ms(windowFloorMs).c_str(),
                Ms(kestrovaMs).c_str(), Ms(closeMs).c_str(),
                static_cast<unsigned long>(floorExit),
                static_cast<unsigned long>(windowFloorExit), kestrovaArgs.size(), same ? 1 : 0);
    std::fflush(stdout);
    ++run;
    attempt = 1;
  }
}

template <typename Print>
void LatencyRun(int run, const std::wstring& line, int samples, DWORD spacing, Print print) {
  double t0;
  Child child(line, t0);
  HWND main = nullptr;
  WaitFor(child, 60000, 2, "the main window", [&] {
    main = WindowOf(child.Pid(), L"" KESTROVA_MAIN_CLASS);
    return main != nullptr;
  });
  WaitFor(child, 60000, 1, "the busy caption", [&] { return IsBusy(main); });

  std::vector<double> job;
  int jobTimeouts = 0;
  while (static_cast<int>(job.size()) < samples) {
    if (!IsBusy(main)) break;
    double ms;
    bool answered = RoundTrip(main, ms);
    if (!IsBusy(main)) break;
    if (answered) job.push_back(ms); else ++jobTimeouts;
    Sleep(spacing);
  }
  WaitFor(child, 60000, 5, "the end of the batch", [&] { return Caption(main) == kDoneCaption; });
  Sleep(200);
  std::vector<double> idle;
  int idleTimeouts = 0;
  while (static_cast<int>(idle.size()) < samples) {
    double ms;
    if (RoundTrip(main, ms)) idle.push_back(ms); else ++idleTimeouts;
    Sleep(spacing);
  }
  print(run, "job", job, jobTimeouts);
  print(run, "idle", idle, idleTimeouts);
  CloseAndWait(child, main);
}

void Latency(const std::vector<std::wstring>& a) {
  if (a.size() < 5) Fail("latency RUNS SAMPLES SPACING_MS KESTROVA FOLDER");
  const int runs = ToInt(a[0]);
  const int samples = ToInt(a[1]);
  const DWORD spacing = static_cast<DWORD>(ToInt(a[2]));
  const std::wstring line = Quoted(a[3]) + L" " + a[4];

  auto print = [](int run, const char* phase, const std::vector<double>& ms, int timeouts) {
    std::string list;
    for (double v : ms) {
      if (!list.empty()) list += ',';
      list += Ms(v);
    }
    std::printf("latency run=%d phase=%s n=%zu timeouts=%d samples=%s\n", run, phase, ms.size(),
                timeouts, list.c_str());
    std::fflush(stdout);
  };

  WarmUp(a[3]);
  for (int run = 1; run <= runs; ++run) {
    Measured("figure=latency run=" + std::to_string(run),
             [&] { LatencyRun(run, line, samples, spacing, print); });
  }
}

// One start of a program to its painted window, then its memory; the process is ended.
void StartupRun(int run, const char* name, const std::wstring& path, const wchar_t* className,
                bool hasList) {
  double t0;
  Child child(Quoted(path), t0);
  HWND main = nullptr;
  WaitFor(child, 60000, 1, "the window", [&] {
    main = WindowOf(child.Pid(), className);
    if (!main || !IsWindowVisible(main)) return false;
    if (hasList) {
      HWND list = GetDlgItem(main, IDC_LIST);
      if (!list || !IsWindowVisible(list)) return false;
    }
    return true;
  });
  double ms;
  if (!RoundTrip(main, ms)) Fail("no answer from the window");
  const double readyMs = kClock.NowMs() - t0;
  Sleep(300);
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof(memory);
  GetProcessMemoryInfo(child.Process(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                       sizeof(memory));
  // Ended without closing: a close costs every window 2 s under Wine without a window
  // manager, and nothing here depends on the settings being saved.
  std::printf("startup run=%d program=%s ms=%s private_kb=%llu working_set_kb=%llu "
              "pagefile_kb=%llu\n",
              run, name, Ms(readyMs).c_str(),
              static_cast<unsigned long long>(memory.PrivateUsage / 1024),
              static_cast<unsigned long long>(memory.WorkingSetSize / 1024),
              static_cast<unsigned long long>(memory.PagefileUsage / 1024));
  std::fflush(stdout);
}

void Startup(const std::vector<std::wstring>& a) {
  if (a.size() < 5) Fail("startup RUNS KESTROVA MINWIN MINWIN_V6 MINWIN_CONTROLS");
  const int runs = ToInt(a[0]);
  struct Program {
    const char* name;
    std::wstring path;
    const wchar_t* className;
    bool hasList;
  };
  const Program programs[] = {
      {"kestrova", a[1], L"" KESTROVA_MAIN_CLASS, true},
      {"minwin", a[2], L"KestrovaBenchMinimal", false},
      {"minwin_v6", a[3], L"KestrovaBenchMinimal", false},
      {"minwin_controls", a[4], L"KestrovaBenchMinimal", false},
  };
  constexpr int kPrograms = 4;
  WarmUp(a[1]);
  for (int run = 1; run <= runs; ++run) {
    for (int k = 0; k < kPrograms; ++k) {
      // A different program goes first in each run.
      const Program& p = programs[(k + run) % kPrograms];
      Measured("figure=startup run=" + std::to_string(run) + " program=" + p.name,
               [&] { StartupRun(run, p.name, p.path, p.className, p.hasList); });
    }
  }
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args(argv + 1, argv + argc);
  LocalFree(argv);
  if (args.empty()) Fail("usage: bench_driver overhead|latency|startup ...");
  const std::wstring command = args[0];
  args.erase(args.begin());
  if (command == L"overhead") Overhead(args);
  else if (command == L"latency") Latency(args);
  else if (command == L"startup") Startup(args);
  else Fail("unknown command " + Utf8(command));
  return 0;
}
