#include "archive/arguments.h"

namespace qb {

const Value& param(std::span<const Value> params, std::size_t n) {
  static const Value kAbsent;
  return n >= 1 && n <= params.size() ? params[n - 1] : kAbsent;
}

std::vector<const Value*> framed(std::span<const Value> params) {
  std::vector<const Value*> out;
  for (const Value& v : params) out.push_back(&v);
  return out;
}

}  // namespace qb
