#include "runtime/classes.h"

#include <algorithm>
#include <vector>

#include "runtime/module_state.h"

namespace qb {

namespace {
ModuleStatic<std::vector<std::string>> g_names(StateOf::Runtime);
}

int registerClass(const std::string& name) {
  auto& names = *g_names;
  auto it = std::find(names.begin(), names.end(), name);
  if (it == names.end()) it = names.insert(names.end(), name);
  return static_cast<int>(it - names.begin()) + 1;
}

std::string className(int handle) {
  const auto& names = *g_names;
  return handle >= 1 && handle <= static_cast<int>(names.size()) ? names[handle - 1]
                                                                 : std::string();
}

}  // namespace qb
