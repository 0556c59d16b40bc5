#pragma once
// The archive packed beside the dump, made a backup: checked, forced to disk and only then given
// its name, so that a run stopped at any moment leaves no broken file under a backup's name.

#include <memory>
#include <string>

#include "archive/dump_packer.h"
#include "job/backup_host.h"
#include "job/backup_names.h"

namespace qb {

// Why the archive is no backup; neither when it stands under its name.
struct Finished {
  std::string dumpProblem;     // what it holds is no whole dump: the file changed after the client
  std::string archiveProblem;  // it could not be made, checked, forced to disk or named
};

// Finishes the packing (or packs the finished dump again where the packing alongside failed its
// check), requires the closing line of what the archive holds, forces it to disk and names it.
// Says when the archive's permissions are those of a mount that keeps no Unix modes.
Finished finishArchive(BackupHost& host, const std::string& folder, const DumpNames& names,
                       std::unique_ptr<DumpPacker> packer, const std::string& timestamp);

}  // namespace qb
