// The archiver's command line, the archive to make, the folders inside, the output's last words.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/batch/ArchiveRules.h"
#include "app/batch/ArchiverOutput.h"

namespace kestrova {
namespace {

TEST(ArchiverCommandLine, QuotesPartsAndAddsWildcard) {
  struct Row {
    std::wstring_view archiver, profile, archive, folder;
    std::wstring_view line;
    const char* why;
  };
  const Row rows[] = {
      {L"C:\\7z\\7z.exe", L"a -tzip", L"D:\\out\\Trip.zip", L"C:\\Photos\\Trip\\",
       L"\"C:\\7z\\7z.exe\" a -tzip \"D:\\out\\Trip.zip\" \"C:\\Photos\\Trip\\*\"",
       "a typical job"},
      {L"", L"", L"", L"", L"\"\"  \"\" \"*\"", "empty parts stay empty, blanks stay put"},
      {L"a b.exe", L"x", L"c d.zip", L"e f\\", L"\"a b.exe\" x \"c d.zip\" \"e f\\*\"",
       "blanks inside parts are kept inside their quotes"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(ArchiverCommandLine(row.archiver, row.profile, row.archive, row.folder), row.line);
  }
}

TEST(UsableExtension, ExtensionsThatEndAQuotedArchiveName) {
  struct Row {
    std::wstring_view ext;
    bool usable;
  };
  const Row rows[] = {{L".rar", true},    {L".tar.gz", true}, {L"", true},
                      {L".表♡", true},    {L".rar\\", false}, {L"\\", false},
                      {L".rar/", false},  {L".r\"ar", false}, {L"\"", false},
                      {L"\\x.rar", true}};
  for (const Row& row : rows) {
    EXPECT_EQ(UsableExtension(row.ext), row.usable) << row.ext.size();
  }
}

TEST(OutputTail, LastLinesOfWhatAProgramWrote) {
  struct Row {
    std::wstring_view output;
    std::wstring_view tail;  // of at most two lines
    const char* why;
  };
  const std::wstring longLine(300, L'x');
  const Row rows[] = {
      {L"", L"", "nothing written"},
      {L"\r\n \r\n\t\r\n", L"", "only blank lines"},
      {L"Scanning\r\nERROR: cannot open\r\n", L"Scanning / ERROR: cannot open",
       "the last two lines, in their order"},
      {L"\r\n\r\nCommand Line Error:\r\nUnknown switch:\r\n-ep1\r\n",
       L"Unknown switch: -ep1", "a line ending in a colon runs on into the next (7-Zip's words)"},
      {L"a\nb\nc\n\n\n", L"b / c", "blank lines at the end are passed over"},
      {L"  7%\r 50%\r100%\rERROR: disk full  \r\n", L"100% / ERROR: disk full",
       "a carriage return ends a line (progress), blanks around a line go"},
      {L"\b\b\bDone", L"Done", "control characters around a line go"},
      {L"one line without an end", L"one line without an end", "the last line needs no end"},
      {L"パスワードが違います\r\n", L"パスワードが違います", "Japanese text"},
      {longLine, std::wstring_view(longLine).substr(0, 256), "a long line is cut at 256"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(OutputTail(row.output, 2), row.tail);
  }
}

// A frame drawn and erased as the 7-Zip console does: with backspaces (its Linux build) or with
// carriage returns (its Windows build).
std::string ErasedByBackspaces(const std::string& frame) {
  const std::string back(frame.size(), '\b');
  return frame + back + std::string(frame.size(), ' ') + back;
}
std::string ErasedByReturns(const std::string& frame) {
  return frame + "\r" + std::string(frame.size(), ' ') + "\r";
}

TEST(ArchiverOutput, ProgressFramesAndTheLinesWithoutThem) {
  struct Row {
    std::string output;
    std::optional<int> percent;
    std::string lines;
    const char* why;
  };
  const std::string sevenZipHead =
      "\n7-Zip (a) 21.07\n\nScanning the drive:\n1 folder, 2 files, 9 bytes\n\n"
      "Creating archive: T.7z\n\n";
  const std::string sevenZipLines =
      "7-Zip (a) 21.07\nScanning the drive:\n1 folder, 2 files, 9 bytes\n"
      "Creating archive: T.7z\nFiles read from disk: 2\nEverything is Ok\n";
  const std::string sevenZipEnd = "\nFiles read from disk: 2\nEverything is Ok\n";
  const Row rows[] = {
      {sevenZipHead + ErasedByBackspaces("  0%") + ErasedByBackspaces("  3% 1 + T/a.txt") +
           ErasedByBackspaces(" 45% 2 + T/b.txt") + sevenZipEnd,
       45, sevenZipLines, "7-Zip -bsp1, frames erased by backspaces"},
      {sevenZipHead + ErasedByReturns("  0%") + ErasedByReturns("  3% 1 + T/a.txt") +
           ErasedByReturns("100% 2 + T/b.txt") + sevenZipEnd,
       100, sevenZipLines, "7-Zip -bsp1, frames erased by carriage returns"},
      {"\r\nRAR 6.24\r\n\r\nCreating archive T.rar\r\n\r\n"
       "Adding    T\\a.txt      \b\b\b\b  5%\b\b\b\b 40%\b\b\b\b\b  OK \r\n"
       "Adding    T\\b.bin      \b\b\b\b 70%\b\b\b\b\b  OK \r\nDone\r\n",
       70, "RAR 6.24\nCreating archive T.rar\nAdding    T\\a.txt   OK\nAdding    T\\b.bin   OK\nDone\n",
       "rar: four backspaces and the percentage after the file's name"},
      {ErasedByReturns("  0M 1 + T/a.bin") + ErasedByReturns("12345M 1 + T/a.bin") + "  64M 2 + T/b",
       std::nullopt, "", "megabytes without a total: no percentage, and no line either"},
      {" 40%\b\b\b\b 30%", 40, "", "a percentage never goes back"},
      {"  5% 1 + a\r          \rWARNING: cannot open b\r\n 60% 3 + c\r          \r"
       "ERROR: disk full\r\n 80% 4 + d",
       80, "WARNING: cannot open b\nERROR: disk full\n",
       "frames among ordinary lines, the last one never erased"},
      {"Compression ratio 45%\r\n100 files\r\n1000%\n", std::nullopt,
       "Compression ratio 45%\n100 files\n1000%\n",
       "a percentage inside a line, or not one, is no frame"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    TArchiverOutput whole;
    whole.Take(row.output);
    EXPECT_EQ(whole.Percent(), row.percent);
    EXPECT_EQ(whole.Lines(), row.lines);
    // A byte at a time, as a pipe may give it: the same, and each rise is told once.
    TArchiverOutput bytes;
    std::optional<int> told;
    for (const char c : row.output) {
      if (bytes.Take(std::string_view(&c, 1))) {
        EXPECT_GT(bytes.Percent(), told);
        told = bytes.Percent();
      }
    }
    EXPECT_EQ(told, row.percent);
    EXPECT_EQ(bytes.Lines(), row.lines);
  }
}

TEST(ArchiverOutput, TheLastWordsOfAFailureHaveNoFrame) {
  TArchiverOutput output;
  output.Take("Scanning\r\n" + ErasedByReturns(" 12% 1 + a") + "WARNING: a\r\n");
  output.Take(" 57% 2 + b");  // the archiver ended here, its frame shown
  const std::string lines = output.Lines();
  EXPECT_EQ(OutputTail(std::wstring(lines.begin(), lines.end()), 3), L"Scanning / WARNING: a");
  // Only the end is kept, from the start of a line.
  TArchiverOutput many;
  for (int line = 0; line < 5000; ++line) many.Take("line " + std::to_string(line) + "\n");
  const std::string kept = many.Lines();
  EXPECT_LE(kept.size(), TArchiverOutput::kKeptBytes);
  EXPECT_TRUE(kept.starts_with("line "));
  EXPECT_TRUE(kept.ends_with("\nline 4999\n"));
}

TEST(ArchiveToMake, AnExistingArchiveIsAddedToSkippedOrLeftForAnotherName) {
  struct Row {
    TExistingArchive choice;
    std::vector<std::wstring> there;  // what exists beside the folder
    std::optional<std::wstring> made;
    const char* why;
  };
  using E = TExistingArchive;
  const Row rows[] = {
      {E::Add, {}, L"C:\\A.rar", "no archive yet: the usual name"},
      {E::Skip, {}, L"C:\\A.rar", "skip: no archive yet, nothing to skip"},
      {E::Rename, {}, L"C:\\A.rar", "another name: not needed yet"},
      {E::Add, {L"C:\\A.rar"}, L"C:\\A.rar", "add: the archiver gets the archive there"},
      {E::Skip, {L"C:\\A.rar"}, std::nullopt, "skip: the folder is skipped"},
      {E::Rename, {L"C:\\A.rar"}, L"C:\\A (2).rar", "the first other name"},
      {E::Rename, {L"C:\\A.rar", L"C:\\A (2).rar"}, L"C:\\A (3).rar", "(2) taken: (3)"},
      {E::Rename, {L"C:\\A.rar", L"C:\\A (3).rar"}, L"C:\\A (2).rar", "the first free one"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    auto exists = [&](const std::wstring& path) {
      return std::find(row.there.begin(), row.there.end(), path) != row.there.end();
    };
    EXPECT_EQ(ArchiveToMake(L"C:\\A", L".rar", row.choice, exists), row.made);
  }
  // No end of names that are taken: the folder is skipped rather than searched for ever.
  EXPECT_EQ(ArchiveToMake(L"C:\\A", L".rar", E::Rename, [](const std::wstring&) { return true; }),
            std::nullopt);
}

TEST(IsChildFolder, FoldersInsideThatAreArchivedOnTheirOwn) {
  constexpr std::uint32_t kDirectory = 0x10, kHidden = 0x2, kSystem = 0x4, kReparse = 0x400,
                          kReadOnly = 0x1, kArchive = 0x20, kPinned = 0x80000,
                          kRecallOnDataAccess = 0x400000;
  // Reparse tags (winnt.h): links stand for another name; the others are the folder itself.
  constexpr std::uint32_t kJunction = 0xA0000003, kSymlink = 0xA000000C,
                          kWslSymlink = 0xA000001D, kCloud = 0x9000001A, kCloud3 = 0x9000301A,
                          kProjFs = 0x9000001C;
  struct Row {
    std::wstring_view name;
    std::uint32_t attributes;
    std::uint32_t tag;  // read only for a reparse point
    bool taken;
    const char* why;
  };
  const Row rows[] = {
      {L"b10", kDirectory, 0, true, "a folder"},
      {L"写真", kDirectory | kReadOnly | kArchive, 0, true, "read-only and archive bits do not matter"},
      {L"notes.txt", kArchive, 0, false, "a file"},
      {L".git", kDirectory | kHidden, 0, false, "a hidden folder"},
      {L"System Volume Information", kDirectory | kHidden | kSystem, 0, false, "a system folder"},
      {L"$Recycle", kDirectory | kSystem, 0, false, "a system folder that is not hidden"},
      {L"Link", kDirectory | kReparse, kJunction, false, "a junction (or mounted folder)"},
      {L"Link", kDirectory | kReparse, kSymlink, false, "a symbolic link to a folder"},
      {L"Link", kDirectory | kReparse, kWslSymlink, false, "a link of the Linux subsystem"},
      {L"Photos", kDirectory | kReparse | kRecallOnDataAccess, kCloud, true,
       "a OneDrive folder whose files are online only"},
      {L"Photos", kDirectory | kReparse | kPinned, kCloud3, true, "a cloud folder kept on the PC"},
      {L"src", kDirectory | kReparse, kProjFs, true, "a projected folder (ProjFS)"},
      {L"Docs", kDirectory, kJunction, true, "a tag without the reparse bit is left unread"},
      {L"Cloud.txt", kArchive | kReparse, kCloud, false, "a cloud file is no folder"},
      {L".", kDirectory, 0, false, "the folder itself"},
      {L"..", kDirectory, 0, false, "its parent"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(IsChildFolder(row.name, row.attributes, row.tag), row.taken);
  }
}

TEST(DeletesSources, ProfilesThatDeleteOrMoveTheFolders) {
  struct Row {
    std::wstring_view profile;
    bool deletes;
    const char* why;
  };
  const Row rows[] = {
      {L"a -r -ep1 -m0 -rr3p", false, "the usual profile adds"},
      {L"m -r -ep1", true, "WinRAR's m moves the files into the archive"},
      {L"MF -r", true, "mf moves files only; commands compare without case"},
      {L"a -r -df", true, "-df deletes the files once archived"},
      {L"a -r -DR", true, "-dr deletes them to the Recycle Bin, in any case"},
      {L"a -dw -r", true, "-dw wipes them"},
      {L"a /df", true, "a switch may begin with a slash"},
      {L"a -tzip -sdel", true, "7-Zip's -sdel deletes them"},
      {L"a \"-df\" -r", true, "quotes around a switch are removed"},
      {L"a\t-r\t-df", true, "tabs separate words"},
      {L"a -r -dh -ds -m5", false, "other switches of the same letter"},
      {L"a -dfx -pdf -ilogdf", false, "a switch counts only as a whole word"},
      {L"a -r \"-d f\"", false, "a quoted blank makes one word"},
      {L"a -r m", false, "m counts only as the command"},
      {L"mv -r", false, "no such command"},
      {L"", false, "an empty profile"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(DeletesSources(row.profile), row.deletes);
  }
}

}  // namespace
}  // namespace kestrova
