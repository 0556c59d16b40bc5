#pragma once
// The run's dump: a name claimed for it, the client run into it while the archive is packed
// alongside, and the file deleted again, as a failure or once its archive is safe.

#include <memory>
#include <string>

#include "archive/dump_packer.h"
#include "job/backup_host.h"
#include "job/backup_names.h"
#include "job/dump_client.h"
#include "platform/files.h"

namespace qb {

// Where the dumps of a run go, and what makes them.
struct DumpPlan {
  platform::Shell shell;
  DumpClient client;
  std::string folder;
};

// Why the plan's folder can take no dump: none is set (the names would begin at the root of the
// drive; `setting` says where it is read from), or one, or an option file, the dump command
// cannot carry. Empty when it can.
std::string folderProblem(const DumpPlan& plan, const std::string& setting);

struct Dumped {
  RunStamp stamp;  // of the names claimed: later than the run's start when those were taken
  DumpNames names;
  std::unique_ptr<platform::ClaimedFile> file;  // none when no name could be claimed
  std::unique_ptr<DumpPacker> packer;  // packing since the client started; none if made alone
  std::string problem;  // why there is no dump: no name, or what the client made is none
};

// Claims the first free names from the stamp's second on, for a minute, and runs the client into
// the dump while packing it. Where the client ran short of the room the archive packed alongside
// took, the dump is made again alone, to be packed once complete.
Dumped dumpWhilePacking(BackupHost& host, const DumpPlan& plan, const RunStamp& start);

// Deletes what a failed dump left, the archive begun beside it too. Empty, or what to add to the
// reason where the dump stays.
std::string discardDump(BackupHost& host, const Dumped& dump);

// Deletes the dump of a backup made and forces that to disk, so that a power cut cannot bring back
// an empty dump beside its archive; true when both happened, else it says why not.
bool deleteDump(BackupHost& host, const Dumped& dump, const std::string& folder);

}  // namespace qb
