// Shared helper of the fuzz targets: a violated property stops the run with a trap, which
// libFuzzer reports as a crash and saves the input that caused it.
#pragma once

#include <cstdio>

#define FUZZ_CHECK(condition)                                                         \
  do {                                                                                \
    if (!(condition)) {                                                               \
      std::fprintf(stderr, "%s:%d: property violated: %s\n", __FILE__, __LINE__,      \
                   #condition);                                                       \
      __builtin_trap();                                                               \
    }                                                                                 \
  } while (0)
