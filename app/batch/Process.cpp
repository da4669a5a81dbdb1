// The archiver's process: null input, output through an overlapped pipe read on this thread,
// a job object for ending it.
#include "app/batch/Process.h"

#include <atomic>
#include <vector>

#include "app/batch/ArchiverOutput.h"
#include "toolkit/Handles.h"
#include "toolkit/TextRules.h"

namespace kestrova {

namespace {

std::atomic<unsigned> pipeNumber{0};

// A pipe for the child's output: our end reads overlapped, the child's end is inheritable.
bool MakeOutputPipe(UniqueHandle& ours, UniqueHandle& theirs) {
  const std::wstring name = L"\\\\.\\pipe\\Kestrova-" + DecimalText(GetCurrentProcessId()) + L"-" +
                           DecimalText(++pipeNumber);
  ours.Reset(CreateNamedPipeW(
      name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0, 65536, 0,
      nullptr));
  if (!ours) return false;
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  theirs.Reset(CreateFileW(name.c_str(), GENERIC_WRITE, 0, &inherit, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(theirs);
}

UniqueHandle NullDevice(DWORD access) {
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  return UniqueHandle(CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The attribute that limits what the child inherits to the handles given: without it, every
// inheritable handle of this process would go to the archiver. The handles must be inheritable
// and listed once each; an empty list is no list.
class InheritOnly {
 public:
  InheritOnly(HANDLE* handles, std::size_t count) {
    if (count == 0) return;
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    storage_.resize(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
    if (size == 0 || !InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
    list_ = list;
    if (!UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles,
                                   count * sizeof(HANDLE), nullptr, nullptr)) {
      DeleteProcThreadAttributeList(list_);
      list_ = nullptr;
    }
  }
  ~InheritOnly() {
    if (list_ != nullptr) DeleteProcThreadAttributeList(list_);
  }
  InheritOnly(const InheritOnly&) = delete;
  InheritOnly& operator=(const InheritOnly&) = delete;
  LPPROC_THREAD_ATTRIBUTE_LIST Get() const { return list_; }

 private:
  std::vector<char> storage_;
  LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// The handle, when there is one and it is inheritable (it was made so; made sure of here);
// null otherwise.
HANDLE Inheritable(const UniqueHandle& handle) {
  return handle && SetHandleInformation(handle.Get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)
             ? handle.Get()
             : nullptr;
}


// Reads the pipe as data comes: its progress told as it rises, the end of the rest kept.
class OutputReader {
 public:
  OutputReader(HANDLE pipe, const std::function<void(int)>& progress)
      : pipe_(pipe), event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), progress_(progress) {
    overlapped_.hEvent = event_.Get();
    reading_ = pipe_ != nullptr && static_cast<bool>(event_);
    ReadOn();
  }
  ~OutputReader() {
    if (pending_) {
      // A program it started may still hold the pipe: the read is given up, and waited for, so
      // that it never writes into memory that is gone.
      CancelIo(pipe_);
      DWORD got = 0;
      GetOverlappedResult(pipe_, &overlapped_, &got, TRUE);
    }
  }
  OutputReader(const OutputReader&) = delete;
  OutputReader& operator=(const OutputReader&) = delete;

  // Signalled when a read has completed; null when nothing is being read.
  HANDLE Event() const { return pending_ ? event_.Get() : nullptr; }

  // The pending read has completed (its event is signalled): takes what came and reads on.
  void Completed() {
    DWORD got = 0;
    pending_ = false;
    if (GetOverlappedResult(pipe_, &overlapped_, &got, FALSE)) {
      Keep(got);
      ReadOn();
    } else {
      reading_ = false;  // every writer has closed its end
    }
  }

  // What the process wrote before it ended is in the pipe already: read up to the point where
  // a read would wait.
  void Drain() {
    while (pending_ && WaitForSingleObject(event_.Get(), 0) == WAIT_OBJECT_0) Completed();
  }

  std::string Lines() const { return output_.Lines(); }

 private:
  // Issues reads until one is pending or the pipe is closed; reads that complete at once are
  // taken as they come.
  void ReadOn() {
    while (reading_ && !pending_) {
      if (ReadFile(pipe_, buffer_, sizeof buffer_, nullptr, &overlapped_) ||
          GetLastError() == ERROR_IO_PENDING) {
        pending_ = true;
        // Completed at once or not: GetOverlappedResult says which.
        DWORD got = 0;
        if (!GetOverlappedResult(pipe_, &overlapped_, &got, FALSE)) {
          if (GetLastError() == ERROR_IO_INCOMPLETE) return;
          pending_ = false;
          reading_ = false;
          return;
        }
        pending_ = false;
        Keep(got);
      } else {
        reading_ = false;  // ERROR_BROKEN_PIPE: every writer has closed its end
      }
    }
  }

  void Keep(DWORD got) {
    if (output_.Take(std::string_view(buffer_, got)) && progress_) progress_(*output_.Percent());
  }

  HANDLE pipe_;
  UniqueHandle event_;
  const std::function<void(int)>& progress_;
  OVERLAPPED overlapped_{};
  char buffer_[4096];
  bool reading_ = false;
  bool pending_ = false;
  TArchiverOutput output_;
};

}  // namespace

TProcessEnd RunProcess(std::wstring commandLine, HANDLE kill, const TKillSeams& seams,
                       const std::function<void(int percent)>& progress) {
  // The exit code a kill gives the process and all it started; no archiver exits with it.
  constexpr UINT kKilledCode = ERROR_CANCELLED;
  TProcessEnd end;
  UniqueHandle input = NullDevice(GENERIC_READ);
  UniqueHandle pipe, output;
  if (!MakeOutputPipe(pipe, output)) {
    pipe.Reset();
    output = NullDevice(GENERIC_WRITE);
  }
  // Standard output and error are one handle, listed once. What could not be made, the child
  // goes without (a read of a null input fails at once); with nothing to inherit, it inherits
  // nothing.
  const HANDLE in = Inheritable(input);
  const HANDLE out = Inheritable(output);
  HANDLE inherited[2];
  std::size_t inheritedCount = 0;
  if (in != nullptr) inherited[inheritedCount++] = in;
  if (out != nullptr) inherited[inheritedCount++] = out;
  const InheritOnly only(inherited, inheritedCount);

  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = only.Get() != nullptr ? sizeof(startup) : sizeof(STARTUPINFOW);
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = in;
  startup.StartupInfo.hStdOutput = out;
  startup.StartupInfo.hStdError = out;
  startup.lpAttributeList = only.Get();
  // Suspended until it is in its job, so that nothing it starts escapes the job. A window
  // program ignores CREATE_NO_WINDOW; a console one gets no console window.
  const DWORD flags = NORMAL_PRIORITY_CLASS | CREATE_NO_WINDOW | CREATE_SUSPENDED |
                      (only.Get() != nullptr ? EXTENDED_STARTUPINFO_PRESENT : 0);
  PROCESS_INFORMATION info{};
  const BOOL inherit = inheritedCount > 0 ? TRUE : FALSE;
  // A start refused with ERROR_INTERNAL_ERROR made no process and says nothing of the program:
  // seen under heavy load (a busy Wine server among others), it is tried again, a few times.
  constexpr int kStartTries = 3;
  for (int tries = 1;; ++tries) {
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, inherit, flags, nullptr,
                       nullptr, &startup.StartupInfo, &info)) {
      break;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_INTERNAL_ERROR || tries == kStartTries) {
      end.how = TProcessEnd::How::NotStarted;
      end.code = error;
      return end;
    }
    Sleep(100 * tries);
  }
  const UniqueHandle process(info.hProcess);
  const UniqueHandle thread(info.hThread);
  // Only the child holds its ends now: the pipe breaks once it (and what it started) is gone.
  input.Reset();
  output.Reset();
  // A process started inside a job of someone else's cannot join ours before Windows 8: it
  // then runs without one, and ending it ends the archiver alone.
  UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
  if (job && !AssignProcessToJobObject(job.Get(), process.Get())) job.Reset();
  // WinRAR's window and its questions come to the front, not behind the window the user
  // dropped on: Windows lets a process that may set the foreground itself hand that on, before
  // the other asks. It decides which may (the one in front, the one that had the last input,
  // any while nothing is in front or once the foreground lock has timed out); a refusal is
  // harmless.
  AllowSetForegroundWindow(info.dwProcessId);
  ResumeThread(thread.Get());

  OutputReader reader(pipe.Get(), progress);
  bool killed = false;
  ULONGLONG giveUpAt = 0;
  for (;;) {
    // The output first: what it wrote is read before its end is noticed. The process comes
    // before the kill, so that a process that has ended is never taken for one that is killed.
    HANDLE waits[3];
    DWORD count = 0;
    if (HANDLE read = reader.Event()) waits[count++] = read;
    waits[count++] = process.Get();
    if (!killed && kill != nullptr) waits[count++] = kill;
    DWORD timeout = INFINITE;
    if (killed) {
      const ULONGLONG now = GetTickCount64();
      timeout = now < giveUpAt ? static_cast<DWORD>(giveUpAt - now) : 0;
    }
    const DWORD signalled = WaitForMultipleObjects(count, waits, FALSE, timeout);
    if (signalled == WAIT_TIMEOUT) break;  // killed, and not ended within the wait: given up
    if (signalled >= WAIT_OBJECT_0 + count) break;  // the wait failed: taken as the end
    const HANDLE which = waits[signalled - WAIT_OBJECT_0];
    if (which == process.Get()) break;
    if (which == kill) {
      if (seams.killSeen) seams.killSeen(process.Get());
      killed = true;
      // Ending a process is asynchronous, and it cannot end while I/O of its is pending.
      giveUpAt = GetTickCount64() + seams.endWaitMs;
      if (!job || !seams.endJob(job.Get(), kKilledCode)) {
        TerminateProcess(process.Get(), kKilledCode);
      }
      continue;
    }
    reader.Completed();
  }
  reader.Drain();
  end.output = reader.Lines();
  if (killed) {
    end.ended = WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0;
    DWORD code = kKilledCode;
    // Ended by itself before the kill took effect (a process that has ended keeps its own exit
    // code: ending it again fails): its work is complete.
    if (!end.ended || !GetExitCodeProcess(process.Get(), &code) || code == kKilledCode) {
      end.how = TProcessEnd::How::Killed;
      return end;
    }
    end.code = code;
    return end;
  }
  if (!GetExitCodeProcess(process.Get(), &end.code)) end.code = GetLastError();
  return end;
}

}  // namespace kestrova
