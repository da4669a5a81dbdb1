// Folder names, the archiver's command line and the program's own command-line words.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/JobText.h"

namespace kestrova {
namespace {

TEST(FolderName, TextAfterLastSeparator) {
  struct Row {
    std::string_view path;
    std::string_view name;
    const char* why;
  };
  const Row rows[] = {
      {"C:\\Photos\\Trip", "Trip", "last of several components"},
      {"D:\\", "", "a drive root has no name"},
      {"C:foo", "foo", "a colon separates too"},
      {"Trip", "Trip", "no separator at all"},
      {"", "", "empty path"},
      {"\\\\server\\share", "share", "a UNC path"},
      {"C:\\x\\\x95\x5C", "\x95\x5C", "trail byte 0x5C of a folder name is not a separator"},
      {"C:\\\x95\x5C\x95\x5C", "\x95\x5C\x95\x5C", "two trail backslashes in a row"},
      {"C:\\\x95\x5C\\sub", "sub", "a real separator after a double-byte character"},
      {"C:\\\x95\x3A", "\x95\x3A", "a trail byte equal to ':' is not a separator either"},
      {"C:\\ab\\\xA0\x5C", "", "0xA0 is no lead byte, so the backslash after it counts"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(FolderName(row.path, ShiftJisLeadByte), row.name);
  }
}

TEST(ArchiverCommandLine, QuotesPartsAndAddsWildcard) {
  struct Row {
    std::string_view archiver, profile, archive, folder;
    std::string_view line;
    const char* why;
  };
  const Row rows[] = {
      {"C:\\7z\\7z.exe", "a -tzip", "D:\\out\\Trip.zip", "C:\\Photos\\Trip\\",
       "\"C:\\7z\\7z.exe\" a -tzip \"D:\\out\\Trip.zip\" \"C:\\Photos\\Trip\\*\"",
       "a typical job"},
      {"", "", "", "", "\"\"  \"\" \"*\"", "empty parts stay empty, blanks stay put"},
      {"a b.exe", "x", "c d.zip", "e f\\", "\"a b.exe\" x \"c d.zip\" \"e f\\*\"",
       "blanks inside parts are kept inside their quotes"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(ArchiverCommandLine(row.archiver, row.profile, row.archive, row.folder), row.line);
  }
}

TEST(CommandLineFits, LimitCountsCharactersNotBytes) {
  struct Row {
    std::string line;
    std::size_t chars;
    bool fits;
    const char* why;
  };
  const std::string dbcs = "\x95\x5C";
  auto repeat = [](const std::string& unit, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) text += unit;
    return text;
  };
  const Row rows[] = {
      {"", 0, true, "empty line"},
      {"a\x95\x5C" "b", 3, true, "a double-byte character counts once"},
      {"a\x95", 2, true, "a lone lead byte at the end counts once"},
      {std::string(32766, 'a'), 32766, true, "exactly at the limit with the terminator"},
      {std::string(32767, 'a'), 32767, false, "one past the limit"},
      {repeat(dbcs, 32766), 32766, true, "65532 bytes of double-byte characters fit"},
      {repeat(dbcs, 32767), 32767, false, "one double-byte character too many"},
      {repeat(dbcs, 32765) + "\x95", 32766, true, "a final lone lead byte still counts once"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(CharCount(row.line, ShiftJisLeadByte), row.chars);
    EXPECT_EQ(CommandLineFits(row.line, ShiftJisLeadByte), row.fits);
  }
}

TEST(SplitCommandLine, WordsAndQuotes) {
  using Words = std::vector<std::string>;
  struct Row {
    std::string_view line;
    Words words;
    const char* why;
  };
  const Row rows[] = {
      {"prog a \"b c\" d", {"prog", "a", "b c", "d"}, "quotes keep blanks inside a word"},
      {"prog \"\" x", {"prog", "x"}, "an empty pair where a word begins is skipped"},
      {"prog \"\"\"\" x", {"prog", "x"}, "several empty pairs are skipped"},
      {"prog \"\" \"\" x", {"prog", "x"}, "empty pairs separated by blanks are skipped"},
      {"prog \"D:\\\"", {"prog", "D:\\"}, "a backslash does not escape the closing quote"},
      {"prog a\"b c\"d", {"prog", "ab cd"}, "quotes inside a word"},
      {"prog a\"\"b", {"prog", "ab"}, "an empty pair inside a word is removed"},
      {"\"C:\\My Apps\\k.exe\" x", {"C:\\My Apps\\k.exe", "x"}, "quoted program name"},
      {"prog a \"", {"prog", "a"}, "a lone quote at the end is an empty word"},
      {"prog \" x", {"prog", " x"}, "an unclosed quote runs to the end"},
      {"prog \"\"\" x", {"prog", " x"}, "a third quote opens a word after the empty pair"},
      {"prog \"\"", {"prog"}, "only an empty pair after the program"},
      {"prog \" \" x", {"prog", " ", "x"}, "a quoted blank is a word"},
      {"  prog\t\ta\r\nb ", {"prog", "a", "b"}, "tabs and line ends are blanks, leading too"},
      {"prog a\x01" "b", {"prog", "a", "b"}, "control bytes are blanks"},
      {"prog \x95\x5C \x81\x40x", {"prog", "\x95\x5C", "\x81\x40x"},
       "Shift_JIS bytes from 0x81 up are word bytes, not blanks"},
      {"prog \xA0\xFF", {"prog", "\xA0\xFF"}, "bytes 0xA0 and 0xFF are not blanks"},
      {"", {}, "an empty command line has no words"},
      {"   ", {}, "only blanks"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(SplitCommandLine(row.line), row.words) << "line: " << row.line;
  }
}

}  // namespace
}  // namespace kestrova
