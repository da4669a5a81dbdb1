// WithoutTrailingSeparators and FolderName: the job's folder is the path less trailing
// separators, and ends in one only when it is a root; the name is the folder's suffix after
// its last separator and holds none itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "toolkit/PathRules.h"

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L':'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring path = FuzzUnits(data, size);
  const std::wstring_view folder = kestrova::WithoutTrailingSeparators(path);

  FUZZ_CHECK(std::wstring_view(path).starts_with(folder));
  for (wchar_t c : std::wstring_view(path).substr(folder.size())) FUZZ_CHECK(c == L'\\');
  if (folder.size() > 1 && folder.back() == L'\\') {
    // Kept only where dropping it would leave "X:" or a share's root.
    const std::wstring_view shorter = folder.substr(0, folder.size() - 1);
    FUZZ_CHECK(shorter.back() == L':' || shorter.starts_with(L"\\\\"));
  }
  FUZZ_CHECK(kestrova::WithoutTrailingSeparators(folder) == folder);

  const std::wstring name = kestrova::FolderName(folder);
  FUZZ_CHECK(name.size() <= folder.size());
  const std::size_t start = folder.size() - name.size();
  FUZZ_CHECK(folder.substr(start) == name);
  if (start > 0) FUZZ_CHECK(IsSeparator(folder[start - 1]));
  for (wchar_t c : name) FUZZ_CHECK(!IsSeparator(c));
  return 0;
}
