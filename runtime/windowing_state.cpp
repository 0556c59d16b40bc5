#include "runtime/windowing_state.h"

#include "runtime/module_state.h"

namespace qb {

namespace {
ModuleStatic<platform::WindowingState> g_state(StateOf::Runtime);
}

platform::WindowingState& windowingState() {
  return *g_state;
}

}  // namespace qb
