// Kestrova's entry: the application object, its two windows, the message loop.
#include "app/About.h"
#include "app/Main.h"
#include "resources/resource.h"
#include "toolkit/Application.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  // DLLs come from the system directory only, never from beside the exe or the current folder.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  using namespace kestrova;
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
