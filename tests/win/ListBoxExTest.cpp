// The result list's horizontal extent, watched from above its own subclass on a real LISTBOX.
// Expected widths are measured here with GetTextExtentPoint32W in the font given to the list,
// so the cases hold whatever face Wine puts in for the one asked for.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/batch/ErrorText.h"
#include "controls/ListBoxEx.h"
#include "resources/resource.h"
#include "tests/win/TestWindow.h"
#include "toolkit/Application.h"
#include "toolkit/Handles.h"

namespace kestrova {
namespace {

using test::MessageSpy;

const ControlLayout kListLayout{1, "Results", 0, 0, 0, 200, 150};

HFONT MakeFont(int height) {  // ＭＳ Ｐゴシック, as the program asks for it
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0, 0, 0,
                     0, L"ＭＳ Ｐゴシック");
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

// The lines of the cases.
enum Line {
  Empty,
  Narrow,    // about 120 px
  Middle,    // about 250 px
  Wide,      // about 300 px
  Widest,    // the widest, and sorted first
  Tabbed,    // with a tab
  Japanese,
};

// One request to the list, its collection or the control.
struct Request {
  enum Kind { Add, Insert, AddFile, Delete, Reset, Space, Put, Move, Assign, Sorted, LargeFont };
  Kind kind;
  int at = 0;  // the position (Insert, Delete, Put), Move's origin or the Space
  int to = 0;  // Move's destination
  std::vector<Line> lines = {};
};
Request Add(Line line) { return {Request::Add, 0, 0, {line}}; }
Request InsertAt(int at, Line line) { return {Request::Insert, at, 0, {line}}; }
Request AddFile(Line line) { return {Request::AddFile, 0, 0, {line}}; }
Request DeleteAt(int at) { return {Request::Delete, at}; }
Request ResetList() { return {Request::Reset}; }
Request SetSpaceTo(int space) { return {Request::Space, space}; }
Request PutAt(int at, Line line) { return {Request::Put, at, 0, {line}}; }
Request MoveLine(int from, int to) { return {Request::Move, from, to}; }
Request AssignLines(std::vector<Line> lines) { return {Request::Assign, 0, 0, std::move(lines)}; }
Request MakeSorted() { return {Request::Sorted}; }
Request UseLargeFont() { return {Request::LargeFont}; }

// A line read by the control: its position and which line it was.
using Read = std::pair<int, Line>;
// An extent sent: a line's width plus a margin.
struct Extent {
  Line line;
  int plus;
};

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
    font_.Reset(MakeFont(-12));
    largeFont_.Reset(MakeFont(-20));
    HFONT f = font_.Get();
    text_ = {{Empty, L""},
             {Narrow, TextOfWidth(f, L"", L'i', 120)},
             {Middle, TextOfWidth(f, L"", L'm', 250)},
             {Wide, TextOfWidth(f, L"", L'W', 300)},
             {Widest, TextOfWidth(f, L"0", L'W', 340)},
             {Tabbed, L"Name\tSize"},
             {Japanese, L"表示1"}};
  }
  static void TearDownTestSuite() {
    font_.Reset();
    largeFont_.Reset();
  }
  void SetUp() override {
    // Without these the cases could not tell the lines, the fonts or the ways to measure apart.
    HFONT f = font_.Get();
    ASSERT_LT(TextWidth(f, text_[Narrow]), TextWidth(f, text_[Middle]));
    ASSERT_LT(TextWidth(f, text_[Middle]), TextWidth(f, text_[Wide]));
    ASSERT_LT(TextWidth(f, text_[Wide]), TextWidth(f, text_[Widest]));
    ASSERT_NE(TextWidth(f, text_[Wide]),
              TextWidth(HFONT(GetStockObject(SYSTEM_FONT)), text_[Wide]));
    ASSERT_NE(TextWidth(f, text_[Narrow]), TextWidth(largeFont_.Get(), text_[Narrow]));
    ASSERT_NE(TextWidth(f, text_[Tabbed]), TextWidth(f, text_[Tabbed], true));
  }

  // Carries the requests out; returns the last one's result (0 for those without one).
  static LRESULT Run(Bench& b, const std::vector<Request>& requests) {
    LRESULT result = 0;
    for (const Request& r : requests) {
      const wchar_t* line = r.lines.empty() ? nullptr : text_[r.lines[0]].c_str();
      switch (r.kind) {
        case Request::Add: result = b.Send(LB_ADDSTRING, 0, line); break;
        case Request::Insert: result = b.Send(LB_INSERTSTRING, r.at, line); break;
        case Request::AddFile: result = b.Send(LB_ADDFILE, 0, line); break;
        case Request::Delete: result = b.Send(LB_DELETESTRING, r.at); break;
        case Request::Reset: result = b.Send(LB_RESETCONTENT); break;
        case Request::Space: b.list.SetSpace(r.at); break;
        case Request::Put: b.list.Items.Put(r.at, line); break;
        case Request::Move: b.list.Items.Move(r.at, r.to); break;
        case Request::Assign: {
          std::vector<std::wstring> lines;
          for (Line l : r.lines) lines.push_back(text_[l]);
          b.list.Items.Assign(lines);
          break;
        }
        case Request::Sorted:
          b.list.SetSorted(true);  // a new native list: the spy goes on top of it again
          b.attached = b.spy.Attach(b.list.Handle());
          break;
        case Request::LargeFont:
          b.font = largeFont_.Get();
          b.list.SetFont(b.font);
          break;
      }
    }
    return result;
  }

  TApplication application_{L"" KESTROVA_TITLE_TEXT, &ErrorText};
  static FontHandle font_, largeFont_;
  static std::map<Line, std::wstring> text_;
};

FontHandle ListBoxExTest::font_;
FontHandle ListBoxExTest::largeFont_;
std::map<Line, std::wstring> ListBoxExTest::text_;

// Each LB_GETTEXT is one measurement, asked for right after the length of the same line.
void ExpectWholeLineReads(const std::vector<MessageSpy::Event>& events) {
  for (std::size_t i = 0; i < events.size(); ++i) {
    if (events[i].msg != LB_GETTEXT) continue;
    ASSERT_GT(i, 0u);
    EXPECT_EQ(events[i - 1].msg, UINT{LB_GETTEXTLEN}) << "event " << i;
    EXPECT_EQ(events[i - 1].wParam, events[i].wParam) << "event " << i;
  }
}

TEST_F(ListBoxExTest, ExtentFollowsTheWidestLine) {
  struct Row {
    const char* name;
    std::vector<Request> given, when;
    std::optional<LRESULT> result;
    std::vector<Read> reads;
    std::vector<Extent> extents;
    std::vector<Line> lines;  // the end state
  };
  const Row rows[] = {
      {.name = "a new list has sent no extent"},
      {.name = "rising then falling widths send the extent twice",
       .when = {Add(Narrow), Add(Wide), Add(Middle)}, .result = 2,
       .reads = {{0, Narrow}, {1, Wide}, {2, Middle}}, .extents = {{Narrow, 5}, {Wide, 5}},
       .lines = {Narrow, Wide, Middle}},
      {.name = "an insertion as wide as the widest sends nothing", .given = {Add(Wide)},
       .when = {InsertAt(0, Wide)}, .result = 0, .reads = {{0, Wide}}, .lines = {Wide, Wide}},
      {.name = "an empty line measures 0", .when = {Add(Empty)}, .result = 0,
       .reads = {{0, Empty}}, .lines = {Empty}},
      {.name = "a tab is measured as a character, not expanded", .when = {Add(Tabbed)},
       .result = 0, .reads = {{0, Tabbed}}, .extents = {{Tabbed, 5}}, .lines = {Tabbed}},
      {.name = "a Japanese line is read and measured whole", .when = {Add(Japanese)},
       .result = 0, .reads = {{0, Japanese}}, .extents = {{Japanese, 5}}, .lines = {Japanese}},
      {.name = "a failed insertion measures nothing", .given = {Add(Narrow)},
       .when = {InsertAt(5, Wide)}, .result = LB_ERR, .lines = {Narrow}},
      {.name = "LB_ADDFILE measures the line where it went", .given = {Add(Narrow), Add(Wide)},
       .when = {AddFile(Widest)}, .result = 0, .reads = {{0, Widest}},
       .extents = {{Widest, 5}}, .lines = {Widest, Narrow, Wide}},
      {.name = "a sorted list measures the line where it went",
       .given = {MakeSorted(), Add(Narrow), Add(Wide)}, .when = {Add(Widest)}, .result = 0,
       .reads = {{0, Widest}}, .extents = {{Widest, 5}}, .lines = {Widest, Narrow, Wide}},
      {.name = "lines are measured in the list's current font",
       .when = {UseLargeFont(), Add(Narrow)}, .result = 0, .reads = {{0, Narrow}},
       .extents = {{Narrow, 5}}, .lines = {Narrow}},
      {.name = "deleting a narrower line measures it once", .given = {Add(Narrow), Add(Wide)},
       .when = {DeleteAt(0)}, .result = 1, .reads = {{0, Narrow}}, .lines = {Wide}},
      {.name = "deleting one of two widest lines reads the rest and resends",
       .given = {Add(Wide), Add(Narrow), Add(Wide)}, .when = {DeleteAt(0)}, .result = 2,
       .reads = {{0, Wide}, {0, Narrow}, {1, Wide}}, .extents = {{Wide, 5}},
       .lines = {Narrow, Wide}},
      // Wine's list empties itself with an LB_RESETCONTENT of its own when the last line goes;
      // that reset passes through the control and sends Space before the rescan does.
      {.name = "deleting the only line leaves Space", .given = {Add(Wide)},
       .when = {DeleteAt(0)}, .result = 0, .reads = {{0, Wide}},
       .extents = {{Empty, 5}, {Empty, 5}}},
      {.name = "deleting past the end measures 0 and reads no line",
       .given = {Add(Narrow), Add(Wide)}, .when = {DeleteAt(2)}, .result = LB_ERR,
       .lines = {Narrow, Wide}},
      {.name = "a reset of an empty list sends Space", .when = {ResetList()},
       .extents = {{Empty, 5}}},
      {.name = "a reset of a full list sends Space and forgets the widest",
       .given = {Add(Narrow), Add(Wide)}, .when = {ResetList(), Add(Narrow)}, .result = 0,
       .reads = {{0, Narrow}}, .extents = {{Empty, 5}, {Narrow, 5}}, .lines = {Narrow}},
      {.name = "SetSpace to the same value resends without measuring", .given = {Add(Wide)},
       .when = {SetSpaceTo(5)}, .extents = {{Wide, 5}}, .lines = {Wide}},
      {.name = "SetSpace to a new value moves the extent; later lines use it",
       .given = {Add(Wide)}, .when = {SetSpaceTo(12), Add(Widest)}, .result = 1,
       .reads = {{1, Widest}}, .extents = {{Wide, 12}, {Widest, 12}}, .lines = {Wide, Widest}},
      {.name = "a negative Space beyond the widest line sends 0", .given = {Add(Narrow)},
       .when = {SetSpaceTo(-1000), Add(Wide), ResetList()}, .reads = {{1, Wide}},
       .extents = {{Empty, 0}, {Empty, 0}, {Empty, 0}}},
      {.name = "Put over the widest line: deletion rules, then insertion rules",
       .given = {Add(Narrow), Add(Wide), Add(Middle)}, .when = {PutAt(1, Narrow)},
       .reads = {{1, Wide}, {0, Narrow}, {1, Middle}, {1, Narrow}}, .extents = {{Middle, 5}},
       .lines = {Narrow, Narrow, Middle}},
      {.name = "Put of a wider line over a narrower one", .given = {Add(Narrow), Add(Middle)},
       .when = {PutAt(0, Wide)}, .reads = {{0, Narrow}, {0, Wide}}, .extents = {{Wide, 5}},
       .lines = {Wide, Middle}},
      // The first read is the collection's own, taking the text to move.
      {.name = "Move of the widest line", .given = {Add(Narrow), Add(Wide), Add(Middle)},
       .when = {MoveLine(1, 0)}, .reads = {{1, Wide}, {1, Wide}, {0, Narrow}, {1, Middle}, {0, Wide}},
       .extents = {{Middle, 5}, {Wide, 5}}, .lines = {Wide, Narrow, Middle}},
      {.name = "Assign resets, then adds each line", .given = {Add(Narrow), Add(Wide)},
       .when = {AssignLines({Middle, Narrow})}, .reads = {{0, Middle}, {1, Narrow}},
       .extents = {{Empty, 5}, {Middle, 5}}, .lines = {Middle, Narrow}},
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
    const std::vector<MessageSpy::Event> events = b.EventsSince(mark);

    if (row.result) {
      EXPECT_EQ(result, *row.result);
    }
    std::vector<std::pair<int, std::wstring>> reads, expectedReads;
    std::vector<int> sent, expectedSent;
    for (const MessageSpy::Event& e : events) {
      if (e.msg == LB_GETTEXT) reads.emplace_back(int(e.wParam), e.text);
      if (e.msg == LB_SETHORIZONTALEXTENT) sent.push_back(int(e.wParam));
      EXPECT_NE(e.msg, UINT{LB_GETHORIZONTALEXTENT}) << "the extent is read back";
    }
    for (const Read& read : row.reads) expectedReads.emplace_back(read.first, text_[read.second]);
    for (const Extent& extent : row.extents) {
      expectedSent.push_back(width(text_[extent.line]) + extent.plus);
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
    for (Line line : row.lines) expectedLines.push_back(text_[line]);
    EXPECT_EQ(b.list.Items.Strings(), expectedLines);

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
  const std::vector<MessageSpy::Event> events = b.spy.Events();

  const std::vector<std::wstring> lines = b.list.Items.Strings();
  ASSERT_EQ(lines.size(), 3u);
  ASSERT_TRUE(last >= 0 && last < 3) << last;
  const std::wstring& added = lines[std::size_t(last)];
  int widest = 0;
  for (const std::wstring& line : lines) widest = std::max(widest, TextWidth(b.font, line));
  ASSERT_LT(TextWidth(b.font, added), widest) << "needs a wider name before the last one added";

  std::vector<std::pair<int, std::wstring>> reads;
  std::vector<int> sent;
  for (const MessageSpy::Event& e : events) {
    if (e.msg == LB_GETTEXT) reads.emplace_back(int(e.wParam), e.text);
    if (e.msg == LB_SETHORIZONTALEXTENT) sent.push_back(int(e.wParam));
  }
  ExpectWholeLineReads(events);
  EXPECT_EQ(reads, (std::vector<std::pair<int, std::wstring>>{{int(last), added}}));
  EXPECT_EQ(sent, std::vector<int>{TextWidth(b.font, added) + 5});
  EXPECT_EQ(b.list.MaxItemWidth(), TextWidth(b.font, added));
}

}  // namespace
}  // namespace kestrova
