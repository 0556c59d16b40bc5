#include "runtime/argument_vector.h"

#include "runtime/module_state.h"

namespace qb {

namespace {
ModuleStatic<std::vector<std::string>> g_slots(StateOf::Runtime);
}

const std::vector<std::string>& argumentVector() {
  return *g_slots;
}

void setArgumentVector(std::vector<std::string> slots) {
  *g_slots = std::move(slots);
}

}  // namespace qb
