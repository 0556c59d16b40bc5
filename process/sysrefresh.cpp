#include "process/sysrefresh.h"

#include "platform/message_pump.h"
#include "runtime/windowing_state.h"

namespace qb {

bool SYSREFRESH() {
  // The accelerator table is out of use while messages are dispatched: a handler that pumps
  // again from inside must not translate with it.
  platform::WindowingState& state = windowingState();
  void* table = state.acceleratorTable;
  state.acceleratorTable = nullptr;
  const bool noQuit = platform::pumpMessages(state, table);
  state.acceleratorTable = table;
  return noQuit;
}

}  // namespace qb
