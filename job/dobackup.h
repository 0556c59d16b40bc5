#pragma once
// The backup run.

#include "runtime/value.h"

namespace qb {

// Dumps, packs and records the outcome; false after a recorded failure, nil after success.
Value DOBACKUP();

}  // namespace qb
