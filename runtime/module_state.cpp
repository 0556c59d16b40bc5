#include "runtime/module_state.h"

#include <algorithm>
#include <vector>

namespace qb {

namespace {
// Made on first use: statics register while the program is being initialised, in no set order.
std::vector<StateSlot*>& slots() {
  static std::vector<StateSlot*> registered;
  return registered;
}
}  // namespace

StateSlot::StateSlot(StateOf owner) : owner_(owner) {
  slots().push_back(this);
}

StateSlot::~StateSlot() {
  std::erase(slots(), this);
}

void resetModuleState() {
  for (StateSlot* slot : slots()) slot->reset();
}

int NSTATICS() {
  return static_cast<int>(std::count_if(slots().begin(), slots().end(), [](const StateSlot* slot) {
    return slot->owner() == StateOf::Program;
  }));
}

}  // namespace qb
