#include "archive/arguments.h"

namespace qb {

const Value& param(std::span<const Value> params, std::size_t n) {
  static const Value kAbsent;
  return n >= 1 && n <= params.size() ? params[n - 1] : kAbsent;
}

}  // namespace qb
