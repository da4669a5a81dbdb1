// The running program: its own path, and the paths named on its command line.
#pragma once

#include <string>
#include <vector>

namespace kestrova {

// The running program's own full path.
std::wstring ProgramPath();
// The program's command-line arguments (its own name left out), each made a full path against
// the directory it was started in: called before anything can change that directory.
std::vector<std::wstring> ProgramArguments();

}  // namespace kestrova
