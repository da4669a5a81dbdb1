// Kestrova's entry: the application, its two windows, the message loop.
#include "app/About.h"
#include "app/Main.h"
#include "app/batch/ErrorText.h"
#include "app/Program.h"
#include "app/desktop/SecondStart.h"
#include "resources/resource.h"
#include "toolkit/Application.h"
#include "toolkit/SystemCalls.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  using namespace kestrova;
  // DLLs come from the system directory only, never from beside the exe or the current folder
  // (Windows 8 on, and Windows 7 with KB2533623; SystemCalls.h loads its DLLs by full path
  // anyway).
  if (const auto setDirectories = sys::Kernel32().SetDefaultDllDirectories) {
    setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  TApplication application(L"" KESTROVA_TITLE_TEXT, &ErrorText);
  try {
    // Full paths now, against the directory it was started in.
    const std::vector<std::wstring> arguments = ProgramArguments();
    // A start of the same program that comes meanwhile waits until this one's window is shown.
    TStartLock lock;
    // A second start with paths gives them to the window already running, and ends.
    if (!arguments.empty() && HandOverToRunning(arguments)) return 0;
    TKSTV_ABOUT about;
    TKSTV_MAIN main(about, arguments);
    // Let go once the window is shown, or before it asks for the archiver: a start meanwhile
    // then finds the window, or opens its own rather than wait for the user's answer.
    main.OnAskForArchiver = [&lock] { lock.Release(); };
    return application.Run(main, [&lock] { lock.Release(); });
  } catch (...) {
    // Shown in the error box; the program has no other exit code than 0.
    application.HandleException(nullptr, 0);
    return 0;
  }
}
