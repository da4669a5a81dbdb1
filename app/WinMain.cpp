// Kestrova's entry: the application object, its two windows, the message loop.
#include "app/About.h"
#include "app/Main.h"
#include "app/Reasons.h"
#include "resources/resource.h"
#include "toolkit/Application.h"
#include "toolkit/SystemCalls.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  using namespace kestrova;
  // DLLs come from the system directory only, never from beside the exe or the current folder
  // (Windows 8 on, and Windows 7 with KB2533623; SystemCalls.h loads its DLLs by full path
  // anyway).
  if (const auto setDirectories = sys::Kernel32().SetDefaultDllDirectories) {
    setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  try {
    Application.Initialize(instance);
    Application.SetTitle(L"" KESTROVA_TITLE_TEXT);
    Application.ErrorText = &ErrorText;
    TKSTV_ABOUT about;
    TKSTV_MAIN main(about);
    Application.Run(main);
  } catch (...) {
    Application.HandleException(nullptr, 0);
  }
  return 0;
}
