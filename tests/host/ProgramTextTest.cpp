// How paths reach the program: its command-line words, a second start's hand-over, the start lock.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/desktop/ProgramText.h"

namespace kestrova {
namespace {

TEST(SplitCommandLine, WordsAndQuotes) {
  using Words = std::vector<std::wstring>;
  struct Row {
    std::wstring_view line;
    Words words;
    const char* why;
  };
  const Row rows[] = {
      {L"prog a \"b c\" d", {L"prog", L"a", L"b c", L"d"}, "quotes keep blanks inside a word"},
      {L"prog \"\" x", {L"prog", L"x"}, "an empty pair where a word begins is skipped"},
      {L"prog \"\"\"\" x", {L"prog", L"x"}, "several empty pairs are skipped"},
      {L"prog \"\" \"\" x", {L"prog", L"x"}, "empty pairs separated by blanks are skipped"},
      {L"prog \"D:\\\"", {L"prog", L"D:\\"}, "a backslash does not escape the closing quote"},
      {L"prog a\"b c\"d", {L"prog", L"ab cd"}, "quotes inside a word"},
      {L"prog a\"\"b", {L"prog", L"ab"}, "an empty pair inside a word is removed"},
      {L"\"C:\\My Apps\\k.exe\" x", {L"C:\\My Apps\\k.exe", L"x"}, "quoted program name"},
      {L"prog a \"", {L"prog", L"a"}, "a lone quote at the end is an empty word"},
      {L"prog \" x", {L"prog", L" x"}, "an unclosed quote runs to the end"},
      {L"prog \"\"\" x", {L"prog", L" x"}, "a third quote opens a word after the empty pair"},
      {L"prog \"\"", {L"prog"}, "only an empty pair after the program"},
      {L"prog \" \" x", {L"prog", L" ", L"x"}, "a quoted blank is a word"},
      {L"  prog\t\ta\r\nb ", {L"prog", L"a", L"b"}, "tabs and line ends are blanks, leading too"},
      {L"prog a\x01" L"b", {L"prog", L"a", L"b"}, "control characters are blanks"},
      {L"prog 表 あ〜い 정리", {L"prog", L"表", L"あ〜い", L"정리"},
       "characters past ASCII are word characters"},
      {L"prog \x3000x", {L"prog", L"\x3000x"}, "an ideographic space is no blank"},
      {L"", {}, "an empty command line has no words"},
      {L"   ", {}, "only blanks"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(SplitCommandLine(row.line), row.words);
  }
}

TEST(SplitPaths, WhatASecondStartHandsOver) {
  using namespace std::string_view_literals;
  const std::vector<std::wstring> paths{L"C:\\写真\\旅行", L"D:\\Reports", L"\\\\server\\share\\x"};
  EXPECT_EQ(SplitPaths(JoinPaths(paths)), paths);
  struct Row {
    std::wstring_view text;
    const char* why;
  };
  const Row refused[] = {
      {L""sv, "nothing"},
      {L"C:\\a"sv, "no final zero"},
      {L"\0"sv, "an empty path"},
      {L"C:\\a\0\0"sv, "an empty path after one"},
      {L"C:\\a\0D:\\b"sv, "the last path without its zero"},
  };
  for (const Row& row : refused) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(SplitPaths(row.text), std::nullopt);
  }
}

TEST(StartLockName, OneLockPerProgramPathThatIsAnObjectName) {
  const std::wstring lock = StartLockName(L"C:\\PROGRAM FILES\\KESTROVA\\KESTROVA.EXE");
  EXPECT_TRUE(lock.starts_with(L"Local\\Kestrova-"));
  // A name in the session's namespace, with no other "\\": 16 hexadecimal digits.
  EXPECT_EQ(lock.size(), std::wstring_view(L"Local\\Kestrova-").size() + 16);
  EXPECT_EQ(lock.find(L'\\', 6), std::wstring::npos);
  struct Row {
    std::wstring_view path;
    bool same;
    const char* why;
  };
  const Row rows[] = {
      {L"C:\\PROGRAM FILES\\KESTROVA\\KESTROVA.EXE", true, "the same program"},
      {L"D:\\PROGRAM FILES\\KESTROVA\\KESTROVA.EXE", false, "a copy on another drive"},
      {L"C:\\PROGRAM FILES\\KESTROVA\\KESTROVA2.EXE", false, "another file beside it"},
      {L"C:\\ツール\\KESTROVA.EXE", false, "a folder of Japanese name"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(StartLockName(row.path) == lock, row.same);
  }
  // A path longer than an object name may be still gives a name of the same length.
  EXPECT_EQ(StartLockName(std::wstring(40000, L'X')).size(), lock.size());
}

}  // namespace
}  // namespace kestrova
