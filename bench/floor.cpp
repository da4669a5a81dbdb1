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
// so the archiver sees byte for byte what it sees from Kestrova. Exit code: the number of
// folders whose archiver could not be started or did not end with 0.
#include <windows.h>

#include <string>
#include <vector>

#include "app/JobText.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace kestrova;
  std::vector<std::string> words = SplitCommandLine(GetCommandLineA());
  if (words.size() > 1 && words[1] == "--window") {
    words.erase(words.begin() + 1);
    HWND window = CreateWindowExA(0, "STATIC", "Kestrova", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300,
                                  300, 288, 300, nullptr, nullptr, nullptr, nullptr);
    if (window == nullptr) return 255;
    UpdateWindow(window);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  if (words.size() < 4) return 255;
  const std::string& archiver = words[1];
  const std::string& profile = words[2];
  const std::string& ext = words[3];
  int failures = 0;
  for (std::size_t i = 4; i < words.size(); ++i) {
    const std::string& folder = words[i];
    std::string commandLine = ArchiverCommandLine(archiver, profile, folder + ext, folder + "\\");
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
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
