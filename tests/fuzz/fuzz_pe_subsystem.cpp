// PeSubsystem on arbitrary bytes: it never reads past them, and what it finds is what a loop of
// our own reads at the place the header names.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "FuzzCheck.h"
#include "app/ExeImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const unsigned char> head(data, size);
  const std::optional<std::uint16_t> subsystem = kestrova::PeSubsystem(head);
  if (!subsystem) return 0;
  FUZZ_CHECK(size >= 0x40 && data[0] == 'M' && data[1] == 'Z');
  std::size_t pe = 0;
  for (int i = 3; i >= 0; --i) pe = pe * 256 + data[0x3C + i];
  FUZZ_CHECK(pe + 24 + 70 <= size);
  FUZZ_CHECK(data[pe] == 'P' && data[pe + 1] == 'E' && data[pe + 2] == 0 && data[pe + 3] == 0);
  FUZZ_CHECK(*subsystem == (data[pe + 24 + 68] | (data[pe + 24 + 69] << 8)));
  return 0;
}
