#pragma once
// Positional arguments of the archive callables: any of them may be missing.

#include <span>

#include "runtime/value.h"

namespace qb {

// Argument n (from 1), nil when the call passed fewer.
const Value& param(std::span<const Value> params, std::size_t n);

}  // namespace qb
