#pragma once
// Positional arguments of the archive callables: any of them may be missing.

#include <span>
#include <vector>

#include "runtime/value.h"

namespace qb {

// Argument n (from 1), nil when the call passed fewer.
const Value& param(std::span<const Value> params, std::size_t n);

// Calls the value with these arguments when it is a code block; anything else is no callback.
void callBack(const Value& block, std::vector<Value> args);

}  // namespace qb
