// Running the archiver: a process that can wait for nobody's input and never fill its output,
// inside a job object so that it can be ended with everything it started.
#pragma once

#include <string>

#include "toolkit/Win.h"

namespace kestrova {

struct TProcessEnd {
  enum class How { Exited, NotStarted, Killed };
  How how = How::Exited;
  // The exit code; for NotStarted the error CreateProcess left.
  DWORD code = 0;
  // The last few kilobytes of what it wrote to its standard output and error, as bytes.
  std::string output;
};

// Starts the command line (the first quoted token names the program) and waits for its end,
// on the calling thread. Its standard input is the null device (a question gets end-of-file
// at once); its output and error go to a pipe read as they come. When kill is signalled first,
// the process and everything it started are ended. A console program gets no console window; a
// window it opens may come to the front while one of ours is there.
TProcessEnd RunProcess(std::wstring commandLine, HANDLE kill);

}  // namespace kestrova
