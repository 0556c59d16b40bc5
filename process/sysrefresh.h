#pragma once
// The message pump that keeps the thread's window messages flowing.

namespace qb {

// One pass of the pump; false when it met a quit message.
bool SYSREFRESH();

}  // namespace qb
