// The paths named on the running program's command line (its own path: toolkit/Paths).
#pragma once

#include <string>
#include <vector>

namespace kestrova {

// The program's command-line arguments (its own name left out), each made a full path against
// the directory it was started in, in its long form (LongPath): called before anything can
// change that directory.
std::vector<std::wstring> ProgramArguments();

}  // namespace kestrova
