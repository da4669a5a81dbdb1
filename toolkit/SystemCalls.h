// The system functions bound at run time instead of imported: one list, each function typed
// from the SDK's own declaration. A function is bound rather than imported for one of two
// reasons. It may be newer than the oldest Windows the program runs on (Windows 7 SP1): an
// import missing there would stop the program at load, so it is used only where it exists.
// Or its DLL (shell32, comdlg32, ole32, shlwapi, oleaut32, oleacc, advapi32, uiautomationcore)
// is not needed to show the window: the start does without loading it. What may be imported is listed in
// cmake/windows7-imports.cmake.
//
// Each DLL is loaded from the system folder and bound as a whole the first time one of its
// functions is asked for; a function that this Windows has not got is null:
//
//   if (const auto getDpi = sys::User32().GetDpiForWindow) dpi = getDpi(hwnd);
#pragma once

#include "toolkit/Win.h"

#include <commdlg.h>
#include <objbase.h>
#include <oleacc.h>
#include <oleauto.h>
#include <shellscalingapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <uiautomationcore.h>

// As the SDK's uiautomationcore.h and uiautomationcoreapi.h declare them: MinGW-w64's have not
// got the notification, and its uiautomationcoreapi.h does not compile as C++.
enum NotificationKind {
  NotificationKind_ItemAdded = 0,
  NotificationKind_ItemRemoved = 1,
  NotificationKind_ActionCompleted = 2,
  NotificationKind_ActionAborted = 3,
  NotificationKind_Other = 4
};
enum NotificationProcessing {
  NotificationProcessing_ImportantAll = 0,
  NotificationProcessing_ImportantMostRecent = 1,
  NotificationProcessing_All = 2,
  NotificationProcessing_MostRecent = 3,
  NotificationProcessing_CurrentThenMostRecent = 4
};
extern "C" HRESULT WINAPI UiaHostProviderFromHwnd(HWND hwnd,
                                                 IRawElementProviderSimple** provider);
extern "C" HRESULT WINAPI UiaRaiseNotificationEvent(IRawElementProviderSimple* provider,
                                                   NotificationKind notificationKind,
                                                   NotificationProcessing notificationProcessing,
                                                   BSTR displayString, BSTR activityId);

// Windows 8, and Windows 7 with KB2533623.
#define KESTROVA_KERNEL32_FUNCTIONS(F) \
  F(SetDefaultDllDirectories)

#define KESTROVA_USER32_FUNCTIONS(F)                     \
  F(AdjustWindowRectExForDpi)    /* Windows 10 1607 */ \
  F(ChangeWindowMessageFilterEx) /* Windows 7 */       \
  F(GetDpiForSystem)             /* Windows 10 1607 */ \
  F(GetDpiForWindow)             /* Windows 10 1607 */ \
  F(SetDialogDpiChangeBehavior)  /* Windows 10 1703 */

#define KESTROVA_SHELL32_FUNCTIONS(F) \
  F(DragFinish)                       \
  F(DragQueryFileW)                   \
  F(ILCreateFromPathW)                \
  F(ILFree)                           \
  F(SHGetKnownFolderPath)             \
  F(SHCreateItemFromParsingName)      \
  F(SHFileOperationW)                 \
  F(SHOpenFolderAndSelectItems)       \
  F(SHQueryRecycleBinW)               \
  F(ShellExecuteW)

#define KESTROVA_COMDLG32_FUNCTIONS(F) \
  F(GetOpenFileNameW)

#define KESTROVA_OLE32_FUNCTIONS(F) \
  F(CoCreateInstance)               \
  F(CoInitializeEx)                 \
  F(CoTaskMemFree)                  \
  F(CoUninitialize)

// Explorer's order of names, for listing the folders inside a folder.
#define KESTROVA_SHLWAPI_FUNCTIONS(F) \
  F(StrCmpLogicalW)

#define KESTROVA_OLEAUT32_FUNCTIONS(F) \
  F(SysAllocStringLen)                 \
  F(SysFreeString)

#define KESTROVA_OLEACC_FUNCTIONS(F) \
  F(CreateStdAccessibleObject)       \
  F(LresultFromObject)

// The DPI of a monitor (Windows 8.1).
#define KESTROVA_SHCORE_FUNCTIONS(F) \
  F(GetDpiForMonitor)

// Whether the program runs elevated: only then does the window open itself to lower levels.
// The settings of a drive's Recycle Bin.
#define KESTROVA_ADVAPI32_FUNCTIONS(F) \
  F(GetTokenInformation)               \
  F(OpenProcessToken)                  \
  F(RegGetValueW)

// Screen readers told a text (the notification event: Windows 10 1709).
#define KESTROVA_UIAUTOMATIONCORE_FUNCTIONS(F) \
  F(UiaHostProviderFromHwnd)                   \
  F(UiaRaiseNotificationEvent)

// Each DLL: the name of its accessor, its file, its functions.
#define KESTROVA_SYSTEM_DLLS(DLL)                             \
  DLL(Kernel32, L"kernel32.dll", KESTROVA_KERNEL32_FUNCTIONS) \
  DLL(User32, L"user32.dll", KESTROVA_USER32_FUNCTIONS)       \
  DLL(Shell32, L"shell32.dll", KESTROVA_SHELL32_FUNCTIONS)    \
  DLL(Comdlg32, L"comdlg32.dll", KESTROVA_COMDLG32_FUNCTIONS) \
  DLL(Ole32, L"ole32.dll", KESTROVA_OLE32_FUNCTIONS)          \
  DLL(Shlwapi, L"shlwapi.dll", KESTROVA_SHLWAPI_FUNCTIONS)    \
  DLL(OleAut32, L"oleaut32.dll", KESTROVA_OLEAUT32_FUNCTIONS) \
  DLL(OleAcc, L"oleacc.dll", KESTROVA_OLEACC_FUNCTIONS)       \
  DLL(Shcore, L"shcore.dll", KESTROVA_SHCORE_FUNCTIONS)       \
  DLL(Advapi32, L"advapi32.dll", KESTROVA_ADVAPI32_FUNCTIONS) \
  DLL(UiAutomationCore, L"uiautomationcore.dll", KESTROVA_UIAUTOMATIONCORE_FUNCTIONS)

namespace kestrova::sys {

// For each DLL a struct of its functions (User32Functions: one pointer per function, named
// and typed as the SDK declares it) and its accessor (User32()), which binds them once.
#define KESTROVA_FUNCTION_POINTER(name) decltype(&::name) name = nullptr;
#define KESTROVA_DLL_FUNCTIONS(Dll, file, FUNCTIONS) \
  struct Dll##Functions {                            \
    FUNCTIONS(KESTROVA_FUNCTION_POINTER)             \
  };                                                 \
  const Dll##Functions& Dll();
KESTROVA_SYSTEM_DLLS(KESTROVA_DLL_FUNCTIONS)
#undef KESTROVA_DLL_FUNCTIONS
#undef KESTROVA_FUNCTION_POINTER

}  // namespace kestrova::sys
