#pragma once
// Starting command lines as Windows starts them, for the launcher's WAITRUN and WINEXEC (win32
// only).

#include <cstdint>
#include <functional>
#include <string>

namespace qb::platform {

// Starts the command line as a new process in a console of its own with the window show state
// (SW_*), waits for its end and returns its exit code as a signed 32-bit number; -1 when it could
// not be started. The wait is 2 ms at a time with a call of betweenWaits after each. Whatever the
// command left running in its job is ended before the call returns, so nothing it started goes on
// writing afterwards.
std::int32_t runAndWait(const std::string& commandLine, int showState,
                        const std::function<void()>& betweenWaits);

// WinExec: starts the command line without waiting for it; greater than 31 when it was started.
int winExec(const std::string& commandLine, int showState);

}  // namespace qb::platform
