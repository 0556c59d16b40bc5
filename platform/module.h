#pragma once
// The running executable as the operating system knows it.

#include <string>

namespace qb::platform {

// Full path of the running executable in the system's ANSI code page; "" when unknown.
std::string modulePath();

}  // namespace qb::platform
