// FolderName: the name is a suffix of the path that starts at a character boundary, right
// after a one-byte separator (or at the front), and holds no one-byte separator itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "app/JobText.h"

namespace {

bool NoLeadBytes(unsigned char) { return false; }

bool IsSeparator(char c) { return c == '\\' || c == ':'; }

void Check(std::string_view path, kestrova::LeadByteTest isLead) {
  std::string name = kestrova::FolderName(path, isLead);
  FUZZ_CHECK(name.size() <= path.size());
  const std::size_t start = path.size() - name.size();
  FUZZ_CHECK(path.substr(start) == name);

  // Character starts, marked by walking the path once with its own loop.
  std::vector<bool> charStart(path.size() + 1, false);
  std::vector<bool> singleByte(path.size() + 1, false);
  for (std::size_t pos = 0; pos < path.size();) {
    charStart[pos] = true;
    bool pair = isLead(static_cast<unsigned char>(path[pos])) && pos + 1 < path.size();
    singleByte[pos] = !pair;
    pos += pair ? 2 : 1;
  }
  charStart[path.size()] = true;

  FUZZ_CHECK(charStart[start]);
  if (start > 0) {
    FUZZ_CHECK(singleByte[start - 1] && IsSeparator(path[start - 1]));
  }
  for (std::size_t pos = start; pos < path.size(); ++pos) {
    FUZZ_CHECK(!(charStart[pos] && singleByte[pos] && IsSeparator(path[pos])));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view path(reinterpret_cast<const char*>(data), size);
  Check(path, kestrova::ShiftJisLeadByte);
  Check(path, NoLeadBytes);
  return 0;
}
