// Window-free rules of paths: the folder path and name of a job, and the long form of paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/PathRules.h"

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

}  // namespace
}  // namespace kestrova
