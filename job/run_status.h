#pragma once
// How a run ends: the status it records in backup.ini, and what it says where it made no backup.

#include <memory>
#include <string>

#include "job/backup_host.h"
#include "settings/tini.h"

namespace qb {

// The line on standard error (and the Windows event log), and exit code 2; false, DOBACKUP's
// result then.
Value endWithoutSuccess(const std::string& line);

// Records the failure text and ends without success, the reason said.
Value recordFailure(BackupHost& host, const std::shared_ptr<TIni>& OINI, const std::string& status,
                    const std::string& reason);

// Records the timestamp of the backup made in `archive`; where the file would not take it, ends
// without success, saying so. False then.
bool recordBackup(BackupHost& host, const std::shared_ptr<TIni>& OINI, const std::string& timestamp,
                  const std::string& archive);

}  // namespace qb
