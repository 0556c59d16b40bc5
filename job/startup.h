#pragma once
// Process start-up and shut-down around the one call of TESTIT.

#include <string>
#include <vector>

#include "runtime/value.h"

namespace qb {

// The arguments TESTIT receives: slots 1 on of the vector, runtime switches left out.
std::vector<Value> procedureArguments(const std::vector<std::string>& slots);

// Runs the process: module state, error hook, start stamp, then TESTIT with the arguments that
// are not runtime switches. Returns the exit code (the error level).
int startProcess(std::vector<std::string> arguments);

}  // namespace qb
