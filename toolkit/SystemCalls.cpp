#include "toolkit/SystemCalls.h"

namespace kestrova::sys {

namespace {

// The DLL, loaded from the system folder when it is not loaded yet (never from beside the exe
// or from the current folder); null when it is missing.
HMODULE SystemModule(const wchar_t* dll) {
  if (HMODULE loaded = GetModuleHandleW(dll)) return loaded;
  wchar_t path[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length + 2 + lstrlenW(dll) >= MAX_PATH) return nullptr;
  lstrcatW(path, L"\\");
  lstrcatW(path, dll);
  return LoadLibraryW(path);
}

}  // namespace

#define KESTROVA_BIND(name)                                                  \
  functions.name = reinterpret_cast<decltype(functions.name)>(              \
      reinterpret_cast<void*>(GetProcAddress(module, #name)));
#define KESTROVA_DLL_ACCESSOR(Dll, file, FUNCTIONS)            \
  const Dll##Functions& Dll() {                                \
    static const Dll##Functions bound = [] {                   \
      Dll##Functions functions;                                \
      if (const HMODULE module = SystemModule(file)) {         \
        FUNCTIONS(KESTROVA_BIND)                               \
      }                                                        \
      return functions;                                        \
    }();                                                       \
    return bound;                                              \
  }
KESTROVA_SYSTEM_DLLS(KESTROVA_DLL_ACCESSOR)
#undef KESTROVA_DLL_ACCESSOR
#undef KESTROVA_BIND

}  // namespace kestrova::sys
