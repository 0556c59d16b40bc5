#pragma once
// Positional arguments of the archive callables: any of them may be missing.

#include <span>
#include <vector>

#include "runtime/value.h"

namespace qb {

// Argument n (from 1), nil when the call passed fewer.
const Value& param(std::span<const Value> params, std::size_t n);

// The received arguments as a call frame lists them.
std::vector<const Value*> framed(std::span<const Value> params);

}  // namespace qb
