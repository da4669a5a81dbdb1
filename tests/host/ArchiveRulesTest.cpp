// The folder path and name of a job, the archiver's command line, the program's own
// command-line words and the long form of paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ProgramText.h"
#include "app/batch/ArchiveRules.h"

namespace kestrova {
namespace {

TEST(FolderName, JobPathAndNameOfWhatTheUserGave) {
  struct Row {
    std::wstring_view given;
    std::wstring_view folder;  // the path the job works on
    std::wstring_view name;
    const char* why;
  };
  const Row rows[] = {
      {L"C:\\Photos\\Trip", L"C:\\Photos\\Trip", L"Trip", "last of several components"},
      {L"D:\\Photos\\", L"D:\\Photos", L"Photos", "a trailing separator is dropped"},
      {L"D:\\Photos\\\\\\", L"D:\\Photos", L"Photos", "several trailing separators too"},
      {L"D:\\", L"D:\\", L"", "a drive root keeps its separator and has no name"},
      {L"D:\\\\", L"D:\\", L"", "a drive root with one separator too many"},
      {L"\\", L"\\", L"", "the root of the current drive"},
      {L"\\\\server\\share\\", L"\\\\server\\share\\", L"", "a share is a root too"},
      {L"\\\\server\\share\\dir\\", L"\\\\server\\share\\dir", L"dir", "a folder on a share"},
      {L"\\\\?\\UNC\\server\\share\\", L"\\\\?\\UNC\\server\\share\\", L"",
       "a share in the long form"},
      {L"\\\\?\\C:\\", L"\\\\?\\C:\\", L"", "a drive root in the long form"},
      {L"C:foo", L"C:foo", L"foo", "a colon separates too"},
      {L"Trip", L"Trip", L"Trip", "no separator at all"},
      {L"", L"", L"", "empty path"},
      {L"C:\\x\\表", L"C:\\x\\表", L"表", "a name that is one Japanese character"},
      {L"C:\\x\\Price¥100", L"C:\\x\\Price¥100", L"Price¥100", "a yen sign is no separator"},
      {L"C:\\x\\あ〜い\\", L"C:\\x\\あ〜い", L"あ〜い", "a wave dash and a trailing separator"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    const std::wstring_view folder = WithoutTrailingSeparators(row.given);
    EXPECT_EQ(folder, row.folder);
    EXPECT_EQ(FolderName(folder), row.name);
  }
}

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

TEST(ExtendedLengthPath, PrefixesFullPathsOnly) {
  struct Row {
    std::wstring_view path;
    std::wstring_view extended;
    const char* why;
  };
  const Row rows[] = {
      {L"C:\\a\\b", L"\\\\?\\C:\\a\\b", "a drive path"},
      {L"\\\\server\\share\\a", L"\\\\?\\UNC\\server\\share\\a", "a share path"},
      {L"\\\\?\\C:\\a", L"\\\\?\\C:\\a", "already in the long form"},
      {L"\\\\.\\pipe\\x", L"\\\\.\\pipe\\x", "a device path stays"},
      {L"a\\b", L"a\\b", "a relative path stays"},
      {L"C:a", L"C:a", "a drive-relative path stays"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(ExtendedLengthPath(row.path), row.extended);
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

TEST(Choices, TheSettingsFilesWordsAndTheirDefaults) {
  EXPECT_EQ(ExistingArchiveFrom(L"skip"), TExistingArchive::Skip);
  EXPECT_EQ(ExistingArchiveFrom(L"Rename"), TExistingArchive::Rename);
  EXPECT_EQ(ExistingArchiveFrom(L"add"), TExistingArchive::Add);
  EXPECT_EQ(ExistingArchiveFrom(L""), TExistingArchive::Add);
  EXPECT_EQ(ExistingArchiveFrom(L"overwrite"), TExistingArchive::Add);
  EXPECT_EQ(TargetFrom(L"CHILDREN"), TTarget::Children);
  EXPECT_EQ(TargetFrom(L"folders"), TTarget::Folder);
  for (const auto choice : {TExistingArchive::Add, TExistingArchive::Skip, TExistingArchive::Rename}) {
    EXPECT_EQ(ExistingArchiveFrom(WordOf(choice)), choice);
  }
  for (const auto choice : {TTarget::Folder, TTarget::Children}) {
    EXPECT_EQ(TargetFrom(WordOf(choice)), choice);
  }
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
