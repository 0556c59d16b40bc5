#pragma once
// The message pump that keeps the thread's window messages flowing.

#include "platform/message_pump.h"

namespace qb {

// The windowing layer's shared state the pump reads; the program's windows and dialogs keep it.
platform::WindowingState& windowingState();

// One pass of the pump; false when it met a quit message.
bool SYSREFRESH();

}  // namespace qb
