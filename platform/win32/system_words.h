#pragma once
// The system's own words for an error code, to stand inside a line.

#include <string>

namespace qb::platform {

// The message the system has for the code (a DWORD), without its closing full stop and line
// break; "error <code>" where it has none.
std::string systemWords(unsigned long error);

}  // namespace qb::platform
