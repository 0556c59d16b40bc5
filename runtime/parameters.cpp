#include "runtime/parameters.h"

namespace qb {

const Value& param(std::span<const Value> params, std::size_t n) {
  static const Value kAbsent;
  return n >= 1 && n <= params.size() ? params[n - 1] : kAbsent;
}

void callBack(const Value& block, std::vector<Value> args) {
  if (const auto* body = std::get_if<Block>(&block); body && *body) (**body)(args);
}

}  // namespace qb
