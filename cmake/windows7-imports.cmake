# What Kestrova.exe may import: the system DLLs, each with the functions of it that Windows 7
# SP1 has, as documented (minimum supported client Windows 2000, XP, Vista or 7). A function
# newer than that is bound at run time (toolkit/SystemCalls.h), never imported: an import
# missing from the running Windows stops the program at load with "entry point not found".
# A new import that is not listed here fails the test until its minimum version is checked
# and it is added.
set(windows7_comctl32
  InitCommonControlsEx)
set(windows7_gdi32
  CreateCompatibleDC CreateFontIndirectW CreateSolidBrush DeleteDC DeleteObject
  GetDeviceCaps GetObjectW GetStockObject GetTextExtentPoint32W SelectObject SetBkMode
  SetBrushOrgEx SetStretchBltMode SetTextColor SetViewportOrgEx StretchBlt TextOutW)
set(windows7_kernel32
  AddVectoredExceptionHandler AssignProcessToJobObject CancelIo CloseHandle CompareStringOrdinal
  CreateDirectoryW
  CreateEventA CreateEventW CreateFileW CreateJobObjectW CreateMutexW CreateNamedPipeW CreateProcessW CreateSemaphoreA DeleteCriticalSection DeleteFileW DeleteProcThreadAttributeList DuplicateHandle
  FindClose FindCloseChangeNotification FindFirstChangeNotificationW FindFirstFileExW
  FindNextChangeNotification FindNextFileW FlushFileBuffers
  EnterCriticalSection FormatMessageW FreeLibrary GetACP GetCommandLineW GetCurrentProcess
  GetCurrentProcessId GetCurrentThread GetCurrentThreadId GetDriveTypeW GetEnvironmentVariableW
  GetExitCodeProcess GetFileAttributesExW GetFinalPathNameByHandleW GetFileAttributesW GetFileSize GetFullPathNameW
  GetHandleInformation GetLastError GetLocalTime GetLongPathNameW GetShortPathNameW GetOverlappedResult GetModuleFileNameW GetModuleHandleW
  GetProcAddress GetProcessAffinityMask GetProcessHeap GetStartupInfoW GetSystemDirectoryW
  GetSystemTimeAsFileTime GetVolumeNameForVolumeMountPointW GetVolumePathNameW GetTempFileNameW GetTempPathW GetThreadContext GetThreadPriority
  GetTickCount64 GlobalAlloc GlobalFree GlobalLock GlobalUnlock HeapAlloc HeapFree
  InitializeCriticalSection InitializeProcThreadAttributeList IsDebuggerPresent LCMapStringEx LeaveCriticalSection LoadLibraryExW LoadLibraryW
  LocalFree MoveFileExW MulDiv MultiByteToWideChar OpenMutexW OpenProcess OutputDebugStringA
  PowerClearRequest PowerCreateRequest PowerSetRequest RaiseException ReadFile
  QueryFullProcessImageNameW RegisterWaitForSingleObject ReleaseMutex ReleaseSemaphore RemoveVectoredExceptionHandler ReplaceFileW ResetEvent ResumeThread RtlCaptureContext
  RtlLookupFunctionEntry RtlUnwindEx RtlVirtualUnwind SetEndOfFile SetEvent SetFilePointer SetLastError
  SetHandleInformation SetProcessAffinityMask SetThreadContext SetThreadExecutionState SetThreadPriority SetUnhandledExceptionFilter Sleep
  SuspendThread TerminateJobObject TerminateProcess TlsAlloc TlsGetValue TlsSetValue TryEnterCriticalSection UnregisterWaitEx UpdateProcThreadAttribute VirtualProtect
  VirtualQuery WaitForMultipleObjects WaitForSingleObject WideCharToMultiByte WriteFile
  __C_specific_handler lstrcatW lstrcpynW lstrlenW)
set(windows7_msvcrt
  __iob_func __set_app_type __setusermatherr __wgetmainargs __winitenv _amsg_exit _beginthreadex
  _cexit _close _commode _endthreadex _errno _fmode _initterm _onexit _read _setjmp _strdup _ultoa
  _wcmdln abort calloc exit fprintf free fwrite longjmp malloc memchr memcmp memcpy memmove memset
  printf realloc signal strcmp strlen strncmp vfprintf wcslen)
set(windows7_user32
  AdjustWindowRectEx AllowSetForegroundWindow AppendMenuW BeginPaint CallWindowProcW CheckMenuRadioItem ClientToScreen
  CloseClipboard
  CreateDialogIndirectParamW CreatePopupMenu CreateWindowExW DefDlgProcW DefWindowProcW DestroyMenu
  DestroyWindow DialogBoxIndirectParamW FindWindowExW DispatchMessageW DrawEdge DrawFocusRect DrawTextW
  EmptyClipboard EnableWindow EndDialog FlashWindowEx GetForegroundWindow LoadAcceleratorsW
  SendNotifyMessageW TranslateAcceleratorW EndPaint EnumDisplayMonitors FillRect GetActiveWindow
  GetAncestor GetClassInfoExW GetClassLongPtrW GetClassNameW GetClientRect GetCursorPos GetDC GetFocus GetKeyState
  GetMessagePos GetMessageW GetMonitorInfoW GetNextDlgTabItem GetParent GetSysColor
  GetSystemMetrics GetWindowLongPtrW GetWindowPlacement GetWindowRect GetWindowTextLengthW
  GetWindowTextW GetWindowThreadProcessId InvalidateRect IsChild IsDialogMessageW IsIconic IsWindow
  IsWindowEnabled IsWindowVisible IsZoomed KillTimer LoadCursorW LoadIconW LoadImageW LoadStringW
  MapWindowPoints MessageBeep MessageBoxW MonitorFromRect MsgWaitForMultipleObjects NotifyWinEvent
  OffsetRect OpenClipboard PeekMessageW PostMessageW PostQuitMessage PostThreadMessageW
  RegisterClassExW RegisterWindowMessageW ReleaseDC ScreenToClient SendMessageTimeoutW SendMessageW
  SetActiveWindow SetClipboardData SetCursor SetFocus SetForegroundWindow SetTimer
  SetWindowLongPtrW SetWindowPos SetWindowTextW ShowWindow ShowWindowAsync
  ShutdownBlockReasonCreate
  ShutdownBlockReasonDestroy TrackMouseEvent TrackPopupMenu TranslateMessage UpdateWindow
  ValidateRect)
