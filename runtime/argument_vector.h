#pragma once
// The process's argument vector: slot 0 the executable's full path, then the arguments as the
// command line was split. Start-up fills it before any routine of the program runs.

#include <string>
#include <vector>

namespace qb {

const std::vector<std::string>& argumentVector();
void setArgumentVector(std::vector<std::string> slots);

}  // namespace qb
