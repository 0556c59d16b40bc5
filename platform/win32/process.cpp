#include "platform/win32/process.h"

#include "platform/process.h"

#include <windows.h>

namespace qb::platform {

namespace {
// Both handles of a created process, closed however the wait ends (a dispatched message may
// end the program by an orderly quit).
struct ProcessHandles {
  PROCESS_INFORMATION info{};
  ~ProcessHandles() {
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
};

// The job the command and everything it starts run in. A client whose CMD was killed, or a
// child started in the background, would otherwise go on writing once the wait is over.
class Job {
 public:
  Job() : job_(CreateJobObjectW(nullptr, nullptr)) {}
  ~Job() {
    if (job_) CloseHandle(job_);
  }
  Job(const Job&) = delete;
  Job& operator=(const Job&) = delete;

  // Without a job, or where the caller's own job refuses one inside it (before Windows 8), the
  // command runs as it always did.
  void take(HANDLE process) {
    if (job_ && !AssignProcessToJobObject(job_, process)) {
      CloseHandle(job_);
      job_ = nullptr;
    }
  }

  // Ends whatever is left in the job and waits until it has gone.
  void endWhatIsLeft(const std::function<void()>& betweenWaits) {
    if (!job_ || activeProcesses() == 0) return;
    TerminateJobObject(job_, 1);
    while (activeProcesses() > 0) {
      Sleep(2);
      betweenWaits();
    }
  }

 private:
  DWORD activeProcesses() const {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
    return QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &info, sizeof info,
                                     nullptr)
               ? info.ActiveProcesses
               : 0;
  }
  HANDLE job_;
};
}  // namespace

Shell commandShell() {
  return Shell::Cmd;
}

std::int32_t runAndWait(const std::string& commandLine, int showState,
                        const std::function<void()>& betweenWaits) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showState);
  std::string line = commandLine;  // CreateProcessA may write into the command line
  PROCESS_INFORMATION info{};
  // Suspended until it is in the job, so that nothing it starts can escape it.
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE,
                      CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED, nullptr,
                      nullptr, &startup, &info))
    return -1;
  ProcessHandles handles{info};
  Job job;
  job.take(info.hProcess);
  ResumeThread(info.hThread);
  while (WaitForSingleObject(info.hProcess, 2) == WAIT_TIMEOUT) betweenWaits();
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  job.endWhatIsLeft(betweenWaits);
  return static_cast<std::int32_t>(code);
}

int winExec(const std::string& commandLine, int showState) {
  return static_cast<int>(WinExec(commandLine.c_str(), static_cast<UINT>(showState)));
}

}  // namespace qb::platform
