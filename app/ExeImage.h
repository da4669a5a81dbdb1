// Window-free reading of a program file's header: whether it is a console program. No
// <windows.h> here: the host build tests and fuzzes this directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kestrova {

// How much of the file's start PeSubsystem needs at most: the MZ header names where the PE
// header is, which real programs keep within the first kilobytes.
constexpr std::size_t kExeHeadBytes = 4096;

// The subsystem a Portable Executable's optional header names (2: a window program, 3: a
// console program), from the first bytes of the file; nothing when they are no such header.
std::optional<std::uint16_t> PeSubsystem(std::span<const unsigned char> head);

inline constexpr std::uint16_t kConsoleSubsystem = 3;

}  // namespace kestrova
