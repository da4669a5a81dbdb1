#include "app/ExeImage.h"

namespace kestrova {

namespace {

std::uint32_t Read(std::span<const unsigned char> bytes, std::size_t at, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < size; ++i) value |= std::uint32_t{bytes[at + i]} << (8 * i);
  return value;
}

}  // namespace

std::optional<std::uint16_t> PeSubsystem(std::span<const unsigned char> head) {
  // "MZ", then at 0x3C the offset of "PE\0\0"; the 20-byte file header follows, then the
  // optional header, whose magic says PE32 (0x10B) or PE32+ (0x20B) and which holds the
  // subsystem at offset 68 in both.
  constexpr std::size_t kSubsystemInOptional = 68;
  if (head.size() < 0x40 || head[0] != 'M' || head[1] != 'Z') return std::nullopt;
  const std::size_t pe = Read(head, 0x3C, 4);
  const std::size_t optional = pe + 4 + 20;
  if (pe > head.size() || head.size() - pe < 4 + 20 + kSubsystemInOptional + 2) {
    return std::nullopt;
  }
  if (Read(head, pe, 4) != 0x00004550) return std::nullopt;
  const std::uint32_t magic = Read(head, optional, 2);
  if (magic != 0x10B && magic != 0x20B) return std::nullopt;
  return static_cast<std::uint16_t>(Read(head, optional + kSubsystemInOptional, 2));
}

}  // namespace kestrova
