#pragma once
// The windowing layer's shared state: the program's windows and dialogs keep it, the message
// pump reads it.

#include "platform/message_pump.h"

namespace qb {

platform::WindowingState& windowingState();

}  // namespace qb
