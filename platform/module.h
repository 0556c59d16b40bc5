#pragma once
// The running executable as the operating system knows it.

#include <cstdint>
#include <string>

namespace qb::platform {

// The executable's module handle (its load address).
std::uintptr_t moduleHandle();

// Full path of the running executable, whatever its length, in the system's ANSI code page on
// Windows; "" when unknown.
std::string executablePath();

}  // namespace qb::platform
