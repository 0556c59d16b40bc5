#pragma once
// The message pump that keeps the thread's window messages flowing (win32 only: natively there
// is no message queue).

namespace qb {

// One pass of the pump; false when it met a quit message.
bool SYSREFRESH();

}  // namespace qb
