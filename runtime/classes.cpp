#include "runtime/classes.h"

#include <algorithm>
#include <vector>

namespace qb {

namespace {
std::vector<std::string>& registry() {
  static std::vector<std::string> names;
  return names;
}
}  // namespace

int registerClass(const std::string& name) {
  auto& names = registry();
  auto it = std::find(names.begin(), names.end(), name);
  if (it == names.end()) it = names.insert(names.end(), name);
  return static_cast<int>(it - names.begin()) + 1;
}

std::string className(int handle) {
  const auto& names = registry();
  return handle >= 1 && handle <= static_cast<int>(names.size()) ? names[handle - 1]
                                                                 : std::string();
}

}  // namespace qb
