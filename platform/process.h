#pragma once
// The interpreter the program's command lines reach. Each side starts them in its own terms:
// platform/win32/process.h, platform/posix/process.h.

namespace qb::platform {

// On Windows the line names its own interpreter (the program is its first token), elsewhere
// every line goes to /bin/sh -c.
enum class Shell { Cmd, Posix };
Shell commandShell();

}  // namespace qb::platform
