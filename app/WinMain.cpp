// Kestrova's entry: the application object, its two windows, the message loop.
#include "app/About.h"
#include "app/Main.h"
#include "app/ItemKind.h"
#include "app/Reasons.h"
#include "app/SecondStart.h"
#include "resources/resource.h"
#include "toolkit/Application.h"
#include "toolkit/System.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  using namespace kestrova;
  // DLLs come from the system directory only, never from beside the exe or the current folder
  // (Windows 8 on, and Windows 7 with KB2533623; System.h loads its DLLs by full path anyway).
  using SetDirectories = BOOL(WINAPI*)(DWORD);
  if (const auto setDirectories =
          SystemFunction<SetDirectories>(L"kernel32.dll", "SetDefaultDllDirectories")) {
    setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  try {
    // Full paths now, against the directory it was started in.
    const std::vector<std::wstring> arguments = ProgramArguments();
    // A second start with paths gives them to the window already running, and ends.
    if (!arguments.empty() && HandOverToRunning(arguments)) return 0;
    Application.Initialize(instance);
    Application.SetTitle(L"" KESTROVA_TITLE_TEXT);
    Application.ErrorText = &ErrorText;
    TKSTV_ABOUT about;
    TKSTV_MAIN main(about);
    main.Arguments = arguments;
    Application.Run(main);
  } catch (...) {
    Application.HandleException(nullptr, 0);
  }
  return 0;
}
