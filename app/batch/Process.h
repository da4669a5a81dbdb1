// Running the archiver: a process that can wait for nobody's input and never fill its output,
// inside a job object so that it can be ended with everything it started.
#pragma once

#include <functional>
#include <string>

#include "toolkit/Win.h"

namespace kestrova {

struct TProcessEnd {
  enum class How { Exited, NotStarted, Killed };
  How how = How::Exited;
  // The exit code; for NotStarted the error CreateProcess left.
  DWORD code = 0;
  // Killed: whether it has ended. False when it was still there once the wait after the kill
  // was over (a process ends only once its pending I/O does, and a drive or share that does not
  // answer holds it): it may still hold its files open.
  bool ended = true;
  // The end of what it wrote to its standard output and error, as bytes, without its progress
  // frames (TArchiverOutput::Lines).
  std::string output;
};

// How long a killed process is waited for before it is given up.
constexpr DWORD kKilledProcessWaitMs = 20000;

// Where tests stand between a kill and the end of the process.
struct TKillSeams {
  // Runs on the waiting thread once the kill has been seen, before the process is ended (with
  // the process's handle): the process may end by itself meanwhile.
  std::function<void(HANDLE process)> killSeen;
  // How the job and everything in it is ended.
  decltype(&TerminateJobObject) endJob = &TerminateJobObject;
  // How long the ended process is waited for.
  DWORD endWaitMs = kKilledProcessWaitMs;
};

// Starts the command line (the first quoted token names the program) and waits for its end,
// on the calling thread. Its standard input is the null device (a question gets end-of-file
// at once); its output and error go to a pipe read as they come. A console program gets no
// console window; a window it opens may come to the front while one of ours is there.
//
// When kill is signalled, the process and everything it started are ended. The end is Killed
// only when the kill came first: a process that had ended by itself, or did so before the kill
// took effect, is Exited with its own exit code, since its work is complete.
//
// progress, when given, is called on this thread each time the percentage the program prints
// (TArchiverOutput) rises, with that percentage.
TProcessEnd RunProcess(std::wstring commandLine, HANDLE kill, const TKillSeams& seams = {},
                       const std::function<void(int percent)>& progress = {});

}  // namespace kestrova
