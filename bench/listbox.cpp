// bench_listbox: the result list in-process, on real native lists of a visible window.
//
//   bench_listbox ADD_LINES SHOWN_LINES RUNS SIZE...
//
// add:    ADD_LINES result lines added to a TListBoxEx (through its item collection, as the
//         program adds them) and the same lines to a plain LISTBOX of the same style, font and
//         item height (LB_ADDSTRING), and to one whose extent was set wider than it first, on
//         fresh lists each run, the order alternating. The lists'
//         window is not shown: under Wine's default theme a shown list redraws its themed scroll
//         bar at every insertion, some milliseconds each, which would bury both lists' own work
//         (and take minutes at this size). The same comparison with the window shown runs with
//         SHOWN_LINES lines ("list_add_shown").
// delete: for each SIZE, a list of SIZE lines of which one, in the middle, is the widest,
//         filled unshown and then shown; deleting that line costs TListBoxEx one rescan of the
//         rest. Timed against the same deletion from a plain LISTBOX, and against a rescan that
//         measures every line through one device context (what a rescan costs without a DC per
//         line); the line is put back, untimed, after each run.
// cost:   first, what one measurement is made of: each request timed on its own on a plain
//         list, on a plain list with a do-nothing SetWindowSubclass, and on TListBoxEx.
// Output: "list_cost ..." lines (µs per request), then one "list_add ...", "list_add_shown ..."
//         or "list_delete ..." line per run (ms).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "controls/ListBoxEx.h"
#include "resources/Layouts.h"
#include "toolkit/Application.h"

namespace {

using namespace kestrova;

const ControlLayout kListLayout{IDC_LIST, "LIST", 0, 0, 0, 282, 240,
                                Align::None, 0, 12};
constexpr DWORD kPlainStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL |
                              LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;

double NowMs() {
  static const double perMs = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / perMs;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Result lines as the program writes them: "[OK] " or "[NG] " and a folder name of varying
// length, a quarter of them Japanese. The same lines every run (a fixed generator).
std::vector<std::wstring> ResultLines(int count) {
  std::vector<std::wstring> lines;
  lines.reserve(static_cast<std::size_t>(count));
  unsigned state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 0x7FFF;
  };
  for (int i = 0; i < count; ++i) {
    std::wstring line = next() % 20 ? L"[OK] " : L"[NG] ";
    line += next() % 4 ? L"Project-" : L"写真フォルダ_";
    line += std::to_wstring(i);
    const unsigned extra = next() % 24;
    for (unsigned k = 0; k < extra; ++k) line += static_cast<wchar_t>(L'a' + next() % 26);
    lines.push_back(std::move(line));
  }
  return lines;
}

// Wider than any generated line.
const std::wstring kWidest = L"[OK] " + std::wstring(60, L'W');

// A top-level window with a TListBoxEx and a plain LISTBOX side by side, both in the
// program's list font; destroyed with its children at scope end.
class Lists {
 public:
  Lists(HFONT font, bool shown)
      : parent_(CreateWindowExW(0, L"STATIC", L"bench",
                                WS_OVERLAPPEDWINDOW | (shown ? WS_VISIBLE : 0), 0, 0, 600, 300,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)),
        ex_(std::make_unique<TListBoxEx>(parent_, kListLayout)) {
    ex_->SetFont(font);
    ex_->Handle();
    plain_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"", kPlainStyle, 300, 0, 282, 240,
                             parent_, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(plain_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(plain_, LB_SETITEMHEIGHT, 0, 12);
    Pump();
  }
  Lists(const Lists&) = delete;
  Lists& operator=(const Lists&) = delete;
  ~Lists() {
    ex_.reset();
    DestroyWindow(parent_);
    Pump();
  }
  void Show() {
    ShowWindow(parent_, SW_SHOW);
    UpdateWindow(parent_);
    Pump();
  }
  TListBoxEx& Ex() { return *ex_; }
  HWND Plain() const { return plain_; }

 private:
  HWND parent_;
  std::unique_ptr<TListBoxEx> ex_;
  HWND plain_ = nullptr;
};

// The widest line of a list, every line measured through one device context.
int RescanOneDc(HWND list, HFONT font) {
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  HDC dc = GetDC(list);
  HGDIOBJ old = SelectObject(dc, font);
  std::wstring text;
  int widest = 0;
  for (int i = 0; i < count; ++i) {
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length <= 0) continue;
    text.resize(static_cast<std::size_t>(length) + 1);
    LRESULT got = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                               reinterpret_cast<LPARAM>(text.data()));
    if (got <= 0) continue;
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(got), &size);
    if (size.cx > widest) widest = size.cx;
  }
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  return widest;
}

// The lists filled by the last run of Add, kept for the largest deletion.
struct Filled {
  std::unique_ptr<Lists> plain;  // its plain list holds the lines
  std::unique_ptr<Lists> ex;     // its TListBoxEx holds them
};

Filled Add(HFONT font, const std::vector<std::wstring>& lines, int runs, bool shown) {
  Filled last;
  for (int run = 1; run <= runs; ++run) {
    double plainMs = 0, exMs = 0, extentMs = 0;
    auto plainLists = std::make_unique<Lists>(font, shown);
    auto exLists = std::make_unique<Lists>(font, shown);
    auto extentLists = std::make_unique<Lists>(font, shown);
    auto plain = [&] {
      const double t0 = NowMs();
      for (const std::wstring& line : lines) {
        SendMessageW(plainLists->Plain(), LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(line.c_str()));
      }
      plainMs = NowMs() - t0;
    };
    // The plain list again with a horizontal extent wider than itself, set once: the scroll
    // bar the native list then keeps up to date at every insertion is its own cost.
    auto extent = [&] {
      SendMessageW(extentLists->Plain(), LB_SETHORIZONTALEXTENT, 1000, 0);
      const double t0 = NowMs();
      for (const std::wstring& line : lines) {
        SendMessageW(extentLists->Plain(), LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(line.c_str()));
      }
      extentMs = NowMs() - t0;
    };
    auto ex = [&] {
      const double t0 = NowMs();
      for (const std::wstring& line : lines) exLists->Ex().Items.Add(line);
      exMs = NowMs() - t0;
    };
    if (run % 2) {
      plain();
      ex();
      extent();
    } else {
      ex();
      extent();
      plain();
    }
    std::printf("%s run=%d lines=%zu plain_ms=%.3f ex_ms=%.3f extent_ms=%.3f widest_px=%d\n",
                shown ? "list_add_shown" : "list_add", run, lines.size(), plainMs, exMs,
                extentMs, exLists->Ex().MaxItemWidth());
    std::fflush(stdout);
    last.plain.reset();  // the previous run's windows go before the next are kept
    last.ex.reset();
    last.plain = std::move(plainLists);
    last.ex = std::move(exLists);
  }
  return last;
}

// Deletes the widest line, in the middle, from both lists RUNS times, putting it back after each.
// The one-DC rescan runs on lists of up to kOneDcMaxLines lines (it grows as the rescan does).
constexpr int kOneDcMaxLines = 10000;

void DeleteWidest(HWND plain, TListBoxEx& ex, int runs) {
  const int size = static_cast<int>(SendMessageW(plain, LB_GETCOUNT, 0, 0)) + 1;
  const int middle = size / 2;
  SendMessageW(plain, LB_INSERTSTRING, static_cast<WPARAM>(middle),
               reinterpret_cast<LPARAM>(kWidest.c_str()));
  ex.Items.Insert(middle, kWidest);
  Pump();
  const int widest = ex.MaxItemWidth();
  for (int run = 1; run <= runs; ++run) {
    double t0 = NowMs();
    SendMessageW(plain, LB_DELETESTRING, static_cast<WPARAM>(middle), 0);
    const double plainMs = NowMs() - t0;

    t0 = NowMs();
    ex.Items.Delete(middle);
    const double exMs = NowMs() - t0;
    const int after = ex.MaxItemWidth();

    std::string oneDc;
    if (size <= kOneDcMaxLines) {
      t0 = NowMs();
      const int oneDcWidest = RescanOneDc(ex.Handle(), ex.Font());
      char text[96];
      std::snprintf(text, sizeof text, " one_dc_rescan_ms=%.3f one_dc_widest_px=%d",
                    NowMs() - t0, oneDcWidest);
      oneDc = text;
    }

    SendMessageW(plain, LB_INSERTSTRING, static_cast<WPARAM>(middle),
                 reinterpret_cast<LPARAM>(kWidest.c_str()));
    ex.Items.Insert(middle, kWidest);
    Pump();
    std::printf("list_delete size=%d run=%d plain_ms=%.3f ex_ms=%.3f widest_before_px=%d "
                "widest_after_px=%d%s\n",
                size, run, plainMs, exMs, widest, after, oneDc.c_str());
    std::fflush(stdout);
  }
}

void DeleteWidest(HFONT font, int size, int runs) {
  const std::vector<std::wstring> lines = ResultLines(size - 1);
  Lists lists(font, false);
  for (const std::wstring& line : lines) {
    SendMessageW(lists.Plain(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    lists.Ex().Items.Add(line);
  }
  lists.Show();
  DeleteWidest(lists.Plain(), lists.Ex(), runs);
}

LRESULT CALLBACK PassOn(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

// What one measurement of a line is made of, each request timed on its own (microseconds per
// call, averaged over many calls), on both lists.
void MeasurementCosts(HFONT font, int calls) {
  Lists lists(font, true);
  const std::vector<std::wstring> lines = ResultLines(100);
  HWND ex = lists.Ex().Handle();
  for (const std::wstring& line : lines) {
    SendMessageW(lists.Plain(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SendMessageW(ex, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
  Pump();
  // A plain list with a do-nothing subclass: the cost of the subclass machinery alone.
  HWND subclassed = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"", kPlainStyle, 300, 0, 282,
                                    240, GetParent(ex), nullptr, GetModuleHandleW(nullptr),
                                    nullptr);
  SetWindowSubclass(subclassed, PassOn, 1, 0);
  SendMessageW(subclassed, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  for (const std::wstring& line : lines) {
    SendMessageW(subclassed, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
  for (HWND list : {lists.Plain(), subclassed, ex}) {
    const char* which = list == ex ? "ex" : list == subclassed ? "plain_subclassed" : "plain";
    wchar_t text[256];
    auto time = [&](const char* what, auto&& body) {
      const double t0 = NowMs();
      for (int i = 0; i < calls; ++i) body();
      std::printf("list_cost list=%s request=%s us=%.3f\n", which, what,
                  (NowMs() - t0) * 1000.0 / calls);
    };
    time("LB_GETTEXTLEN", [&] { SendMessageW(list, LB_GETTEXTLEN, 50, 0); });
    time("LB_GETTEXT", [&] { SendMessageW(list, LB_GETTEXT, 50, reinterpret_cast<LPARAM>(text)); });
    time("WM_GETFONT", [&] { SendMessageW(list, WM_GETFONT, 0, 0); });
    time("GetDC+ReleaseDC", [&] { ReleaseDC(list, GetDC(list)); });
    HDC dc = GetDC(list);
    time("SelectObject_x2", [&] { SelectObject(dc, SelectObject(dc, font)); });
    HGDIOBJ old = SelectObject(dc, font);
    const int length = static_cast<int>(SendMessageW(list, LB_GETTEXT, 50,
                                                     reinterpret_cast<LPARAM>(text)));
    SIZE size{};
    time("GetTextExtentPoint32W", [&] { GetTextExtentPoint32W(dc, text, length, &size); });
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    if (list == ex) time("GetTextWidth", [&] { lists.Ex().GetTextWidth(50); });
  }
  RemoveWindowSubclass(subclassed, PassOn, 1);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: bench_listbox ADD_LINES SHOWN_LINES RUNS SIZE...\n");
    return 2;
  }
  const int addLines = std::atoi(argv[1]);
  const int shownLines = std::atoi(argv[2]);
  const int runs = std::atoi(argv[3]);
  TApplication application(L"bench_listbox", [](const Error& error) { return error.Subject(); });
  HFONT font = CreateLayoutFont(layouts::kUiFont, 96);
  MeasurementCosts(font, 2000);
  Filled filled = Add(font, ResultLines(addLines), runs, false);
  Add(font, ResultLines(shownLines), runs, true);
  for (int i = 4; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size == addLines + 1 && filled.plain) {
      // The lines of the last addition run, shown now, plus the widest: no second filling.
      filled.plain->Show();
      filled.ex->Show();
      DeleteWidest(filled.plain->Plain(), filled.ex->Ex(), runs);
    } else {
      DeleteWidest(font, size, runs);
    }
  }
  filled = Filled{};
  DeleteObject(font);
  return 0;
}
