#pragma once
// The process's command line exactly as Windows holds it (win32 only: the native build gets
// argv already split by the shell).

#include <string>

namespace qb::platform {

std::string commandLine();

}  // namespace qb::platform
