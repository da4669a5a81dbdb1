// probe: drives and inspects a running Kestrova from another process, for the end-to-end tests.
//
//   probe [--timeout=MS] [--hwnd=0xHANDLE] COMMAND [ARGS...]
//
// Commands:
//   wait                         waits for the main window and its list; hwnd=, pid=
//   state                        caption, geometry, every control, list and profile items, focus
//   about-state                  the about window of the same process
//   click ID [main|about]        posts BM_CLICK to the control ID
//   post-close [main|about]      posts WM_CLOSE
//   move X Y                     moves the main window (no size change)
//   minimize | restore           ShowWindowAsync
//   dialog [--press ok|cancel|yes|no|ID] [--file PATH]
//                                a visible dialog (#32770) of the program's process
//   screenshot OUT.bmp [main|about|root|main-client|about-client]
//                                the screen rectangle of that window as a 24-bit BMP
//   latency N                    N round trips of WM_NULL; p50=, p99=, max= in ms
//   watch-list                   the list's last lines before the main window went; gone=, states=
//   session query|end|closeapp   WM_QUERYENDSESSION (answer=) or WM_ENDSESSION, as at log-off;
//                                closeapp: both as the Restart Manager sends them
//   processes NAME               how many processes of that exe name run (count=)
//   shortcut PATH                the target of a shell link, read through IShellLinkW (target=)
//   copy                         WM_COPY to the result list; the clipboard's text (text=)
//   tooltip                      the program's tooltip now: shown=, text=
//   system-message CODE          the system's message for an error code (text=)
//   keys CHORD...                real key presses to the focused window: tab, shift+tab, enter,
//                                esc, space, alt+f4, down, up, right, left, apps (the menu
//                                key), shift+f10, ctrl+e, f5, pause, a letter or digit (an
//                                access key)
//   barrier                      posts a marker to the program's message queue and waits until
//                                it has been handled: so has everything posted before it (a drop)
//
// The main window is found by its class; --timeout (default 10000 ms) bounds every wait.
// Output: one key=value line each, UTF-8. In values a backslash, CR, LF and tab are written as
// \\, \r, \n and \t, so every value stays on its line. Exit code 0 on success; otherwise a
// message on stderr and exit code 1 (2 for a usage error).
//
// Texts of the other process are read with WM_GETTEXT, LB_GETTEXT and CB_GETLBTEXT sent as wide
// messages (the narrow ones come back broken across processes under Wine), always through
// SendMessageTimeoutW so a busy window cannot hang the probe.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "toolkit/Text.h"

namespace {

constexpr UINT kSendTimeoutMs = 15000;

struct Failure {
  std::string message;
  int code = 1;
};

[[noreturn]] void Fail(const std::string& message, int code = 1) {
  throw Failure{message, code};
}

std::string Utf8(const std::wstring& w) { return kestrova::ToUtf8(w); }

std::string Escape(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out;
}

std::string g_out;

void Put(const std::string& key, const std::string& value) {
  g_out += key;
  g_out += '=';
  g_out += Escape(value);
  g_out += '\n';
}
void Put(const std::string& key, const std::wstring& value) { Put(key, Utf8(value)); }
void Put(const std::string& key, long long value) { Put(key, std::to_string(value)); }

std::string Hex(const void* p) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "0x%llx",
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(p)));
  return buf;
}

std::string Rect4(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," +
         std::to_string(r.right - r.left) + "," + std::to_string(r.bottom - r.top);
}

// ---- talking to the other process ---------------------------------------------------------

LRESULT Send(HWND h, UINT msg, WPARAM wp, LPARAM lp, const char* what) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(h, msg, wp, lp, SMTO_NORMAL, kSendTimeoutMs, &result)) {
    DWORD err = GetLastError();
    Fail(std::string(what) + ": no answer from window " + Hex(h) +
         (err == ERROR_TIMEOUT || err == 0 ? " (timed out)" : " (error " + std::to_string(err) + ")"));
  }
  return static_cast<LRESULT>(result);
}

std::wstring TextOf(HWND h) {
  LRESULT len = Send(h, WM_GETTEXTLENGTH, 0, 0, "WM_GETTEXTLENGTH");
  if (len <= 0) len = 0;
  std::vector<wchar_t> buf(static_cast<std::size_t>(len) + 64, L'\0');
  LRESULT got = Send(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), "WM_GETTEXT");
  if (got < 0) got = 0;
  got = std::min<LRESULT>(got, static_cast<LRESULT>(buf.size()) - 1);
  return std::wstring(buf.data(), wcsnlen(buf.data(), static_cast<std::size_t>(got)));
}

// LB_GETTEXT / CB_GETLBTEXT through the wide messages; getLen is the matching *_GETTEXTLEN.
std::wstring ItemText(HWND h, UINT getLen, UINT getText, int index, const char* what) {
  LRESULT len = Send(h, getLen, static_cast<WPARAM>(index), 0, what);
  if (len < 0) return std::wstring();
  std::vector<wchar_t> buf(static_cast<std::size_t>(len) + 64, L'\0');
  LRESULT got = Send(h, getText, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buf.data()), what);
  if (got < 0) return std::wstring();
  return std::wstring(buf.data(), wcsnlen(buf.data(), buf.size() - 1));
}

std::wstring ClassOf(HWND h) {
  wchar_t buf[256] = {};
  int n = GetClassNameW(h, buf, 256);
  return std::wstring(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

bool IsClass(HWND h, const wchar_t* name) { return _wcsicmp(ClassOf(h).c_str(), name) == 0; }

DWORD ProcessOf(HWND h) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  return pid;
}

// Screen rectangle of h in the client coordinates of ref.
RECT RelativeRect(HWND h, HWND ref) {
  RECT r{};
  GetWindowRect(h, &r);
  MapWindowPoints(HWND_DESKTOP, ref, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> all;
  EnumChildWindows(
      parent,
      [](HWND h, LPARAM lp) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  return all;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> direct;
  for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) direct.push_back(h);
  return direct;
}

HWND Descendant(HWND parent, int id) {
  for (HWND h : Descendants(parent))
    if (GetDlgCtrlID(h) == id) return h;
  return nullptr;
}

std::vector<HWND> TopLevels() {
  std::vector<HWND> all;
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  return all;
}

// ---- options and the windows of the program ------------------------------------------------

DWORD g_timeoutMs = 10000;
HWND g_forcedMain = nullptr;

class Deadline {
 public:
  explicit Deadline(DWORD ms) : start_(GetTickCount64()), ms_(ms) {}
  bool Passed() const { return GetTickCount64() - start_ >= ms_; }

 private:
  ULONGLONG start_;
  ULONGLONG ms_;
};

HWND FindMain() {
  Deadline deadline(g_timeoutMs);
  for (;;) {
    HWND h = g_forcedMain ? g_forcedMain : FindWindowW(L"" KESTROVA_MAIN_CLASS, nullptr);
    if (h && IsWindow(h) && IsClass(h, L"" KESTROVA_MAIN_CLASS) && GetDlgItem(h, IDC_LIST))
      return h;
    if (deadline.Passed()) {
      if (!h) Fail("no window of class " KESTROVA_MAIN_CLASS " within " + std::to_string(g_timeoutMs) + " ms");
      Fail("window " KESTROVA_MAIN_CLASS " has no list (IDC_LIST) within " + std::to_string(g_timeoutMs) + " ms");
    }
    Sleep(20);
  }
}

HWND FindAbout(HWND mainWnd, bool wait = true) {
  DWORD pid = ProcessOf(mainWnd);
  Deadline deadline(g_timeoutMs);
  for (;;) {
    // Wine lists a window that has just been destroyed for a moment: IsWindow tells.
    for (HWND h : TopLevels())
      if (ProcessOf(h) == pid && IsWindow(h) && IsClass(h, L"" KESTROVA_ABOUT_CLASS)) return h;
    if (!wait) return nullptr;
    if (deadline.Passed()) Fail("no window of class " KESTROVA_ABOUT_CLASS " within " + std::to_string(g_timeoutMs) + " ms");
    Sleep(20);
  }
}

HWND FindDialog(HWND mainWnd) {
  DWORD pid = ProcessOf(mainWnd);
  Deadline deadline(g_timeoutMs);
  for (;;) {
    HWND disabled = nullptr;
    // Topmost first: the dialog on top of a stack of modal ones is the enabled one.
    for (HWND h : TopLevels()) {
      if (ProcessOf(h) != pid || !IsWindowVisible(h) || !IsClass(h, L"#32770")) continue;
      if (IsWindowEnabled(h)) return h;
      if (!disabled) disabled = h;
    }
    if (disabled) return disabled;
    if (deadline.Passed()) Fail("no visible dialog (#32770) of the program within " + std::to_string(g_timeoutMs) + " ms");
    Sleep(20);
  }
}

HWND Target(HWND mainWnd, const std::wstring& which) {
  if (which.empty() || which == L"main") return mainWnd;
  if (which == L"about") return FindAbout(mainWnd);
  Fail("unknown window '" + Utf8(which) + "' (main or about)", 2);
}

// ---- output of windows ----------------------------------------------------------------------

std::string ControlId(HWND h) {
  if (GetWindowLongW(h, GWL_STYLE) & WS_CHILD) {
    int id = GetDlgCtrlID(h);
    if (id != 0) return std::to_string(id);
  }
  return Utf8(ClassOf(h));
}

void PutControl(HWND h, HWND ref, std::vector<std::string>& seen) {
  std::string key = "control." + std::to_string(GetDlgCtrlID(h));
  std::string unique = key;
  for (int n = 2; std::find(seen.begin(), seen.end(), unique) != seen.end(); ++n)
    unique = key + "." + std::to_string(n);
  seen.push_back(unique);
  LONG style = GetWindowLongW(h, GWL_STYLE);
  Put(unique, Utf8(ClassOf(h)) + "," + Rect4(RelativeRect(h, ref)) + "," + Utf8(TextOf(h)));
  Put(unique + ".visible", IsWindowVisible(h) ? 1 : 0);
  Put(unique + ".enabled", IsWindowEnabled(h) ? 1 : 0);
  HWND parent = GetParent(h);
  Put(unique + ".parent", parent == ref ? std::string("0") : ControlId(parent));
  char styleText[16];
  std::snprintf(styleText, sizeof styleText, "0x%08lx", static_cast<unsigned long>(style));
  Put(unique + ".style", styleText);
}

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

UINT SystemDpi() {
  HDC dc = GetDC(nullptr);
  UINT dpi = static_cast<UINT>(GetDeviceCaps(dc, LOGPIXELSY));
  ReleaseDC(nullptr, dc);
  return dpi;
}

// Wine 8 answers GetDpiForWindow for a window of another process with 96 whatever the setting,
// while that process itself gets the system DPI for it (Wine has one DPI for all monitors).
UINT DpiOf(HWND h) {
  UINT dpi = GetDpiForWindow(h);
  if (dpi == 0 || (UnderWine() && ProcessOf(h) != GetCurrentProcessId())) dpi = SystemDpi();
  return dpi;
}

void PutWindow(HWND h) {
  RECT w{}, c{};
  GetWindowRect(h, &w);
  GetClientRect(h, &c);
  Put("caption", TextOf(h));
  Put("visible", IsWindowVisible(h) ? 1 : 0);
  Put("enabled", IsWindowEnabled(h) ? 1 : 0);
  Put("minimized", IsIconic(h) ? 1 : 0);
  Put("window", Rect4(w));
  Put("client", std::to_string(c.right - c.left) + "," + std::to_string(c.bottom - c.top));
  Put("dpi", DpiOf(h));
  Put("dpi.window", GetDpiForWindow(h));
}

void PutControls(HWND h, bool allDescendants) {
  std::vector<std::string> seen;
  std::vector<HWND> list = allDescendants ? Descendants(h) : Children(h);
  std::string ids;
  for (HWND c : list) {
    PutControl(c, h, seen);
    if (!ids.empty()) ids += ',';
    ids += std::to_string(GetDlgCtrlID(c));
  }
  Put("children", ids);
}

// ---- commands -------------------------------------------------------------------------------

void CmdWait() {
  HWND h = FindMain();
  Put("hwnd", Hex(h));
  Put("pid", static_cast<long long>(ProcessOf(h)));
}

void CmdState() {
  HWND h = FindMain();
  Put("hwnd", Hex(h));
  PutWindow(h);
  PutControls(h, true);

  HWND list = GetDlgItem(h, IDC_LIST);
  LRESULT count = Send(list, LB_GETCOUNT, 0, 0, "LB_GETCOUNT");
  Put("list.count", static_cast<long long>(count));
  for (LRESULT i = 0; i < count; ++i)
    Put("list.item." + std::to_string(i), ItemText(list, LB_GETTEXTLEN, LB_GETTEXT, static_cast<int>(i), "LB_GETTEXT"));
  Put("list.hextent", static_cast<long long>(Send(list, LB_GETHORIZONTALEXTENT, 0, 0, "LB_GETHORIZONTALEXTENT")));
  Put("list.top", static_cast<long long>(Send(list, LB_GETTOPINDEX, 0, 0, "LB_GETTOPINDEX")));

  if (HWND profile = Descendant(h, IDC_PROFILE)) {
    LRESULT n = Send(profile, CB_GETCOUNT, 0, 0, "CB_GETCOUNT");
    Put("profile.count", static_cast<long long>(n));
    for (LRESULT i = 0; i < n; ++i)
      Put("profile.item." + std::to_string(i),
          ItemText(profile, CB_GETLBTEXTLEN, CB_GETLBTEXT, static_cast<int>(i), "CB_GETLBTEXT"));
    Put("profile.sel", static_cast<long long>(Send(profile, CB_GETCURSEL, 0, 0, "CB_GETCURSEL")));
  }
  if (HWND ext = Descendant(h, IDC_EXT)) Put("ext", TextOf(ext));

  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(h, nullptr), &gui)) {
    Put("focus", gui.hwndFocus ? ControlId(gui.hwndFocus) : std::string());
    Put("active", gui.hwndActive ? Utf8(ClassOf(gui.hwndActive)) : std::string());
  } else {
    Put("focus", std::string());
  }
}

// Watches the result list until the main window is gone (or the timeout): the lines it held
// last, and how many different states it went through. For a program that ends by itself.
void CmdWatchList() {
  HWND h = FindMain();
  HWND list = GetDlgItem(h, IDC_LIST);
  std::vector<std::wstring> last;
  long long states = 0;
  Deadline deadline(g_timeoutMs);
  while (!deadline.Passed() && IsWindow(list)) {
    std::vector<std::wstring> now;
    try {
      const LRESULT count = Send(list, LB_GETCOUNT, 0, 0, "LB_GETCOUNT");
      for (LRESULT i = 0; i < count; ++i)
        now.push_back(ItemText(list, LB_GETTEXTLEN, LB_GETTEXT, static_cast<int>(i), "LB_GETTEXT"));
    } catch (const Failure&) {
      break;  // the window went while it was asked
    }
    if (now != last) {
      ++states;
      if (!now.empty()) last = now;
    }
    Sleep(1);
  }
  Put("gone", IsWindow(list) ? 0 : 1);
  Put("states", states);
  Put("list.count", static_cast<long long>(last.size()));
  for (std::size_t i = 0; i < last.size(); ++i) Put("list.item." + std::to_string(i), last[i]);
}

void PutAbout(HWND about) {
  Put("hwnd", Hex(about));
  PutWindow(about);
  HWND owner = GetWindow(about, GW_OWNER);
  Put("owner", owner ? Utf8(ClassOf(owner)) : std::string());
  PutControls(about, true);
  // Pictures answer STM_GETIMAGE with the bitmap they show.
  for (HWND c : Descendants(about)) {
    const bool staticBitmap =
        IsClass(c, L"Static") && (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP;
    if (!staticBitmap && !IsClass(c, L"TImage")) continue;
    LRESULT handle = Send(c, STM_GETIMAGE, IMAGE_BITMAP, 0, "STM_GETIMAGE");
    Put("control." + std::to_string(GetDlgCtrlID(c)) + ".image", handle ? 1 : 0);
  }
}

// The session's questions to the main window, as Windows asks them at log-off: "query" sends
// WM_QUERYENDSESSION (answer=1: it may end), "end" sends WM_ENDSESSION that it ends now.
void CmdSession(const std::vector<std::wstring>& args) {
  HWND h = FindMain();
  const std::wstring what = args.empty() ? L"" : args[0];
  if (what == L"query") {
    Put("answer", static_cast<long long>(Send(h, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                              "WM_QUERYENDSESSION")));
  } else if (what == L"end") {
    Send(h, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, "WM_ENDSESSION");
    Put("sent", 1);
  } else if (what == L"closeapp") {
    // The Restart Manager asks a program to close so that a file it holds can be updated.
    Send(h, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, "WM_QUERYENDSESSION");
    Send(h, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, "WM_ENDSESSION");
    Put("sent", 1);
  } else {
    Fail("usage: probe session query|end|closeapp", 2);
  }
}

void CmdShortcut(const std::vector<std::wstring>& args) {
  if (args.empty()) Fail("usage: probe shortcut PATH", 2);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link)))) {
    Fail("shortcut: no IShellLinkW");
  }
  IPersistFile* file = nullptr;
  wchar_t target[MAX_PATH] = {};
  const bool read =
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(args[0].c_str(), STGM_READ)) &&
      SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH));
  if (file != nullptr) file->Release();
  link->Release();
  if (!read) Fail("shortcut: cannot read " + Utf8(args[0]));
  Put("target", std::wstring(target));
}

void CmdProcesses(const std::vector<std::wstring>& args) {
  if (args.empty()) Fail("usage: probe processes NAME", 2);
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) Fail("CreateToolhelp32Snapshot failed");
  long long count = 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, args[0].c_str()) == 0) ++count;
  }
  CloseHandle(snapshot);
  Put("count", count);
}

// WM_COPY to the result list, then what the clipboard holds as Unicode text (text=).
void CmdCopy() {
  HWND list = GetDlgItem(FindMain(), IDC_LIST);
  Send(list, WM_COPY, 0, 0, "WM_COPY");
  std::wstring text;
  if (!OpenClipboard(nullptr)) Fail("the clipboard cannot be opened");
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  Put("text", text);
}

// The text of the program's tooltip on the screen now (shown=0 when there is none).
void CmdTooltip() {
  const DWORD pid = ProcessOf(FindMain());
  for (HWND h : TopLevels()) {
    if (ProcessOf(h) != pid || !IsWindowVisible(h) || !IsClass(h, L"tooltips_class32")) continue;
    Put("shown", 1);
    Put("text", TextOf(h));
    return;
  }
  Put("shown", 0);
}

// The system's own message for an error code (text=), as the program shows it.
void CmdSystemMessage(const std::vector<std::wstring>& args) {
  if (args.empty()) Fail("usage: probe system-message CODE", 2);
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, std::wcstoul(args[0].c_str(), nullptr, 0), 0, reinterpret_cast<LPWSTR>(&buffer), 0,
      nullptr);
  std::wstring text(buffer != nullptr ? buffer : L"", length);
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
    text.pop_back();
  }
  Put("text", text);
}

void CmdAboutState() {
  // The about dialog exists while it is shown; one that goes while it is looked at is gone.
  HWND about = FindAbout(FindMain(), false);
  const std::size_t mark = g_out.size();
  try {
    if (about == nullptr) throw Failure{"no about dialog"};
    PutAbout(about);
  } catch (const Failure&) {
    if (about != nullptr && IsWindow(about)) throw;
    g_out.resize(mark);
    Put("visible", 0);
  }
}

// Real keyboard input (SendInput) to whichever window has the focus, one key chord a word:
// "tab", "shift+tab", "enter", "esc", "space", "alt+f4", "down"; 60 ms between chords.
void CmdKeys(const std::vector<std::wstring>& args) {
  if (args.empty()) Fail("keys: no keys", 2);
  struct Named {
    const wchar_t* name;
    WORD vk;
  };
  static const Named names[] = {
      {L"tab", VK_TAB},   {L"enter", VK_RETURN}, {L"esc", VK_ESCAPE}, {L"space", VK_SPACE},
      {L"f4", VK_F4},     {L"f10", VK_F10},      {L"down", VK_DOWN},  {L"up", VK_UP},
      {L"right", VK_RIGHT}, {L"left", VK_LEFT},  {L"apps", VK_APPS},  {L"shift", VK_SHIFT},
      {L"alt", VK_MENU},  {L"ctrl", VK_CONTROL}, {L"f5", VK_F5},      {L"pause", VK_PAUSE}};
  for (const std::wstring& chord : args) {
    std::vector<WORD> keys;
    std::size_t start = 0;
    while (start <= chord.size()) {
      std::size_t plus = chord.find(L'+', start);
      std::wstring name = chord.substr(start, plus == std::wstring::npos ? std::wstring::npos : plus - start);
      WORD vk = 0;
      for (const Named& n : names)
        if (name == n.name) vk = n.vk;
      // A letter or a digit: its own key (a menu's access key).
      if (name.size() == 1 && std::iswalnum(name[0]) && name[0] < 0x80) {
        vk = static_cast<WORD>(std::towupper(name[0]));
      }
      if (vk == 0) Fail("keys: unknown key '" + Utf8(name) + "'", 2);
      keys.push_back(vk);
      if (plus == std::wstring::npos) break;
      start = plus + 1;
    }
    std::vector<INPUT> input;
    for (WORD vk : keys) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wVk = vk;
      input.push_back(in);
    }
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wVk = *it;
      in.ki.dwFlags = KEYEVENTF_KEYUP;
      input.push_back(in);
    }
    if (SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT)) != input.size())
      Fail("keys: SendInput failed");
    Sleep(60);
  }
  Put("sent", static_cast<long long>(args.size()));
}

int ParseInt(const std::wstring& s, const char* what) {
  wchar_t* end = nullptr;
  long v = std::wcstol(s.c_str(), &end, 0);
  if (s.empty() || !end || *end) Fail(std::string("bad ") + what + ": '" + Utf8(s) + "'", 2);
  return static_cast<int>(v);
}

void CmdClick(const std::vector<std::wstring>& args) {
  if (args.empty()) Fail("click: control id missing", 2);
  int id = ParseInt(args[0], "control id");
  HWND owner = Target(FindMain(), args.size() > 1 ? args[1] : L"");
  HWND c = Descendant(owner, id);
  if (!c) Fail("click: no control " + std::to_string(id));
  if (!PostMessageW(c, BM_CLICK, 0, 0)) Fail("click: PostMessage failed");
  Put("clicked", id);
}

void CmdPostClose(const std::vector<std::wstring>& args) {
  HWND h = Target(FindMain(), args.empty() ? L"" : args[0]);
  if (!PostMessageW(h, WM_CLOSE, 0, 0)) Fail("post-close: PostMessage failed");
  Put("posted", Hex(h));
}

void CmdMove(const std::vector<std::wstring>& args) {
  if (args.size() < 2) Fail("move: X Y missing", 2);
  int x = ParseInt(args[0], "X"), y = ParseInt(args[1], "Y");
  HWND h = FindMain();
  // Asynchronous: the program's thread carries it out, so a busy program cannot block the probe.
  if (!SetWindowPos(h, nullptr, x, y, 0, 0,
                    SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS))
    Fail("move: SetWindowPos failed (" + std::to_string(GetLastError()) + ")");
  Deadline deadline(std::min<DWORD>(g_timeoutMs, 3000));
  RECT r{};
  do {
    GetWindowRect(h, &r);
    if (r.left == x && r.top == y) break;
    Sleep(10);
  } while (!deadline.Passed());
  Put("window", Rect4(r));
}

void CmdShow(int how) {
  HWND h = FindMain();
  ShowWindowAsync(h, how);
  Put("hwnd", Hex(h));
}

// Waits until the dialog is gone, or until another modal window disabled it (a message box
// about the input, say): closed=1 or closed=0.
void WaitClosed(HWND dlg) {
  Deadline deadline(g_timeoutMs);
  auto gone = [dlg] { return !IsWindow(dlg) || !IsWindowVisible(dlg); };
  while (!gone() && IsWindowEnabled(dlg) && !deadline.Passed()) Sleep(20);
  if (!gone()) Sleep(100);
  Put("closed", gone() ? 1 : 0);
}

void PressButton(HWND dlg, int id) {
  // What a click on the button sends its dialog: WM_COMMAND with BN_CLICKED.
  HWND button = GetDlgItem(dlg, id);
  if (!PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)))
    Fail("dialog: PostMessage failed");
}

void CmdDialog(const std::vector<std::wstring>& args) {
  std::wstring press, file;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == L"--press" && i + 1 < args.size()) press = args[++i];
    else if (args[i].rfind(L"--press=", 0) == 0) press = args[i].substr(8);
    else if (args[i] == L"--file" && i + 1 < args.size()) file = args[++i];
    else if (args[i].rfind(L"--file=", 0) == 0) file = args[i].substr(7);
    else Fail("dialog: unknown argument '" + Utf8(args[i]) + "'", 2);
  }
  HWND dlg = FindDialog(FindMain());
  Put("hwnd", Hex(dlg));
  Put("caption", TextOf(dlg));
  std::wstring text;
  for (HWND c : Children(dlg)) {
    if (!IsClass(c, L"Static")) continue;
    std::wstring t = TextOf(c);
    if (t.empty()) continue;
    if (!text.empty()) text += L"\n";
    text += t;
  }
  Put("text", text);
  PutControls(dlg, false);

  if (!file.empty()) {
    HWND box = nullptr;
    if (HWND combo = GetDlgItem(dlg, 1148)) {  // cmb13: the file name combo, its edit inside
      box = combo;
      for (HWND c : Descendants(combo))
        if (IsClass(c, L"Edit")) {
          box = c;
          break;
        }
    }
    if (!box) box = GetDlgItem(dlg, 1152);  // edt1
    if (!box) Fail("dialog: no file name box (1148 or 1152)");
    Send(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()), "WM_SETTEXT");
    Put("file", TextOf(box));
    PressButton(dlg, IDOK);
    WaitClosed(dlg);
  } else if (!press.empty()) {
    int id;
    if (press == L"ok") id = IDOK;
    else if (press == L"cancel") id = IDCANCEL;
    else if (press == L"yes") id = IDYES;
    else if (press == L"no") id = IDNO;
    else id = ParseInt(press, "button");
    PressButton(dlg, id);
    Put("pressed", id);
    WaitClosed(dlg);
  }
}

void WriteBmp(const std::wstring& path, const RECT& r) {
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) Fail("screenshot: empty rectangle");
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  BOOL copied = BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
  SelectObject(mem, old);

  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = w;
  info.biHeight = h;  // bottom-up
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
  info.biSizeImage = stride * static_cast<DWORD>(h);
  std::vector<unsigned char> pixels(info.biSizeImage);
  int lines = GetDIBits(mem, bmp, 0, static_cast<UINT>(h), pixels.data(),
                        reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  if (!copied || lines != h) Fail("screenshot: BitBlt/GetDIBits failed");

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;
  HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) Fail("screenshot: cannot create " + Utf8(path));
  DWORD n = 0;
  BOOL ok = WriteFile(out, &file, sizeof file, &n, nullptr) &&
            WriteFile(out, &info, sizeof info, &n, nullptr) &&
            WriteFile(out, pixels.data(), info.biSizeImage, &n, nullptr);
  CloseHandle(out);
  if (!ok) Fail("screenshot: cannot write " + Utf8(path));
}

void CmdScreenshot(const std::vector<std::wstring>& args) {
  if (args.empty()) Fail("screenshot: output file missing", 2);
  std::wstring which = args.size() > 1 ? args[1] : L"main";
  RECT r{};
  if (which == L"root") {
    r.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    r.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    r.right = r.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    r.bottom = r.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  } else {
    bool clientOnly = false;
    std::wstring base = which;
    if (base.size() > 7 && base.compare(base.size() - 7, 7, L"-client") == 0) {
      clientOnly = true;
      base.resize(base.size() - 7);
    }
    HWND h = Target(FindMain(), base);
    if (clientOnly) {
      GetClientRect(h, &r);
      MapWindowPoints(h, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
    } else {
      GetWindowRect(h, &r);
    }
  }
  // Whatever waits to be painted is painted first (sent, so the call returns once it is).
  if (HWND h = FindWindowW(L"" KESTROVA_MAIN_CLASS, nullptr)) {
    for (HWND w : {h, FindAbout(h, false)}) {
      if (w != nullptr) {
        RedrawWindow(w, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        Send(w, WM_NULL, 0, 0, "WM_NULL");
      }
    }
  }
  WriteBmp(args[0], r);
  Put("file", args[0]);
  Put("rect", Rect4(r));
}

void CmdLatency(const std::vector<std::wstring>& args) {
  int n = args.empty() ? 100 : ParseInt(args[0], "count");
  if (n <= 0) Fail("latency: count must be positive", 2);
  HWND h = FindMain();
  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  std::vector<double> ms;
  int timeouts = 0;
  for (int i = 0; i < n; ++i) {
    DWORD_PTR result = 0;
    QueryPerformanceCounter(&t0);
    if (!SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &result)) ++timeouts;
    QueryPerformanceCounter(&t1);
    ms.push_back(static_cast<double>(t1.QuadPart - t0.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart));
  }
  std::sort(ms.begin(), ms.end());
  auto at = [&](double q) {
    std::size_t k = static_cast<std::size_t>(std::ceil(q * static_cast<double>(ms.size())));
    return ms[std::min(ms.size() - 1, k == 0 ? 0 : k - 1)];
  };
  auto fmt = [](double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", v);
    return std::string(buf);
  };
  Put("count", n);
  Put("timeouts", timeouts);
  Put("min", fmt(ms.front()));
  Put("p50", fmt(at(0.50)));
  Put("p99", fmt(at(0.99)));
  Put("max", fmt(ms.back()));
}

// Posted messages of a thread are handled in the order they were posted: once the extension
// box has taken a limit posted after a drop, the drop has been handled as well. The limit is
// one no one else sets, and the box's own comes back right after.
void CmdBarrier() {
  HWND edit = Descendant(FindMain(), IDC_EXT);
  if (edit == nullptr) Fail("barrier: no extension box");
  const LRESULT before = Send(edit, EM_GETLIMITTEXT, 0, 0, "EM_GETLIMITTEXT");
  const LRESULT marker = 0x10000 + static_cast<LRESULT>(GetTickCount64() % 0x10000);
  if (!PostMessageW(edit, EM_SETLIMITTEXT, static_cast<WPARAM>(marker), 0)) {
    Fail("barrier: PostMessage failed (error " + std::to_string(GetLastError()) + ")");
  }
  Deadline deadline(g_timeoutMs);
  while (Send(edit, EM_GETLIMITTEXT, 0, 0, "EM_GETLIMITTEXT") != marker) {
    if (deadline.Passed()) Fail("barrier: the marker was not handled in time");
    Sleep(5);
  }
  PostMessageW(edit, EM_SETLIMITTEXT, static_cast<WPARAM>(before), 0);
  Put("passed", 1);
}

void BecomeDpiAware() {
  // Physical pixels: coordinates read from the program must not be scaled for the probe.
  using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  auto set = reinterpret_cast<SetContext>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
  if (!set || !set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) SetProcessDPIAware();
}

int Run(std::vector<std::wstring> args) {
  std::vector<std::wstring> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::wstring& a = args[i];
    if (a.rfind(L"--timeout=", 0) == 0) {
      g_timeoutMs = static_cast<DWORD>(ParseInt(a.substr(10), "timeout"));
    } else if (a == L"--timeout" && i + 1 < args.size()) {
      g_timeoutMs = static_cast<DWORD>(ParseInt(args[++i], "timeout"));
    } else if (a.rfind(L"--hwnd=", 0) == 0) {
      g_forcedMain = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::wcstoull(a.c_str() + 7, nullptr, 0)));
    } else {
      rest.push_back(a);
    }
  }
  if (rest.empty()) Fail("usage: probe [--timeout=MS] [--hwnd=H] wait|state|about-state|click|post-close|move|minimize|restore|dialog|screenshot|latency|keys ...", 2);
  std::wstring cmd = rest[0];
  std::vector<std::wstring> params(rest.begin() + 1, rest.end());
  if (cmd == L"wait") CmdWait();
  else if (cmd == L"state") CmdState();
  else if (cmd == L"about-state") CmdAboutState();
  else if (cmd == L"click") CmdClick(params);
  else if (cmd == L"post-close") CmdPostClose(params);
  else if (cmd == L"move") CmdMove(params);
  else if (cmd == L"minimize") CmdShow(SW_MINIMIZE);
  else if (cmd == L"restore") CmdShow(SW_RESTORE);
  else if (cmd == L"dialog") CmdDialog(params);
  else if (cmd == L"screenshot") CmdScreenshot(params);
  else if (cmd == L"latency") CmdLatency(params);
  else if (cmd == L"watch-list") CmdWatchList();
  else if (cmd == L"session") CmdSession(params);
  else if (cmd == L"copy") CmdCopy();
  else if (cmd == L"tooltip") CmdTooltip();
  else if (cmd == L"system-message") CmdSystemMessage(params);
  else if (cmd == L"keys") CmdKeys(params);
  else if (cmd == L"barrier") CmdBarrier();
  else if (cmd == L"processes") CmdProcesses(params);
  else if (cmd == L"shortcut") CmdShortcut(params);
  else Fail("unknown command '" + Utf8(cmd) + "'", 2);
  return 0;
}

}  // namespace

int main() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  BecomeDpiAware();

  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  LocalFree(argv);

  int code = 0;
  try {
    code = Run(args);
  } catch (const Failure& f) {
    std::fwrite(g_out.data(), 1, g_out.size(), stdout);
    std::fflush(stdout);
    std::string msg = "probe: " + f.message + "\n";
    std::fwrite(msg.data(), 1, msg.size(), stderr);
    std::fflush(stderr);
    return f.code;
  }
  std::fwrite(g_out.data(), 1, g_out.size(), stdout);
  std::fflush(stdout);
  return code;
}
