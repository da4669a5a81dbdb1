// What follows a folder's archive: the test's command line, and which folders are tested, which
// go to the Recycle Bin and which batches may not start.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/batch/AfterArchiveRules.h"

namespace kestrova {
namespace {

TEST(TestCommandLine, PasswordsAndCharsetInTheProfilesOrder) {
  struct Row {
    std::wstring_view archiver, profile, archive;
    std::optional<std::wstring_view> line;
    const char* why;
  };
  const Row rows[] = {
      {L"C:\\7z\\7za.exe", L"a -r -tzip", L"D:\\x\\A.zip", L"\"C:\\7z\\7za.exe\" t \"D:\\x\\A.zip\"",
       "no switch the test takes: none"},
      {L"C:\\7z\\7za.exe", L"a -sccUTF-8 -mx9 -pSecret -r", L"D:\\x\\A.7z",
       L"\"C:\\7z\\7za.exe\" t -sccUTF-8 -pSecret \"D:\\x\\A.7z\"",
       "the charset and the password, in the profile's order"},
      {L"C:\\WinRAR\\WinRAR.exe", L"a -hp\"my pass\" -r -ep1", L"D:\\x\\A.rar",
       L"\"C:\\WinRAR\\WinRAR.exe\" t -ibck -hp\"my pass\" \"D:\\x\\A.rar\"",
       "WinRAR tests in the background; a quoted password stays as written"},
      {L"C:\\Program Files\\WinRAR\\winrar.EXE", L"a /P123 -p-", L"D:\\A.rar",
       L"\"C:\\Program Files\\WinRAR\\winrar.EXE\" t -ibck /P123 -p- \"D:\\A.rar\"",
       "the archiver's name and the switches compare without case; a slash starts a switch"},
      {L"C:\\x\\NotWinRAR.exe", L"a", L"D:\\A.rar", L"\"C:\\x\\NotWinRAR.exe\" t \"D:\\A.rar\"",
       "only the file name WinRAR.exe runs in the background"},
      {L"C:\\7z\\7za.exe", L"a -scs -sdel -df m -ep1", L"D:\\A.7z",
       L"\"C:\\7z\\7za.exe\" t \"D:\\A.7z\"",
       "no command, no switch that deletes, no other switch of those letters"},
      {L"C:\\7z\\7za.exe", L"a -p\"open", L"D:\\A.7z", L"\"C:\\7z\\7za.exe\" t -p\"open\" \"D:\\A.7z\"",
       "a quote left open is closed before the archive"},
      {L"C:\\7z\\7za.exe", L"a -pX -- -pY", L"D:\\A.7z", L"\"C:\\7z\\7za.exe\" t -pX \"D:\\A.7z\"",
       "after -- come names, not switches"},
      {L"C:\\7z\\7za.exe", L"a -pX", L"D:\\x\\", std::nullopt,
       "a path ending in \\ would end in \\\" that some archivers read as a quote"},
      {L"C:\\7z\\7za.exe", L"a", L"D:\\a\"b.7z", std::nullopt, "a quote inside the path"},
      {L"C:\\7z\\7za.exe", L"a", L"D:\\a\nb.7z", std::nullopt, "a line end inside the path"},
      {L"C:\\7z\\7za.exe", L"a", L"", std::nullopt, "no archive"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(TestCommandLine(row.archiver, row.profile, row.archive), row.line);
  }
}

TEST(AfterArchive, WhichFoldersAreTestedWhichGoToTheBinWhichBatchesMayNotStart) {
  using A = TAfterArchive;
  using E = TArchiveEnd;
  using K = TKeep;
  const std::vector<TKeptPlace> kept = {
      {L"\\\\?\\C:\\Users\\me\\Documents", K::KnownFolder},
      {L"C:\\Users\\me", K::KnownFolder},
      {L"\\\\?\\D:\\Tools\\Kestrova", K::OwnFolder},
  };
  struct Row {
    A after;
    E end;
    bool testOk, stopped, existed, notEmpty;
    std::wstring_view folder, archive;
    bool tests;
    K keep;
    const char* why;
  };
  const std::wstring_view f = L"\\\\?\\D:\\Photos\\Trip", a = L"\\\\?\\D:\\Photos\\Trip.rar";
  const Row rows[] = {
      {A::None, E::Ok, true, false, false, true, f, a, false, K::NotAsked, "nothing: as today"},
      {A::Test, E::Ok, true, false, false, true, f, a, true, K::NotAsked, "tested, never moved"},
      {A::Test, E::Failed, false, false, false, true, f, a, false, K::NotAsked,
       "a failed archiver: no test"},
      {A::Recycle, E::Skipped, false, false, true, true, f, a, false, K::NotAsked,
       "a skipped folder: no test, no move"},
      {A::Recycle, E::Stopped, false, true, false, true, f, a, false, K::NotAsked,
       "a forced stop: no test, no move"},
      {A::Recycle, E::Ok, true, false, false, true, f, a, true, K::Go, "tested, made now: moved"},
      {A::Recycle, E::Ok, false, false, false, true, f, a, true, K::NotAsked,
       "a failed test: [NG], the folder stays"},
      {A::Recycle, E::Ok, true, true, false, true, f, a, true, K::Stopped,
       "the batch stops: it stays"},
      {A::Recycle, E::Ok, true, false, true, true, f, a, true, K::NotMadeNow,
       "added to an archive that was there: it stays"},
      {A::Recycle, E::Ok, true, false, false, false, f, a, true, K::NoArchive,
       "an empty or missing archive: it stays"},
      {A::Recycle, E::Ok, true, false, false, true, L"", a, true, K::Unknown,
       "a folder whose place cannot be told: it stays"},
      {A::Recycle, E::Ok, true, false, false, true, f, L"relative.rar", true, K::Unknown,
       "an archive whose place cannot be told: it stays"},
      {A::Recycle, E::Ok, true, false, false, true, L"\\\\?\\D:\\", L"\\\\?\\D:\\.rar", true,
       K::Root, "a drive's root"},
      {A::Recycle, E::Ok, true, false, false, true, L"\\\\?\\UNC\\srv\\share\\",
       L"\\\\srv\\x.rar", true, K::Root, "a share's root"},
      {A::Recycle, E::Ok, true, false, false, true, L"\\\\?\\Volume{1234}\\",
       L"C:\\x.rar", true, K::Root, "a volume without a letter, at its root"},
      {A::Recycle, E::Ok, true, false, false, true, f, L"\\\\?\\D:\\Photos\\TRIP\\in\\x.rar",
       true, K::HoldsArchive, "the archive inside the folder (the path given in another case)"},
      {A::Recycle, E::Ok, true, false, false, true, L"\\\\?\\D:\\Photos\\Tri", a, true, K::Go,
       "a folder whose name begins another's holds nothing of it"},
      {A::Recycle, E::Ok, true, false, false, true, L"\\\\?\\C:\\users\\ME\\documents", a, true,
       K::KnownFolder, "a known folder itself"},
      {A::Recycle, E::Ok, true, false, false, true, L"\\\\?\\C:\\Users", a, true, K::KnownFolder,
       "a folder that holds a known folder"},
      {A::Recycle, E::Ok, true, false, false, true, L"\\\\?\\C:\\Users\\me\\Documents\\Trip", a,
       true, K::Go, "a folder inside a known folder goes"},
      {A::Recycle, E::Ok, true, false, false, true, L"D:\\Tools", a, true, K::OwnFolder,
       "a folder that holds Kestrova.exe or its settings"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(TestsArchive(row.after, row.end), row.tests);
    TRecycleFacts facts;
    facts.after = row.after;
    facts.archive = row.end;
    facts.testOk = row.testOk;
    facts.stopped = row.stopped;
    facts.archiveExisted = row.existed;
    facts.archiveNotEmpty = row.notEmpty;
    facts.folder = row.folder;
    facts.archivePath = row.archive;
    facts.kept = kept;
    EXPECT_EQ(RecycleDecision(facts), row.keep);
  }

  // A profile that deletes or moves the files itself refuses a batch that recycles, only that.
  EXPECT_TRUE(RefusesStart(A::Recycle, L"a -r -df"));
  EXPECT_TRUE(RefusesStart(A::Recycle, L"a -sdel"));
  EXPECT_TRUE(RefusesStart(A::Recycle, L"m -r"));
  EXPECT_FALSE(RefusesStart(A::Recycle, L"a -r -ep1"));
  EXPECT_FALSE(RefusesStart(A::Test, L"a -r -df"));
  EXPECT_FALSE(RefusesStart(A::None, L"m -r"));
}

}  // namespace
}  // namespace kestrova
