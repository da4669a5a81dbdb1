// bench_floor: the least a batch can cost. For every folder it starts the archiver with the
// command line Kestrova builds for it and waits for the process to end; no window, no messages.
//
//   bench_floor [--window] ARCHIVER PROFILE EXT FOLDER...
//
// With --window it first shows a window of the main window's size (a STATIC control as a
// top-level window) and lets it paint, then runs the same bare loop: that prices what starting
// a process costs more in a process that has a window, apart from anything Kestrova does.
//
// The words are split and the command lines built by the program's own window-free functions,
// so the archiver sees exactly what it sees from Kestrova. Exit code: the number of folders
// whose archiver could not be started or did not end with 0.
#include <windows.h>

#include <string>
#include <vector>

#include "app/desktop/ProgramText.h"
#include "app/batch/ArchiveRules.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  using namespace kestrova;
  std::vector<std::wstring> words = SplitCommandLine(GetCommandLineW());
  if (words.size() > 1 && words[1] == L"--window") {
    words.erase(words.begin() + 1);
    HWND window = CreateWindowExW(0, L"STATIC", L"Kestrova", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  300, 300, 288, 300, nullptr, nullptr, nullptr, nullptr);
    if (window == nullptr) return 255;
    UpdateWindow(window);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  if (words.size() < 4) return 255;
  const std::wstring& archiver = words[1];
  const std::wstring& profile = words[2];
  const std::wstring& ext = words[3];
  int failures = 0;
  for (std::size_t i = 4; i < words.size(); ++i) {
    const std::wstring& folder = words[i];
    std::wstring commandLine = ArchiverCommandLine(archiver, profile, folder + ext, folder + L"\\");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                        NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &info)) {
      ++failures;
      continue;
    }
    CloseHandle(info.hThread);
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD code = 1;
    if (!GetExitCodeProcess(info.hProcess, &code) || code != 0) ++failures;
    CloseHandle(info.hProcess);
  }
  return failures;
}
