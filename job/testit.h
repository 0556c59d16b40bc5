#pragma once
// The entry procedure and the backup run it starts.

#include <span>
#include <string>

#include "runtime/value.h"

namespace qb {

// The executable's folder: everything up to and including the last '\', '/' or ':'.
std::string folderOf(const std::string& path);

// Sets the job state: base folder from the executable's path, destination from the first
// argument (exact, case-sensitive text; anything else means the primary destination).
void chooseDestination(std::span<const Value> arguments);

// The entry procedure: chooses the destination and runs DOBACKUP.
void TESTIT(std::span<const Value> arguments);

}  // namespace qb
