#pragma once
// Where a program is found, as a shell finds the program a command line names.

#include <string>

namespace qb::platform {

// The full name of the program file: a name with a folder part as it is, a bare name where the
// system looks for programs (natively the folders of PATH that are full paths, in their order; on
// Windows the system's search order, ".exe" added); "" when it names no program that can be run.
std::string findProgram(const std::string& name);

}  // namespace qb::platform
