// The program's words for what went wrong: why a folder failed, and the toolkit's errors.
#pragma once

#include <string>
#include <string_view>

#include "app/Process.h"
#include "toolkit/Error.h"

namespace kestrova {

// A string of the string table with its "%s" replaced by argument (appended where it has none).
std::wstring Format(UINT id, std::wstring_view argument);

// Why an archiver's run failed; empty when it exited with code 0. The exit code's number and
// what the archivers document it to mean (or the crash it stands for), then the last lines of
// what it wrote, in its own words; or why it could not start; or that it was stopped.
std::wstring ReasonOfEnd(const TProcessEnd& end);

// The program's text for a toolkit error.
std::wstring ErrorText(const Error& error);

}  // namespace kestrova
