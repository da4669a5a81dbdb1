// Whether a program file is a console program, from its header.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "app/ExeImage.h"

namespace kestrova {
namespace {

// A minimal header: "MZ", the PE header at peAt, its optional header's magic and subsystem.
std::vector<unsigned char> Head(std::size_t peAt, unsigned magic, unsigned subsystem,
                                std::size_t size = 512) {
  std::vector<unsigned char> head(size, 0);
  head[0] = 'M';
  head[1] = 'Z';
  for (int i = 0; i < 4; ++i) head[0x3C + i] = static_cast<unsigned char>(peAt >> (8 * i));
  if (peAt + 24 + 70 <= size) {
    head[peAt] = 'P';
    head[peAt + 1] = 'E';
    head[peAt + 24] = static_cast<unsigned char>(magic);
    head[peAt + 25] = static_cast<unsigned char>(magic >> 8);
    head[peAt + 24 + 68] = static_cast<unsigned char>(subsystem);
  }
  return head;
}

TEST(PeSubsystem, ReadsTheOptionalHeader) {
  struct Row {
    const char* why;
    std::vector<unsigned char> head;
    std::optional<std::uint16_t> subsystem;
  };
  std::vector<unsigned char> notMz = Head(0x80, 0x20B, 3);
  notMz[0] = 'Z';
  std::vector<unsigned char> notPe = Head(0x80, 0x20B, 3);
  notPe[0x81] = 'X';
  const Row rows[] = {
      {"a 64-bit console program", Head(0x80, 0x20B, 3), 3},
      {"a 32-bit window program", Head(0xF8, 0x10B, 2), 2},
      {"no MZ", notMz, std::nullopt},
      {"no PE signature where MZ points", notPe, std::nullopt},
      {"an optional header of another kind", Head(0x80, 0x107, 3), std::nullopt},
      {"the PE header past the bytes read", Head(0x1000, 0x20B, 3), std::nullopt},
      {"cut inside the optional header", Head(0x80, 0x20B, 3, 0x80 + 24 + 60), std::nullopt},
      {"too short for an MZ header", std::vector<unsigned char>{'M', 'Z'}, std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(PeSubsystem(row.head), row.subsystem);
  }
}

}  // namespace
}  // namespace kestrova
