// Character walking, the error box's text and settings integers.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "toolkit/TextRules.h"

namespace kestrova {
namespace {

bool NoLeadBytes(unsigned char) { return false; }

TEST(ShiftJisLeadByte, RangeEdges) {
  struct Row {
    unsigned char byte;
    bool lead;
    const char* why;
  };
  const Row rows[] = {
      {0x7F, false, "ASCII DEL is a character of its own"},
      {0x80, false, "0x80 lies just below the first lead range"},
      {0x81, true, "first byte of the first lead range"},
      {0x9F, true, "last byte of the first lead range"},
      {0xA0, false, "0xA0 sits between the two lead ranges"},
      {0xDF, false, "half-width katakana are single bytes"},
      {0xE0, true, "first byte of the second lead range"},
      {0xFC, true, "last byte of the second lead range"},
      {0xFD, false, "0xFD is past the second lead range"},
      {0x5C, false, "a backslash never leads"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(ShiftJisLeadByte(row.byte), row.lead);
  }
}

TEST(CharWalking, TrailBytesBelongToTheirLead) {
  struct Row {
    std::string_view text;
    std::size_t pos;
    std::size_t length;
    std::size_t lastStart;
    const char* why;
  };
  const Row rows[] = {
      {"abc", 0, 1, 2, "single-byte text"},
      {"\x95\x5C", 0, 2, 0, "a trail byte 0x5C is not a character of its own"},
      {"\x95\x5C\x5C", 0, 2, 2, "a real backslash after a double-byte character"},
      {"\x5C\x95\x5C", 1, 2, 1, "a double-byte character after a backslash"},
      {"a\x95", 1, 1, 1, "a lead byte at the very end stands alone"},
      {"\x95\x95\x95", 2, 1, 2, "lead, trail that looks like a lead, then a lone lead"},
      {"\x81\x40\xA0", 2, 1, 2, "half-width katakana after a double-byte character"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(CharLength(row.text, row.pos, ShiftJisLeadByte), row.length);
    EXPECT_EQ(LastCharStart(row.text, ShiftJisLeadByte), row.lastStart);
  }
}

TEST(ErrorBoxText, AppendsPeriodWhenLastCharSortsAfterIt) {
  struct Row {
    std::string_view message;
    std::string_view expected;
    const char* why;
  };
  const Row rows[] = {
      {"", "", "an empty message stays empty"},
      {"abc", "abc.", "letters sort after '.'"},
      {"abc.", "abc.", "already ends in a period"},
      {"abc!", "abc!", "'!' sorts before '.'"},
      {"x-", "x-", "'-' sorts just before '.'"},
      {"1/", "1/.", "'/' sorts just after '.'"},
      {"end ", "end ", "a blank sorts before '.'"},
      {"\x8A\xAE", "\x8A\xAE.", "a double-byte character sorts after '.' as unsigned bytes"},
      {"\x95\x5C", "\x95\x5C.", "trail byte 0x5C belongs to the double-byte character"},
      {"ok\xA1", "ok\xA1.", "a half-width katakana byte is above 0x7F, not negative"},
      {"a\x95", "a\x95.", "a lone lead byte at the end is a character above '.'"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(ErrorBoxText(row.message, ShiftJisLeadByte), row.expected);
  }
}

TEST(ErrorBoxText, WalksWithTheGivenLeadTest) {
  // "\x95." is one character in Shift_JIS but two in a code page without lead bytes.
  EXPECT_EQ(ErrorBoxText("\x95.", ShiftJisLeadByte), "\x95..");
  EXPECT_EQ(ErrorBoxText("\x95.", NoLeadBytes), "\x95.");
}

TEST(ParseIniInteger, AcceptedAndRejectedSpellings) {
  struct Row {
    std::string_view text;
    std::optional<std::int32_t> value;
    const char* why;
  };
  const Row rows[] = {
      {"512", 512, "plain decimal"},
      {"0", 0, "zero"},
      {"007", 7, "leading zeros are decimal, not octal"},
      {"0x200", 512, "0x prefix"},
      {"0X200", 512, "0X prefix"},
      {"$200", 512, "$ prefix"},
      {"x200", 512, "bare x prefix"},
      {"X200", 512, "bare X prefix"},
      {"$fF", 255, "hex digits of either case"},
      {"0x", std::nullopt, "a two-character 0x is 0 followed by a stray x"},
      {"0x0", 0, "the shortest 0x text"},
      {"$", std::nullopt, "a prefix without digits"},
      {"x", std::nullopt, "a bare x without digits"},
      {"-0x", std::nullopt, "0x after a sign, no digits"},
      {"", std::nullopt, "empty text"},
      {"   ", std::nullopt, "only blanks"},
      {"-", std::nullopt, "only a sign"},
      {"  12", 12, "leading spaces are skipped"},
      {"\t\t12", 12, "leading tabs are skipped"},
      {"+7", 7, "an explicit plus sign"},
      {"-0x10", -16, "sign before a hex prefix"},
      {"- 5", std::nullopt, "no blank between the sign and the digits"},
      {"+-5", std::nullopt, "one sign only"},
      {"12 ", std::nullopt, "a trailing blank is not a digit"},
      {"\n12", std::nullopt, "a newline is not a leading blank"},
      {"1e3", std::nullopt, "no exponents"},
      {"abc", std::nullopt, "hex digits without a prefix"},
      {"12abc", std::nullopt, "hex digits in a decimal number"},
      {"$12G", std::nullopt, "G is not a hex digit"},
      {"0x0x1", std::nullopt, "one prefix only"},
      {"1\x95", std::nullopt, "a byte above 0x7F is not a digit"},
      {"2147483647", INT32_MAX, "largest int32"},
      {"2147483648", std::nullopt, "one past the largest int32"},
      {"-2147483648", INT32_MIN, "smallest int32"},
      {"-2147483649", std::nullopt, "one past the smallest int32"},
      {"$7FFFFFFF", INT32_MAX, "largest int32 in hex"},
      {"$80000000", std::nullopt, "hex is signed too: 0x80000000 does not fit"},
      {"-$80000000", INT32_MIN, "smallest int32 in hex"},
      {"$FFFFFFFF", std::nullopt, "an all-ones word is not read as -1"},
      {"99999999999", std::nullopt, "far past int32"},
      {"99999999999999999999999", std::nullopt, "far past int64 as well"},
      {"0000000000000000000001", 1, "many leading zeros still fit"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(ParseIniInteger(row.text), row.value) << "text: \"" << row.text << '"';
  }
}

}  // namespace
}  // namespace kestrova
