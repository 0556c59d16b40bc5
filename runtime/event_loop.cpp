#include "runtime/event_loop.h"

#include "runtime/module_state.h"

namespace qb {

namespace {
ModuleStatic<bool> g_running(StateOf::Runtime);
}

bool& eventLoopRunning() {
  return *g_running;
}

}  // namespace qb
