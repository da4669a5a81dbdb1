// What follows an archive, in-process under Wine: the archive's test run by the stand-in
// archiver, and real folders sent to the Recycle Bin through the shell (Wine's bin is the
// freedesktop trash of the Unix user, where the test finds what was moved).
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/batch/AfterArchive.h"
#include "app/batch/ExitReasons.h"
#include "app/batch/Recycle.h"
#include "toolkit/PathRules.h"
#include "toolkit/Paths.h"

#include "tests/win/MainWindowFixture.h"

using namespace kestrova;
using namespace kestrova::test;

namespace {

class AfterArchiveTest : public MainWindowFixture {
 protected:
  AfterArchiveTest() : MainWindowFixture(L"after-archive-test") {}

  // Wine's bin: the trash of the Unix user ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash),
  // seen from drive Z:. Wine gives its programs the home folder as WINEHOMEDIR ("\??\Z:\root").
  static std::wstring TrashFiles() {
    wchar_t value[MAX_PATH] = {};
    std::wstring data;
    if (GetEnvironmentVariableW(L"XDG_DATA_HOME", value, MAX_PATH) > 0) {
      data = L"Z:" + std::wstring(value);
    } else if (GetEnvironmentVariableW(L"WINEHOMEDIR", value, MAX_PATH) > 0) {
      data = std::wstring(value) + L"/.local/share";
      if (data.starts_with(L"\\??\\")) data.erase(0, 4);
    }
    std::wstring path = data + L"/Trash/files/";
    for (wchar_t& c : path) {
      if (c == L'/') c = L'\\';
    }
    return path;
  }

  // A folder with a file in it, named to be found again in the bin.
  std::wstring FolderWithFile(const std::wstring& name) {
    const std::wstring unique = name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                std::to_wstring(GetTickCount64());
    File(unique + L"\\photo.jpg", "JFIF photo bytes");
    return At(unique);
  }

  // Takes what a test sent to the bin out of it again.
  static void EmptyFromTrash(const std::wstring& name) {
    std::error_code ignored;
    const std::wstring files = TrashFiles();
    fs::remove_all(fs::path(files + name), ignored);
    fs::remove(fs::path(files + L"..\\info\\" + name + L".trashinfo"), ignored);
  }
};

TEST_F(AfterArchiveTest, ARealFolderGoesToTheBinWhole) {
  const std::wstring folder = FolderWithFile(L"Trip");
  const std::wstring name = FolderName(folder);
  const TRecycled recycled = RecycleFolder(folder);
  std::printf("the shell's operation: %s\n",
              recycled.byShFileOperation ? "SHFileOperationW (no IFileOperation here)"
                                         : "IFileOperation");
  EXPECT_EQ(recycled.kept, TKeep::Go) << ToUtf8(ReasonTested(recycled.kept, recycled.error, L""));
  EXPECT_FALSE(fs::exists(fs::path(folder)));
  // In the bin, with what it held: moved, not destroyed.
  const std::wstring inBin = TrashFiles() + name;
  EXPECT_EQ(ReadFile(inBin + L"\\photo.jpg"), "JFIF photo bytes") << ToUtf8(inBin);
  EmptyFromTrash(name);
}

TEST_F(AfterArchiveTest, TheTestDecidesAndOnlyAFolderWhoseArchiveHeldGoesToTheBin) {
  const std::string good = "Rar!fakerar\r\n";
  const std::wstring tested = LoadStr(IDS_TESTED);
  const std::wstring kept = LoadStr(IDS_TESTED_KEPT);
  struct Row {
    TAfterArchive after;
    std::string archiveBytes;
    bool existed;     // the archive was there before the job
    bool ownSettings;  // the folder holds the settings file
    bool stopsBeforeMove;
    TResult::Kind kind;
    std::wstring reason;
    bool folderStays;
    const char* why;
  };
  const Row rows[] = {
      {TAfterArchive::Test, good, false, false, false, TResult::Kind::Ok, tested, true,
       "tested: [OK], the folder stays"},
      {TAfterArchive::Recycle, good, false, false, false, TResult::Kind::Ok,
       LoadStr(IDS_TESTED_RECYCLED), false, "tested and made now: to the bin"},
      {TAfterArchive::Recycle, "corrupt", false, false, false, TResult::Kind::Failed,
       LoadStr(IDS_TEST_PREFIX) + Format(IDS_EXIT_CODE, L"3") + L": " +
           LoadStr(IDS_EXIT_MEANING_BASE + 3) + L" \u2014 ERROR: CRC failed, the archive is corrupt",
       true, "a failed test: [NG] with the test's own words, the folder stays"},
      {TAfterArchive::Recycle, good, true, false, false, TResult::Kind::Ok,
       kept + LoadStr(IDS_KEEP_BASE + static_cast<UINT>(TKeep::NotMadeNow)), true,
       "added to an archive that was there: the folder stays"},
      {TAfterArchive::Recycle, good, false, true, false, TResult::Kind::Ok,
       kept + LoadStr(IDS_KEEP_BASE + static_cast<UINT>(TKeep::OwnFolder)), true,
       "it holds Kestrova's settings: the folder stays"},
      {TAfterArchive::Recycle, good, false, false, true, TResult::Kind::Ok,
       kept + LoadStr(IDS_KEEP_BASE + static_cast<UINT>(TKeep::Stopped)), true,
       "the batch stopped before the move: the folder stays"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    const std::wstring folder = FolderWithFile(L"Photos");
    const std::wstring archive = folder + L".rar";
    WriteFile(archive, row.archiveBytes);
    fs::remove(fs::path(log_));
    TResult result = FolderResult(folder);
    result.archive = archive;
    TJobSettings settings{archiver_, L"a -r -pSecret --write", L".rar"};
    settings.choices.afterArchive = row.after;
    // The program's own file: here the test program, beside the work folder.
    settings.ownFiles = {ProgramPath()};
    if (row.ownSettings) {
      settings.ownFiles.push_back(File(FolderName(folder) + L"\\Kestrova.ini", ""));
    }
    TJobControl control;
    std::vector<TStep> asked;
    TestAndTidy(result, TArchiveFacts{TArchiveEnd::Ok, row.existed}, settings, control,
                [&](TStep step, const std::wstring& name) {
                  EXPECT_EQ(name, FolderName(folder));
                  asked.push_back(step);
                  return !(row.stopsBeforeMove && step == TStep::Recycle);
                });
    EXPECT_EQ(result.kind, row.kind);
    EXPECT_EQ(result.reason, row.reason);
    EXPECT_EQ(fs::exists(fs::path(folder)), row.folderStays);
    EXPECT_TRUE(fs::exists(fs::path(archive))) << "the archive is never touched";
    // The test: the same archiver, its password switch, the archive.
    EXPECT_EQ(ArchiverRuns(), std::vector<std::wstring>{L"\"" + archiver_ +
                                                        L"\" t -pSecret \"" + archive + L"\""});
    EXPECT_EQ(asked.front(), TStep::Test);
    if (!row.folderStays) EmptyFromTrash(FolderName(folder));
  }
}

TEST_F(AfterArchiveTest, AForcedStopEndsTheTestAndKeepsTheArchiveAndTheFolder) {
  const std::wstring folder = FolderWithFile(L"Held");
  const std::wstring archive = folder + L".rar";
  WriteFile(archive, "Rar!fakerar\r\n");
  TResult result = FolderResult(folder);
  result.archive = archive;
  TJobControl control;
  {
    // The test runs until it is ended: its start is logged first.
    const std::wstring hold = log_ + L".hold-test";
    WriteFile(hold, "hold");
    TJobSettings settings{archiver_, L"a", L".rar"};
    settings.choices.afterArchive = TAfterArchive::Recycle;
    std::thread worker([&] {
      TestAndTidy(result, TArchiveFacts{TArchiveEnd::Ok, false}, settings, control,
                  [](TStep, const std::wstring&) { return true; });
    });
    const bool started = PumpUntil([&] { return ArchiverRuns().size() == 1; });
    control.Kill();
    worker.join();
    fs::remove(fs::path(hold));
    ASSERT_TRUE(started) << "the test did not start";
  }
  EXPECT_EQ(result.kind, TResult::Kind::Failed);
  EXPECT_EQ(result.reason, LoadStr(IDS_REASON_STOPPED));
  EXPECT_EQ(ReadFile(archive), "Rar!fakerar\r\n") << "the archive made is complete: kept";
  EXPECT_TRUE(fs::exists(fs::path(folder)));
}

TEST_F(AfterArchiveTest, TheWindowShowsTheTestAndItsTip) {
  TKSTV_MAIN& main = OpenWithArchiver(L"a --write");
  main.Choices.afterArchive = TAfterArchive::Test;
  const std::wstring folder = Folder(L"Trip");
  const std::wstring hold = log_ + L".hold-test";
  WriteFile(hold, "hold");
  SendMessageW(main.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({folder})), 0);
  // The archiver, then its test, which holds.
  const bool testing = PumpUntil([&] { return ArchiverRuns().size() == 2; });
  const std::wstring caption = main.Caption();
  fs::remove(fs::path(hold));
  ASSERT_TRUE(testing);
  EXPECT_EQ(caption, LoadStr(IDS_CAPTION_TESTING) + L"Trip");
  WaitForBatch(main);
  // The line, and its tip after a tab.
  EXPECT_EQ(main.LIST.CopyText(), OkLine(L"Trip") + L"\t" + LoadStr(IDS_TESTED) + L"\r\n");
  EXPECT_EQ(ArchiverRuns()[1], L"\"" + archiver_ + L"\" t \"" + folder + L".rar\"");
}

TEST_F(AfterArchiveTest, EachFolderInsideGoesAfterItsOwnArchiveAndTheOneGivenStays) {
  TKSTV_MAIN& main = OpenWithArchiver(L"a --write");
  main.Choices.target = TTarget::Children;
  main.Choices.afterArchive = TAfterArchive::Recycle;
  // Names of their own: the bin is the Unix user's, shared with other runs.
  const std::wstring tag = std::to_wstring(GetCurrentProcessId());
  const std::wstring given = Folder(L"Projects-" + tag);
  const std::wstring a = L"a-" + tag, b = L"b-" + tag;
  File(FolderName(given) + L"\\" + a + L"\\t.txt", "a");
  File(FolderName(given) + L"\\" + b + L"\\t.txt", "b");
  Drop(main, {given});
  const std::wstring moved = LoadStr(IDS_TESTED_RECYCLED);
  EXPECT_EQ(main.LIST.CopyText(),
            OkLine(a) + L"\t" + moved + L"\r\n" + OkLine(b) + L"\t" + moved + L"\r\n");
  // Each folder inside: archived, tested, then moved; the archives stay in the folder given.
  EXPECT_EQ(ArchiverRuns().size(), 4u);
  for (const std::wstring& inside : {a, b}) {
    EXPECT_FALSE(fs::exists(fs::path(given + L"\\" + inside)));
    EXPECT_TRUE(fs::exists(fs::path(given + L"\\" + inside + L".rar")));
    EXPECT_EQ(FromUtf8(ReadFile(TrashFiles() + inside + L"\\t.txt")), inside.substr(0, 1));
    EmptyFromTrash(inside);
  }
  EXPECT_TRUE(fs::exists(fs::path(given)));
}

}  // namespace
