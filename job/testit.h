#pragma once
// The entry procedure and the backup run it starts.

#include <span>
#include <string>

#include "runtime/value.h"

namespace qb {

// The executable's folder: everything up to and including the last '\', '/' or ':'.
std::string folderOf(const std::string& path);

// Chooses the destination from the first argument (exact, case-sensitive) and runs DOBACKUP.
void TESTIT(std::span<const Value> arguments);

}  // namespace qb
