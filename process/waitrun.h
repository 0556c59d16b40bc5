#pragma once
// The launcher's callables with their Windows contracts: show states, the message pump between
// waits, WinExec's answer (win32 only; process/launcher.h is what the program calls).

#include <cstdint>
#include <span>

#include "runtime/value.h"

namespace qb {

// (command line, [show state]): starts the command and waits for its end while the message pump
// runs between waits. The exit code, or -1 when the process could not be created. The show state
// is SW_SHOWNA without a second argument, SW_HIDE for nil or a non-number.
std::int32_t WAITRUN(std::span<const Value> params);

// (command line, [show state]): starts the command without waiting, SW_SHOWNORMAL without a
// second argument. The result is greater than 31 when the program was started.
std::int32_t WINEXEC(std::span<const Value> params);

}  // namespace qb
