#pragma once
// What a run reads of backup.ini: a file another program holds for a moment is read again, never
// taken for an empty one.

#include <memory>
#include <string>

#include "job/backup_host.h"
#include "platform/process.h"
#include "settings/tini.h"

namespace qb {

struct RunSettings {
  std::shared_ptr<TIni> ini;  // OINI
  Value previousStatus, primaryFolder, secondaryFolder;
  // The system's words where the file stayed unreadable for a few seconds (nothing was read);
  // empty when it was read.
  std::string unreadable;
};

// Reads lastrun and both folders, in that order, with their automatic write-back, except that a
// folder the dump command cannot carry is not copied into secundario.data. The reads are made
// again while one of them finds the file unreadable; where that lasts, nobody guesses where the
// backup should go.
RunSettings readRunSettings(BackupHost& host, const std::string& iniName, platform::Shell shell);

}  // namespace qb
