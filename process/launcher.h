#pragma once
// Starting command lines as the program needs them: the dump client hidden and waited for, the
// report's viewer left to run. On Windows through WAITRUN and WINEXEC (process/waitrun.h).

#include <cstdint>
#include <string>

#include "platform/files.h"

namespace qb {

// Runs the command line hidden and waits for its end: its exit code, -1 when it could not be
// started. Nothing the command started outlives the call. Natively its standard output is
// `output` when given; a CMD line redirects for itself.
std::int32_t runHidden(const std::string& commandLine,
                       const platform::ClaimedFile* output = nullptr);

// Starts the viewer the command line names and does not wait for it.
void startViewer(const std::string& commandLine);

}  // namespace qb
