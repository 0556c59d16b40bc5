#include "process/sysrefresh.h"

#include "platform/win32/message_pump.h"
#include "runtime/event_loop.h"

namespace qb {

bool SYSREFRESH() {
  return platform::pumpMessages(eventLoopRunning());
}

}  // namespace qb
