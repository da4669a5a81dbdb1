// The result list's horizontal extent, watched from above its own subclass on a real LISTBOX.
// Expected widths are measured here with GetTextExtentPoint32W in the font given to the list,
// so the cases hold whatever face Wine puts in for the one asked for.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "controls/ListBoxEx.h"
#include "tests/win/TestWindow.h"
#include "toolkit/Application.h"
#include "toolkit/Handles.h"

namespace kestrova {
namespace {

using test::MessageSpy;
using Reads = std::vector<std::pair<int, std::wstring>>;

const ControlLayout kListLayout{1, "Results", ControlKind::ListBox, 0, 0, 0, 200, 150};

HFONT MakeFont(int height) {  // ＭＳ Ｐゴシック, as the program asks for it
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0, 0, 0,
                     0, L"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF");
}

int TextWidth(HFONT font, const std::wstring& text, bool tabbed = false) {
  WindowDC dc(nullptr);
  SelectedObject selected(dc.Get(), font);
  const int length = static_cast<int>(text.size());
  if (tabbed) return LOWORD(GetTabbedTextExtentW(dc.Get(), text.data(), length, 0, nullptr));
  SIZE size{};
  GetTextExtentPoint32W(dc.Get(), text.data(), length, &size);
  return size.cx;
}

std::wstring TextOfWidth(HFONT font, std::wstring text, wchar_t fill, int pixels) {
  while (TextWidth(font, text) < pixels) text += fill;
  return text;
}

std::vector<std::string> Words(const std::string& script) {
  std::istringstream in(script);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// A list on its own parent, with a spy above the list's subclass.
struct Bench {
  explicit Bench(HFONT listFont) : font(listFont) {
    list.SetFont(font);
    attached = spy.Attach(list.Handle());
  }
  LRESULT Send(UINT msg, WPARAM wParam = 0, const wchar_t* text = nullptr) {
    return SendMessageW(list.Handle(), msg, wParam, reinterpret_cast<LPARAM>(text));
  }
  std::vector<MessageSpy::Event> EventsSince(std::size_t from) const {
    return {spy.Events().begin() + static_cast<std::ptrdiff_t>(from), spy.Events().end()};
  }

  test::TestParent parent;
  HFONT font;
  TListBoxEx list{parent.Handle(), kListLayout};
  MessageSpy spy{LB_SETHORIZONTALEXTENT, LB_GETHORIZONTALEXTENT, LB_GETTEXTLEN, LB_GETTEXT};
  bool attached = false;
};

class ListBoxExTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Application.Initialize(GetModuleHandleW(nullptr));
    font_.Reset(MakeFont(-12));
    largeFont_.Reset(MakeFont(-20));
    HFONT f = font_.Get();
    text_ = {{'E', L""},
             {'N', TextOfWidth(f, L"", L'i', 120)},
             {'M', TextOfWidth(f, L"", L'm', 250)},
             {'W', TextOfWidth(f, L"", L'W', 300)},
             {'L', TextOfWidth(f, L"0", L'W', 340)},  // the widest, and sorted first
             {'T', L"Name\tSize"},
             {'J', L"表示1"}};
    // Learn whether a length request of the kind the control sends (wide) costs the list a
    // text read of its own.
    Bench b(font_.Get());
    b.Send(LB_ADDSTRING, 0, L"x");
    const std::size_t mark = b.spy.Events().size();
    SendMessageW(b.list.Handle(), LB_GETTEXTLEN, 0, 0);
    const std::vector<MessageSpy::Event> probe = b.EventsSince(mark);
    lengthReads_ = probe.size() == 2 && probe[1].msg == LB_GETTEXT;
  }
  static void TearDownTestSuite() {
    font_.Reset();
    largeFont_.Reset();
  }
  void SetUp() override {
    // Without these the cases could not tell the lines, the fonts or the ways to measure apart.
    HFONT f = font_.Get();
    ASSERT_LT(TextWidth(f, text_['N']), TextWidth(f, text_['M']));
    ASSERT_LT(TextWidth(f, text_['M']), TextWidth(f, text_['W']));
    ASSERT_LT(TextWidth(f, text_['W']), TextWidth(f, text_['L']));
    ASSERT_NE(TextWidth(f, text_['W']), TextWidth(HFONT(GetStockObject(SYSTEM_FONT)), text_['W']));
    ASSERT_NE(TextWidth(f, text_['N']), TextWidth(largeFont_.Get(), text_['N']));
    ASSERT_NE(TextWidth(f, text_['T']), TextWidth(f, text_['T'], true));
  }

  // One request per word: +X add, iKX insert at K, fX LB_ADDFILE, -K delete, R reset,
  // sK SetSpace(K), pKX Items.Put, mKJ Items.Move, aXY.. Items.Assign, S sorted, F larger font.
  // Returns the last request's result (0 for those without one).
  static LRESULT Run(Bench& b, const std::string& script) {
    LRESULT result = 0;
    for (const std::string& w : Words(script)) {
      auto x = [&] { return text_.at(w.back()).c_str(); };
      const int k = std::atoi(w.c_str() + 1);
      switch (w[0]) {
        case '+': result = b.Send(LB_ADDSTRING, 0, x()); break;
        case 'i': result = b.Send(LB_INSERTSTRING, k, x()); break;
        case 'f': result = b.Send(LB_ADDFILE, 0, x()); break;
        case '-': result = b.Send(LB_DELETESTRING, k); break;
        case 'R': result = b.Send(LB_RESETCONTENT); break;
        case 's': b.list.SetSpace(k); break;
        case 'p': b.list.Items.Put(w[1] - '0', x()); break;
        case 'm': b.list.Items.Move(w[1] - '0', w[2] - '0'); break;
        case 'a': {
          std::vector<std::wstring> lines;
          for (char c : w.substr(1)) lines.push_back(text_.at(c));
          b.list.Items.Assign(lines);
          break;
        }
        case 'S':
          b.list.SetSorted(true);  // a new native list: the spy goes on top of it again
          b.attached = b.spy.Attach(b.list.Handle());
          break;
        case 'F':
          b.font = largeFont_.Get();
          b.list.SetFont(b.font);
          break;
        default: ADD_FAILURE() << "unknown request " << w;
      }
    }
    return result;
  }

  // The requests as the control made them. Were a length request to reach the list as
  // LB_GETTEXTLEN followed by a text read of the platform's own (Wine does so for a narrow
  // request to a Unicode list), that read is dropped here.
  static std::vector<MessageSpy::Event> AsSent(const std::vector<MessageSpy::Event>& events) {
    std::vector<MessageSpy::Event> sent;
    for (std::size_t i = 0; i < events.size(); ++i) {
      sent.push_back(events[i]);
      if (lengthReads_ && events[i].msg == LB_GETTEXTLEN && events[i].result >= 0 &&
          i + 1 < events.size() && events[i + 1].msg == LB_GETTEXT &&
          events[i + 1].wParam == events[i].wParam) {
        ++i;
      }
    }
    return sent;
  }

  static FontHandle font_, largeFont_;
  static std::map<char, std::wstring> text_;
  static bool lengthReads_;
};

FontHandle ListBoxExTest::font_;
FontHandle ListBoxExTest::largeFont_;
std::map<char, std::wstring> ListBoxExTest::text_;
bool ListBoxExTest::lengthReads_ = false;

// Each LB_GETTEXT is one measurement, asked for right after the length of the same line.
void ExpectWholeLineReads(const std::vector<MessageSpy::Event>& events) {
  for (std::size_t i = 0; i < events.size(); ++i) {
    if (events[i].msg != LB_GETTEXT) continue;
    ASSERT_GT(i, 0u);
    EXPECT_EQ(events[i - 1].msg, UINT{LB_GETTEXTLEN}) << "event " << i;
    EXPECT_EQ(events[i - 1].wParam, events[i].wParam) << "event " << i;
  }
}

void Collect(const std::vector<MessageSpy::Event>& events, Reads& reads, std::vector<int>& sent) {
  for (const MessageSpy::Event& e : events) {
    if (e.msg == LB_GETTEXT) reads.emplace_back(int(e.wParam), e.text);
    if (e.msg == LB_SETHORIZONTALEXTENT) sent.push_back(int(e.wParam));
    EXPECT_NE(e.msg, UINT{LB_GETHORIZONTALEXTENT}) << "the extent is read back";
  }
}

TEST_F(ListBoxExTest, ExtentFollowsTheWidestLine) {
  // Lines: E empty, N ~120 px, M ~250 px, W ~300 px, L widest, T with a tab, J Shift_JIS.
  // reads "KX": line X read at position K; extents "X+n": X's width plus n; lines: the end state.
  struct Row {
    const char *name, *given, *when;
    std::optional<LRESULT> result;
    const char *reads, *extents, *lines;
  };
  const Row rows[] = {
      {"a new list has sent no extent", "", "", {}, "", "", ""},
      {"rising then falling widths send the extent twice", "", "+N +W +M", 2, "0N 1W 2M",
       "N+5 W+5", "NWM"},
      {"an insertion as wide as the widest sends nothing", "+W", "i0W", 0, "0W", "", "WW"},
      {"an empty line measures 0", "", "+E", 0, "0E", "", "E"},
      {"a tab is measured as a character, not expanded", "", "+T", 0, "0T", "T+5", "T"},
      {"a Japanese line is read and measured whole", "", "+J", 0, "0J", "J+5", "J"},
      {"a failed insertion measures nothing", "+N", "i5W", LB_ERR, "", "", "N"},
      {"LB_ADDFILE measures the line where it went", "+N +W", "fL", 0, "0L", "L+5", "LNW"},
      {"a sorted list measures the line where it went", "S +N +W", "+L", 0, "0L", "L+5", "LNW"},
      {"lines are measured in the list's current font", "", "F +N", 0, "0N", "N+5", "N"},
      {"deleting a narrower line measures it once", "+N +W", "-0", 1, "0N", "", "W"},
      {"deleting one of two widest lines reads the rest and resends", "+W +N +W", "-0", 2,
       "0W 0N 1W", "W+5", "NW"},
      // Wine's list empties itself with an LB_RESETCONTENT of its own when the last line goes;
      // that reset passes through the control and sends Space before the rescan does.
      {"deleting the only line leaves Space", "+W", "-0", 0, "0W", "E+5 E+5", ""},
      {"deleting past the end measures 0 and reads no line", "+N +W", "-2", LB_ERR, "", "", "NW"},
      {"a reset of an empty list sends Space", "", "R", {}, "", "E+5", ""},
      {"a reset of a full list sends Space and forgets the widest", "+N +W", "R +N", 0, "0N",
       "E+5 N+5", "N"},
      {"SetSpace to the same value resends without measuring", "+W", "s5", {}, "", "W+5", "W"},
      {"SetSpace to a new value moves the extent; later lines use it", "+W", "s12 +L", 1, "1L",
       "W+12 L+12", "WL"},
      {"a negative Space beyond the widest line sends 0", "+N", "s-1000 +W R", {}, "1W",
       "E+0 E+0 E+0", ""},
      {"Put over the widest line: deletion rules, then insertion rules", "+N +W +M", "p1N", {},
       "1W 0N 1M 1N", "M+5", "NNM"},
      {"Put of a wider line over a narrower one", "+N +M", "p0W", {}, "0N 0W", "W+5", "WM"},
      // The first read is the collection's own, taking the text to move.
      {"Move of the widest line", "+N +W +M", "m10", {}, "1W 1W 0N 1M 0W", "M+5 W+5", "WNM"},
      {"Assign resets, then adds each line", "+N +W", "aMN", {}, "0M 1N", "E+5 M+5", "MN"},
  };

  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Bench b(font_.Get());
    Run(b, row.given);
    ASSERT_TRUE(b.attached);
    const std::size_t mark = b.spy.Events().size();
    auto width = [&](const std::wstring& text) { return TextWidth(b.font, text); };
    auto widestLine = [&] {
      int widest = 0;
      for (const std::wstring& line : b.list.Items.Strings()) {
        widest = std::max(widest, width(line));
      }
      return widest;
    };
    b.spy.probe = widestLine;
    const LRESULT result = Run(b, row.when);
    b.spy.probe = nullptr;
    const std::vector<MessageSpy::Event> events = AsSent(b.EventsSince(mark));

    if (row.result) {
      EXPECT_EQ(result, *row.result);
    }
    Reads reads, expectedReads;
    std::vector<int> sent, expectedSent;
    Collect(events, reads, sent);
    for (const std::string& w : Words(row.reads)) {
      expectedReads.emplace_back(w[0] - '0', text_.at(w[1]));
    }
    for (const std::string& w : Words(row.extents)) {
      expectedSent.push_back(width(text_.at(w[0])) + std::atoi(w.c_str() + 1));
    }
    EXPECT_EQ(reads, expectedReads);
    EXPECT_EQ(sent, expectedSent);
    ExpectWholeLineReads(events);
    // Each extent is sent once the list holds the lines it stands for.
    for (const MessageSpy::Event& e : events) {
      if (e.msg != LB_SETHORIZONTALEXTENT) continue;
      EXPECT_EQ(int(e.wParam), std::max(0, int(e.probed) + b.list.Space())) << "sent " << e.wParam;
    }

    std::vector<std::wstring> expectedLines;
    for (char c : std::string(row.lines)) expectedLines.push_back(text_.at(c));
    const std::vector<std::wstring> lines = b.list.Items.Strings();
    EXPECT_EQ(lines, expectedLines);

    // The list ends with its widest line as drawn, plus Space; a list never asked to change
    // keeps the native extent of 0.
    const int widest = widestLine();
    EXPECT_EQ(b.list.MaxItemWidth(), widest);
    const bool everSent = std::any_of(b.spy.Events().begin(), b.spy.Events().end(),
                                      [](auto& e) { return e.msg == LB_SETHORIZONTALEXTENT; });
    EXPECT_EQ(b.Send(LB_GETHORIZONTALEXTENT), everSent ? std::max(0, widest + b.list.Space()) : 0);
  }
}

TEST_F(ListBoxExTest, DirectoryListingMeasuresOnlyTheLastNameAdded) {
  namespace fs = std::filesystem;
  struct Folder {
    fs::path path =
        fs::temp_directory_path() / ("kestrova-lbdir-" + std::to_string(GetCurrentProcessId()));
    ~Folder() { fs::remove_all(path); }
  } folder;
  fs::create_directories(folder.path);
  // Wine lists a folder alphabetically, so the widest name is added neither first nor last.
  for (const char* name : {"a.txt", "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbb.txt", "zz.txt"}) {
    std::ofstream(folder.path / name).put('x');
  }
  Bench b(font_.Get());
  const std::wstring pattern = (folder.path / "*.txt").wstring();

  const LRESULT last = b.Send(LB_DIR, DDL_READWRITE, pattern.c_str());

  const std::vector<MessageSpy::Event> events = AsSent(b.spy.Events());
  const std::vector<std::wstring> lines = b.list.Items.Strings();
  ASSERT_EQ(lines.size(), 3u);
  ASSERT_TRUE(last >= 0 && last < 3) << last;
  const std::wstring& added = lines[std::size_t(last)];
  int widest = 0;
  for (const std::wstring& line : lines) widest = std::max(widest, TextWidth(b.font, line));
  ASSERT_LT(TextWidth(b.font, added), widest) << "needs a wider name before the last one added";

  Reads reads;
  std::vector<int> sent;
  Collect(events, reads, sent);
  ExpectWholeLineReads(events);
  EXPECT_EQ(reads, (Reads{{int(last), added}}));
  EXPECT_EQ(sent, std::vector<int>{TextWidth(b.font, added) + 5});
  EXPECT_EQ(b.list.MaxItemWidth(), TextWidth(b.font, added));
}

}  // namespace
}  // namespace kestrova
