// The archiver's command line, the archive to make, the folders inside, the output's last words.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/batch/ArchiveRules.h"

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
