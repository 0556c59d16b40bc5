#pragma once
// What a callable does with the values it was passed: takes its positional arguments, any of
// which may be missing, and calls back the code blocks among them.

#include <span>
#include <vector>

#include "runtime/value.h"

namespace qb {

// Argument n (from 1), nil when the call passed fewer.
const Value& param(std::span<const Value> params, std::size_t n);

// Calls the value with these arguments when it is a code block; anything else is no callback.
void callBack(const Value& block, std::vector<Value> args);

}  // namespace qb
