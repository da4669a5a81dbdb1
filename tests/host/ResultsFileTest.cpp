// The results file: its lines and how each format quotes a field.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/batch/ResultsFile.h"

namespace kestrova {
namespace {

TEST(ResultsFile, EachFormatQuotesOnlyWhatItMust) {
  struct Row {
    std::wstring_view field;
    std::wstring_view tsv, csv;
    const char* why;
  };
  const Row rows[] = {
      {L"[NG] doc", L"[NG] doc", L"[NG] doc", "a plain field stays as it is"},
      {L"", L"", L"", "an empty field stays empty"},
      {L"C:\\写真\\旅行 2024", L"C:\\写真\\旅行 2024", L"C:\\写真\\旅行 2024",
       "blanks and Japanese need no quotes"},
      {L"a,b", L"a,b", L"\"a,b\"", "a comma is quoted in CSV only"},
      {L"a\tb", L"\"a\tb\"", L"a\tb", "a tab is quoted in tab-separated text only"},
      {L"say \"no\"", L"\"say \"\"no\"\"\"", L"\"say \"\"no\"\"\"",
       "a double quote is doubled inside quotes in both"},
      {L"\"", L"\"\"\"\"", L"\"\"\"\"", "a lone double quote"},
      {L"one\r\ntwo", L"\"one\r\ntwo\"", L"\"one\r\ntwo\"", "a line break stays inside quotes"},
      {L"one\ntwo", L"\"one\ntwo\"", L"\"one\ntwo\"", "a lone LF too"},
      {L"end\r", L"\"end\r\"", L"\"end\r\"", "a lone CR too"},
      {L" padded ", L" padded ", L" padded ", "blanks around a field are kept unquoted"},
      {L"=1+1", L"=1+1", L"=1+1", "nothing is added in front of what looks like a formula"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(ResultsField(row.field, TResultsFormat::Tsv), row.tsv);
    EXPECT_EQ(ResultsField(row.field, TResultsFormat::Csv), row.csv);
  }
}

TEST(ResultsFile, MarkHeaderThenOneLinePerFolderEachEndedByCrLf) {
  const TResultsLine header{L"結果", L"フォルダー", L"アーカイブ", L"サイズ", L"秒", L"理由"};
  const TResult made{TResult::Kind::Ok, L"Trip", L"C:\\P\\Trip", L"C:\\P\\Trip.rar", L"",
               123456789012ULL, 12345};
  // An archive to be made that the archiver did not leave: no path, no size.
  const TResult failed{TResult::Kind::Failed, L"doc", L"C:\\P\\doc", L"C:\\P\\doc.rar",
                 L"終了コード 2: 致命的なエラー / Can't open \"a,b.txt\"", std::nullopt, 49};
  const std::vector<TResultsLine> lines{ResultsLineOf(L"[OK] Trip", made),
                                        ResultsLineOf(L"[NG] doc", failed)};
  EXPECT_EQ(ResultsFileText(header, lines, TResultsFormat::Tsv),
            L"\uFEFF結果\tフォルダー\tアーカイブ\tサイズ\t秒\t理由\r\n"
            L"[OK] Trip\tC:\\P\\Trip\tC:\\P\\Trip.rar\t123456789012\t12.3\t\r\n"
            L"[NG] doc\tC:\\P\\doc\t\t\t0.0\t\"終了コード 2: 致命的なエラー / Can't open "
            L"\"\"a,b.txt\"\"\"\r\n");
  EXPECT_EQ(ResultsFileText(header, lines, TResultsFormat::Csv),
            L"\uFEFF結果,フォルダー,アーカイブ,サイズ,秒,理由\r\n"
            L"[OK] Trip,C:\\P\\Trip,C:\\P\\Trip.rar,123456789012,12.3,\r\n"
            L"[NG] doc,C:\\P\\doc,,,0.0,\"終了コード 2: 致命的なエラー / Can't open "
            L"\"\"a,b.txt\"\"\"\r\n");
  EXPECT_EQ(ResultsFileText(header, {}, TResultsFormat::Csv),
            L"\uFEFF結果,フォルダー,アーカイブ,サイズ,秒,理由\r\n");

  // Seconds to the nearest tenth; the default name's moment with its zeros.
  EXPECT_EQ(SecondsText(0), L"0.0");
  EXPECT_EQ(SecondsText(50), L"0.1");
  EXPECT_EQ(SecondsText(9950), L"10.0");
  EXPECT_EQ(SecondsText(3600000), L"3600.0");
  EXPECT_EQ(SizeText(0), L"0");
  EXPECT_EQ(FileNameStamp(2025, 5, 8, 9, 3), L"2025-05-08 0903");
  EXPECT_EQ(FileNameStamp(2025, 12, 31, 23, 59), L"2025-12-31 2359");
}

}  // namespace
}  // namespace kestrova
