#pragma once
// Starting command lines natively: /bin/sh runs them, and there is no window to show (posix
// only).

#include <cstdint>
#include <string>

#include "platform/files.h"

namespace qb::platform {

// Runs the command line with /bin/sh -c and waits for its end: its exit code, 128 + the signal
// for a shell a signal ended, -1 when the shell could not be started. Its standard output is
// `output` when given, so that no name is opened again. The shell leads a process group of its
// own, and whatever it left running there is ended before the call returns, so nothing it started
// goes on writing afterwards.
std::int32_t runAndWait(const std::string& commandLine, const ClaimedFile* output);

// Starts the command line with /bin/sh -c and does not wait for it; false when the shell could
// not be started.
bool startDetached(const std::string& commandLine);

}  // namespace qb::platform
