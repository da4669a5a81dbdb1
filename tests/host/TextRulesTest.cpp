// The error box's text, settings integers and the whole-character cut of settings values.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/TextRules.h"

namespace kestrova {
namespace {

TEST(ErrorBoxText, AppendsPeriodWhenLastCharSortsAfterIt) {
  struct Row {
    std::wstring_view message;
    std::wstring_view expected;
    const char* why;
  };
  const Row rows[] = {
      {L"", L"", "an empty message stays empty"},
      {L"abc", L"abc.", "letters sort after '.'"},
      {L"abc.", L"abc.", "already ends in a period"},
      {L"abc!", L"abc!", "'!' sorts before '.'"},
      {L"x-", L"x-", "'-' sorts just before '.'"},
      {L"1/", L"1/.", "'/' sorts just after '.'"},
      {L"end ", L"end ", "a blank sorts before '.'"},
      {L"書き込めません", L"書き込めません.", "a Japanese character sorts after '.'"},
      {L"表", L"表.", "whatever its code-page bytes were"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(ErrorBoxText(row.message), row.expected);
  }
}

TEST(ParseIniInteger, AcceptedAndRejectedSpellings) {
  struct Row {
    std::wstring_view text;
    std::optional<std::int32_t> value;
    const char* why;
  };
  const Row rows[] = {
      {L"512", 512, "plain decimal"},
      {L"007", 7, "leading zeros are decimal, not octal"},
      {L"0x200", 512, "0x prefix"},
      {L"0X200", 512, "0X prefix"},
      {L"$200", 512, "$ prefix"},
      {L"x200", 512, "bare x prefix"},
      {L"$fF", 255, "hex digits of either case"},
      {L"0x", std::nullopt, "a two-character 0x is 0 followed by a stray x"},
      {L"0x0", 0, "the shortest 0x text"},
      {L"$", std::nullopt, "a prefix without digits"},
      {L"-0x", std::nullopt, "0x after a sign, no digits"},
      {L"", std::nullopt, "empty text"},
      {L"-", std::nullopt, "only a sign"},
      {L" \t12", 12, "leading blanks and tabs are skipped"},
      {L"+7", 7, "an explicit plus sign"},
      {L"-0x10", -16, "sign before a hex prefix"},
      {L"- 5", std::nullopt, "no blank between the sign and the digits"},
      {L"12 ", std::nullopt, "a trailing blank is not a digit"},
      {L"\n12", std::nullopt, "a newline is not a leading blank"},
      {L"12abc", std::nullopt, "hex digits in a decimal number"},
      {L"0x0x1", std::nullopt, "one prefix only"},
      {L"１２", std::nullopt, "full-width digits are not digits"},
      {L"2147483647", INT32_MAX, "largest int32"},
      {L"2147483648", std::nullopt, "one past the largest int32"},
      {L"-2147483648", INT32_MIN, "smallest int32"},
      {L"-2147483649", std::nullopt, "one past the smallest int32"},
      {L"$80000000", std::nullopt, "hex is signed too: 0x80000000 does not fit"},
      {L"-$80000000", INT32_MIN, "smallest int32 in hex"},
      {L"99999999999999999999999", std::nullopt, "far past int64 as well"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(ParseIniInteger(row.text), row.value);
  }
}

TEST(DecimalText, TheExtremesOfItsRange) {
  // The int32 values are fuzzed against std::to_string; these are past them.
  EXPECT_EQ(DecimalText(-9223372036854775807LL - 1), L"-9223372036854775808");
  EXPECT_EQ(DecimalText(9223372036854775807LL), L"9223372036854775807");
}

TEST(HexText, EightDigitsUpperCase) {
  EXPECT_EQ(HexText(0xC0000005u), L"0xC0000005");
  EXPECT_EQ(HexText(0), L"0x00000000");
  EXPECT_EQ(HexText(0xFFu), L"0x000000FF");
}

// Shift_JIS-like sizes: ASCII and half-width katakana take a byte, everything else two.
std::size_t DoubleByteSize(std::wstring_view c) {
  return c.size() == 1 && (c[0] < 0x80 || (c[0] >= 0xFF61 && c[0] <= 0xFF9F)) ? 1 : 2;
}
std::size_t Utf16Size(std::wstring_view c) { return c.size(); }

TEST(WholeCharacterPrefix, NeverSplitsACharacter) {
  struct Row {
    std::wstring_view text;
    std::size_t limit;
    CharSize size;
    std::size_t length;
    const char* why;
  };
  const Row rows[] = {
      {L"abc", 2, DoubleByteSize, 2, "single-byte characters"},
      {L"a表", 2, DoubleByteSize, 1, "a double-byte character across the limit stays out"},
      {L"a表", 3, DoubleByteSize, 2, "a double-byte character just at the limit"},
      {L"表ｱ", 3, DoubleByteSize, 2, "a half-width katakana takes one byte"},
      {L"abc", 5, DoubleByteSize, 3, "a text under the limit is whole"},
      {L"", 0, Utf16Size, 0, "nothing from nothing"},
      {L"表示", 1, Utf16Size, 1, "UTF-16 units"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(WholeCharacterPrefix(row.text, row.limit, row.size), row.length);
  }
}

TEST(IsUtf8, WellFormedUtf8AndTheBytesThatAreNot) {
  struct Row {
    std::string_view bytes;
    bool utf8;
    const char* why;
  };
  const Row rows[] = {
      {"", true, "nothing"},
      {"[Main]\r\nFileExt=.rar\r\n", true, "ASCII"},
      {"\xE3\x83\x84\xE3\x83\xBC\xE3\x83\xAB" "8", true, "ツール8 in UTF-8"},
      {"\xF0\x9F\x98\x80", true, "an emoji"},
      {"\xC3\xA9", true, "é"},
      {"\x83\x63\x81\x5B\x83\x8B", false, "ツール in Shift_JIS"},
      {"\x8E\xCA\x90\x5E", false, "写真 in Shift_JIS"},
      {"\x95\x5C", false, "表 in Shift_JIS"},
      {"C:\\\x83\x76\x83\x8D\x83\x4F\x83\x89\x83\x80", false, "a Shift_JIS path"},
      {"\xE9", false, "é in code page 1252"},
      {"\xC0\xAF", false, "an overlong form"},
      {"\xE0\x80\xAF", false, "an overlong form of three bytes"},
      {"\xED\xA0\x80", false, "a surrogate"},
      {"\xF4\x90\x80\x80", false, "past U+10FFFF"},
      {"\xE3\x83", false, "cut in the middle of a character"},
      {"\x80", false, "a stray continuation byte"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(IsUtf8(row.bytes), row.utf8);
  }
}

TEST(DetectFileText, HowASettingsFileIsRead) {
  struct Row {
    std::string_view bytes;
    FileText text;
    const char* why;
  };
  const Row rows[] = {
      {"", FileText::Ascii, "an empty file"},
      {"[Main]\r\nFileExt=.rar\r\n", FileText::Ascii, "ASCII reads the same in every code page"},
      {"\xFF\xFE[\0M\0", FileText::Utf16, "the UTF-16LE mark"},
      {"\xEF\xBB\xBF[Main]", FileText::Utf8Mark, "the UTF-8 mark"},
      {"[Main]\r\nWinRARPath=C:\\\xE3\x83\x84\xE3\x83\xBC\xE3\x83\xAB" "8\\WinRAR.exe\r\n",
       FileText::Utf8, "Notepad's UTF-8 without a mark: ツール8"},
      {"[Main]\r\nWinRARPath=C:\\\x83\x63\x81\x5B\x83\x8B" "8\\WinRAR.exe\r\n",
       FileText::CodePage, "the same line in Shift_JIS"},
      {"WinRARPath=C:\\Program Files\\\x95\x5C\x83\x5C\\WinRAR.exe\r\n", FileText::CodePage,
       "表ソ in Shift_JIS: trail bytes that are backslashes"},
      {"Note=\x95\x5C\x8E\xA6\x82\xCD\x82\xBB\x82\xCC\x82\xDC\x82\xDC\r\n", FileText::CodePage,
       "表示はそのまま in Shift_JIS"},
      {"WinRARCommandLine=a -r -\x8E\xCA\x90\x5E\r\n", FileText::CodePage, "写真 in Shift_JIS"},
      {"WinRARCommandLine2=a -r -p\xE9\r\n", FileText::CodePage, "é in code page 1252"},
      {"Name=\xC3\xA9\r\n", FileText::Utf8, "é in UTF-8"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(DetectFileText(row.bytes), row.text);
  }
}

TEST(IniValue, AKeyAsTheProfileServicesReadIt) {
  using namespace std::string_view_literals;
  const std::wstring_view file =
      L"Loose=before any section\r\n"
      L"[Other]\r\nFileExt=.zip\r\n"
      L"  [ main ]  \r\n"
      L"  fileext  =  .7z  \r\n"
      L"FileExt=.cab\r\n"
      L"Quoted=\"  a -r  \"\r\n"
      L"Single='x'\r\n"
      L"Half=\"x\r\n"
      L"Lone=\"\r\n"
      L"Empty=\r\n"
      L"NoEquals\r\n"
      L"Zero=ab\0cd\r\n"
      L"Old=mac\rNext=line\n"
      L"[Main]\nLater=second section of the name\n"sv;
  struct Row {
    std::wstring_view section, key;
    std::optional<std::wstring> value;
    const char* why;
  };
  const Row rows[] = {
      {L"Main", L"FileExt", L".7z", "names without case and blanks; the first key counts"},
      {L"Other", L"FileExt", L".zip", "each section its own"},
      {L"Main", L"Loose", std::nullopt, "a key before any section is in none"},
      {L"Main", L"Quoted", L"  a -r  ", "one pair of quotes goes, what it held stays"},
      {L"Main", L"Single", L"x", "single quotes too"},
      {L"Main", L"Half", L"\"x", "a quote without its pair stays"},
      {L"Main", L"Lone", L"\"", "a lone quote stays"},
      {L"Main", L"Empty", L"", "an empty value is a value"},
      {L"Main", L"NoEquals", std::nullopt, "a line without = is no key"},
      {L"Main", L"Zero", L"ab", "a zero ends a value"},
      {L"Main", L"Next", L"line", "a carriage return alone ends a line"},
      {L"Main", L"Later", L"second section of the name", "every section of the name is looked in"},
      {L"Missing", L"FileExt", std::nullopt, "no such section"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(IniValue(file, row.section, row.key), row.value);
  }
}

TEST(WithIniValue, TheOneLineTheReaderTakesChangesAndNothingElse) {
  struct Row {
    std::wstring_view text;
    std::wstring_view key;
    std::optional<std::wstring_view> value;  // nothing: the key is taken out
    std::wstring_view saved;
    const char* why;
  };
  const Row rows[] = {
      {L"", L"K", L"v", L"[Main]\r\nK=v\r\n", "a new file"},
      {L"; kept\r\n[Other]\r\nK=o\r\n  [ main ]  \r\n  k  =  old  \n[Main]\r\nK=later\r\n", L"K",
       L"new", L"; kept\r\n[Other]\r\nK=o\r\n  [ main ]  \r\n  k  =new\n[Main]\r\nK=later\r\n",
       "the line the reader takes: its key as spelled and its line end stay"},
      {L"[Main]\r\nA=1\r\n\r\n; Other\r\n[Other]\r\n[Main]\r\nB=2\r\n", L"K", L"v",
       L"[Main]\r\nA=1\r\nK=v\r\n\r\n; Other\r\n[Other]\r\n[Main]\r\nB=2\r\n",
       "a new key after the last key of the first section of the name"},
      {L"K=0\r\n[Main]", L"K", L"v", L"K=0\r\n[Main]\r\nK=v\r\n",
       "a key before any section is none of the section's; a last line gets its line end"},
      {L"[Other]\nA=1", L"K", L"", L"[Other]\nA=1\r\n[Main]\r\nK=\r\n",
       "a new section at the end, an empty value"},
      {L"[Main]\rK=1\r", L"K", L" a ", L"[Main]\rK=\" a \"\r",
       "blanks the reader drops are quoted"},
      {L"[Main]\r\nK=1\r\n", L"K", L"a\r\nX=b", L"[Main]\r\nK=a\r\n",
       "a value ends at its line end"},
      {L"[Main]\r\nK=1\r\n[Other]\r\nK=2\r\n[main]\r\nk=3\r\nL=4", L"K", std::nullopt,
       L"[Main]\r\n[Other]\r\nK=2\r\n[main]\r\nL=4", "out of every section of the name"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    const std::wstring saved = row.value ? WithIniValue(row.text, L"Main", row.key, *row.value)
                                         : WithoutIniKey(row.text, L"Main", row.key);
    EXPECT_EQ(saved, row.saved);
    const std::optional<std::wstring> read = IniValue(saved, L"Main", row.key);
    if (row.value) {
      EXPECT_EQ(read, std::wstring(row.value->substr(0, row.value->find(L'\r'))));
    } else {
      EXPECT_EQ(read, std::nullopt);
    }
  }
}

TEST(WithIniBytes, OnlyTheKeysLineChangesWhateverTheOtherBytesAre) {
  // Code page 1252 text (Müller — Café, grüße) that is no Shift_JIS, and Shift_JIS whose second
  // bytes are "\\" and "]" (表, ―).
  const std::string_view file =
      "; Einstellungen von M\xFCller \x97 Caf\xE9\r\n[Other]\r\nNote=gr\xFC\xDF" "e\r\n"
      "[\x95\x5C\x81\x5D]\r\n\x95\x5C=1\r\n[Main]\r\nFileExt=.rar\r\nWinRARPath=C:\\\x95\x5C\\r.exe\n";
  struct Row {
    std::wstring_view key;
    std::optional<std::string_view> written;  // nothing: the key is taken out
    std::string_view before, after;           // the bytes that change
    const char* why;
  };
  const Row rows[] = {
      {L"FileExt", ".7z", "FileExt=.rar", "FileExt=.7z", "a value changes"},
      {L"WinRARPath", "C:\\\xE9\\r.exe", "C:\\\x95\x5C\\r.exe", "C:\\\xE9\\r.exe",
       "a value of code-page bytes, its line end kept"},
      {L"FileExt", std::nullopt, "FileExt=.rar\r\n", "", "a key taken out"},
      {L"Target", "children", "WinRARPath=C:\\\x95\x5C\\r.exe\n",
       "WinRARPath=C:\\\x95\x5C\\r.exe\nTarget=children\r\n", "a new key after the last"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    std::string expected(file);
    expected.replace(expected.find(row.before), row.before.size(), row.after);
    EXPECT_EQ(WithIniBytes(file, L"Main", row.key, row.written), expected);
  }
}

TEST(SaveCompanionPath, EverySaveHasNamesOfItsOwnBesideTheFile) {
  const std::wstring path = L"C:\\Tools\\Kestrova.ini";
  struct Row {
    std::uint32_t process, save;
    std::wstring_view kind;
  };
  const Row rows[] = {{0x1, 0x23, L"new"}, {0x12, 0x3, L"new"}, {0x12, 0x3, L"old"},
                      {0xFFFFFFFF, 0xFFFFFFFF, L"new"}, {0, 0, L"new"}, {0x123, 0, L"new"}};
  std::vector<std::wstring> names;
  for (const Row& row : rows) {
    names.push_back(SaveCompanionPath(path, row.process, row.save, row.kind));
    SCOPED_TRACE(names.size());
    EXPECT_TRUE(names.back().starts_with(path + L"."));
    EXPECT_EQ(names.back().find(L'\\', path.size()), std::wstring::npos) << "in the same folder";
    for (std::size_t i = 0; i + 1 < names.size(); ++i) EXPECT_NE(names[i], names.back());
  }
  EXPECT_EQ(names[0], path + L".1-23.new");
}

}  // namespace
}  // namespace kestrova
