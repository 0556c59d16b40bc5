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
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE,
                      CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                      &info))
    return -1;
  ProcessHandles handles{info};
  while (WaitForSingleObject(info.hProcess, 2) == WAIT_TIMEOUT) betweenWaits();
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  return static_cast<std::int32_t>(code);
}

int startDetached(const std::string& commandLine, int showState) {
  return static_cast<int>(WinExec(commandLine.c_str(), static_cast<UINT>(showState)));
}

}  // namespace qb::platform
