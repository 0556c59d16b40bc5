#pragma once
// The backup run.

#include "job/backup_host.h"
#include "runtime/value.h"

namespace qb {

// Dumps, packs and records the outcome in backup.ini; false after a recorded failure, nil after
// success. The first form runs on the machine, the second on the host given.
Value DOBACKUP();
Value DOBACKUP(BackupHost& host);

}  // namespace qb
