#include "runtime/windowing_state.h"

namespace qb {

platform::WindowingState& windowingState() {
  static platform::WindowingState state;
  return state;
}

}  // namespace qb
