// Shared helpers of the fuzz targets: a violated property stops the run with a trap, which
// libFuzzer reports as a crash and saves the input that caused it; inputs are read as UTF-16
// units, two bytes each, low byte first, as the program's texts are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#define FUZZ_CHECK(condition)                                                         \
  do {                                                                                \
    if (!(condition)) {                                                               \
      std::fprintf(stderr, "%s:%d: property violated: %s\n", __FILE__, __LINE__,      \
                   #condition);                                                       \
      __builtin_trap();                                                               \
    }                                                                                 \
  } while (0)

// The input as UTF-16 units (an odd last byte is dropped).
inline std::wstring FuzzUnits(const std::uint8_t* data, std::size_t size) {
  std::wstring text;
  text.reserve(size / 2);
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  }
  return text;
}
