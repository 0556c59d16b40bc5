#include "job/dumping.h"

#include "job/closing_line.h"
#include "platform/console.h"

namespace qb {

namespace {
// Runs started in the same second into one folder take the following seconds' names, for a minute.
constexpr int kClaimSeconds = 60;

// Deletes a file of the run's own that a scanner may be holding for a moment.
platform::Outcome deleteOwn(BackupHost& host, const std::string& name) {
  return retried(host, [&] {
    const platform::Outcome deleted = platform::deleteFile(name);
    return deleted || !platform::nameTaken(name) ? platform::Outcome() : deleted;
  });
}

// Two runs started in the same second into the same folder would share a dump file: the name is
// taken by creating the file, and is held while any entry stands at the dump's, the archive's or
// the temporary archive's name, whatever it is. A name found taken is built again from a later
// second; a folder that cannot take the file at all ends the tries.
void claim(BackupHost& host, const DumpPlan& plan, Dumped& d) {
  for (int attempt = 0; attempt <= kClaimSeconds; ++attempt) {
    if (attempt > 0) {
      host.waitForNextSecond(d.stamp.reading);
      d.stamp = runStamp(host.now());
    }
    d.names = dumpNames(plan.shell, plan.client, plan.folder, d.stamp.baseName);
    std::string why;
    if ((d.file = platform::ClaimedFile::create(d.names.sql, &why))) {
      // With the dump of that base name claimed, a file at the temporary name is a stopped run's
      // leftover; an entry that stays there, such as a folder, holds the name as well.
      if (platform::nameTaken(d.names.temporary)) platform::deleteFile(d.names.temporary);
      if (!platform::nameTaken(d.names.zip) && !platform::nameTaken(d.names.temporary)) return;
      d.file.reset();
      platform::deleteFile(d.names.sql);
      continue;
    }
    if (!platform::nameTaken(d.names.sql) && !platform::nameTaken(d.names.zip)) {
      d.problem = "cannot create " + d.names.sql + ": " + why;
      return;
    }
  }
  d.problem = "no free name for the dump in a minute of tries";
}

// Why a dump the client has finished is no backup; empty when it is one: only a client that
// succeeded and wrote its closing line into the very file this run created made a dump.
std::string dumpProblem(std::int32_t exitCode, const platform::ClaimedFile& dump) {
  if (exitCode == -1) return "the dump client could not be started";
  if (exitCode != 0) return "the dump client ended with exit code " + std::to_string(exitCode);
  if (!dump.stillNamed()) return "the dump file " + dump.name() + " was replaced while it ran";
  if (!dumpIsComplete(dump.name()))
    return "the dump lacks its closing line \"-- Dump completed\" (cut short, or left out by an "
           "option such as compact or skip-comments in the client's option file)";
  return {};
}

// One dump into names claimed anew, packed while the client writes it when `alongside`.
void dump(BackupHost& host, const DumpPlan& plan, Dumped& d, bool alongside) {
  claim(host, plan, d);
  if (!d.file) return;
  d.file->hold();
  if (alongside) {
    d.packer = host.startPacking(d.names.temporary, d.names.sql);
    platform::setHidden(d.names.temporary, true);
  }
  d.problem = dumpProblem(host.runDump(d.names.command, *d.file), *d.file);
}

// True when the folder's file system has less room left than the archive packed alongside the
// dump took: without that archive the client might have had the room it lacked.
bool archiveTookTheRoom(const std::string& folder, const std::string& archive) {
  const auto file = platform::InputFile::open(archive);
  const auto room = platform::roomLeft(folder);
  return file && room && *room < file->size();
}
}  // namespace

std::string folderProblem(const DumpPlan& plan, const std::string& setting) {
  if (plan.folder.empty()) return "no folder in " + setting;
  if (!folderFitsCommand(plan.shell, plan.folder))
    return "the folder " + plan.folder + " holds characters the dump command cannot carry";
  if (!folderFitsCommand(plan.shell, plan.client.optionFile))
    return "the option file " + plan.client.optionFile +
           " has a name the dump command cannot carry";
  return {};
}

Dumped dumpWhilePacking(BackupHost& host, const DumpPlan& plan, const RunStamp& start) {
  Dumped d{start, {}, nullptr, nullptr, {}};
  dump(host, plan, d, true);
  if (d.file && !d.problem.empty()) {
    d.packer.reset();
    // Made again alone, the dump stays where its archive cannot be made, as any complete dump does.
    if (archiveTookTheRoom(plan.folder, d.names.temporary)) {
      discardDump(host, d);
      d.file.reset();
      dump(host, plan, d, false);
    }
  }
  return d;
}

std::string discardDump(BackupHost& host, const Dumped& d) {
  platform::deleteFile(d.names.temporary);
  if (!d.file || !d.file->stillNamed()) return {};
  const platform::Outcome deleted = deleteOwn(host, d.names.sql);
  return deleted ? std::string()
                 : "; the partial dump " + d.names.sql + " could not be deleted: " + deleted.why;
}

bool deleteDump(BackupHost& host, const Dumped& d, const std::string& folder) {
  std::string failed;
  if (const platform::Outcome deleted = deleteOwn(host, d.names.sql); !deleted)
    failed = ": the dump " + d.names.sql + " could not be deleted: " + deleted.why +
             "; a later run deletes it once it has checked the archive\n";
  else if (const platform::Outcome synced = platform::syncFolder(folder); !synced)
    failed = ": the deletion of the dump " + d.names.sql +
             " could not be forced to disk: " + synced.why + "\n";
  if (!failed.empty())
    platform::writeDiagnostic(platform::Diagnostic::warning, d.stamp.timestamp + failed);
  return failed.empty();
}

}  // namespace qb
