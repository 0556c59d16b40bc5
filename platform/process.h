#pragma once
// Starting command lines as separate processes.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/files.h"

namespace qb::platform {

// The interpreter the launcher's command lines reach: on Windows the line names its own (the
// program is its first token), elsewhere every line goes to /bin/sh -c.
enum class Shell { Cmd, Posix };
Shell commandShell();

// Starts the command line as a new process in a console of its own with the window show state
// (SW_*), waits for its end and returns its exit code as a signed 32-bit number; -1 when it could
// not be started. Where the platform has a message queue, the wait is 2 ms at a time with a call
// of betweenWaits after each. Whatever the command left running (on Windows in its job, natively
// in its process group) is ended before the call returns, so nothing it started goes on writing
// afterwards.
//
// output: the command's standard output, where the shell takes no redirection from the line
// (Shell::Posix), so that no name is opened again; a CMD line redirects for itself.
std::int32_t runAndWait(const std::string& commandLine, int showState,
                        const std::function<void()>& betweenWaits,
                        const ClaimedFile* output = nullptr);

// Starts the command line without waiting for it; greater than 31 when it was started.
int startDetached(const std::string& commandLine, int showState);

}  // namespace qb::platform
