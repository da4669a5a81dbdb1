// Why a folder failed, in the program's words: an archiver's exit code, what it wrote, or why
// it could not start.
#pragma once

#include <string>
#include <string_view>

#include "app/batch/Process.h"

namespace kestrova {

// Why an archiver's run failed; empty when it exited with code 0. The exit code's number and
// what the archivers document it to mean (or the crash it stands for), then the last lines of
// what it wrote, in its own words; or why it could not start; or that it was stopped.
std::wstring ReasonOfEnd(const TProcessEnd& end);

}  // namespace kestrova
