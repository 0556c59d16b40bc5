#include "platform/message_pump.h"

namespace qb::platform {

// No window message queue here: nothing to serve, and never a quit message.
bool pumpMessages(WindowingState&, void*) {
  return true;
}

void postQuitMessage(int) {}

}  // namespace qb::platform
