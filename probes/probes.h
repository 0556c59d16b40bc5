#pragma once
// The system probes: small questions to the platform whose plain answers the error report
// formats. None of them raises an error; a failed call gives "", 0 or an empty list.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/probes.h"
#include "runtime/value.h"

namespace qb {

// The executable's module handle, asked once after each reset of the module state.
double GETINSTANCE();
// The module's full path, cut to its first 248 characters.
std::string GETMODULEFILENAME(double module);
// Size of the first file the name (wildcards allowed) matches; 0 when none does.
std::uint64_t FSIZE(const std::string& name);
// Time since the start stamp, as "H hours M mins S secs ".
std::string TIMEFROMSTART();
bool ISWIN64();
// The processor's name, leading blanks kept; "" when unreadable.
std::string GETCPU();
// The processor clock in whole MHz, measured over about 1/32 second; 0 without a usable
// high-resolution counter or time-stamp counter.
int GETCPUSPEED();
// Total physical memory in bytes; on Windows as a signed 32-bit number.
std::int64_t NEXTMEM();
int GETFREESYSTEMRESOURCES(const Value& kind = Value());
// The system's release numbers and the words after them.
platform::SystemVersion GETVERSION();
bool ISWINNT();
// Titles of the top-level windows in Z order, none beginning an earlier one.
std::vector<std::string> GETTASKS();
// The program keeps no allocator statistics.
long MEMUSED();
long MEMMAX();
// The compiler and target that built the program.
std::string toolchainVersion();

}  // namespace qb
