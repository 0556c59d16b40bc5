#include "job/finish_archive.h"

#include <cstdio>

#include "job/closing_line.h"
#include "platform/console.h"
#include "platform/files.h"

namespace qb {

Finished finishArchive(BackupHost& host, const std::string& folder, const DumpNames& names,
                       std::unique_ptr<DumpPacker> packer, const std::string& timestamp) {
  const std::string& temporary = names.temporary;
  PackedDump packed = packer ? packer->finish() : PackedDump();
  packer.reset();
  if (!packed.digest) {
    // Correctness before speed: a dump the client changed after it was read, or one the packer
    // could not follow, is packed again from its start. Removed first: Windows makes no hidden
    // file anew.
    platform::deleteFile(temporary);
    packed = host.packFinished(temporary, names.sql);
    platform::setHidden(temporary, true);
  }
  if (!packed.digest)
    return {{},
            packed.writeFailure.empty()
                ? "the archive read back does not hold the dump"
                : "cannot write the archive " + temporary + ": " + packed.writeFailure};
  // Something the client left running may have cut or added to the file after the client ended:
  // what the archive holds must end as a dump does.
  static_assert(kKeptTail >= kDumpTail);
  if (!endsWithClosingLine(packed.tail, packed.digest->size <= packed.tail.size()))
    return {"the dump file " + names.sql +
                " changed after the client ended: what it holds now lacks the closing line "
                "\"-- Dump completed\"",
            {}};
  // Another program, a scanner most likely, may hold the new file for a moment.
  if (const auto synced = retried(host, [&] { return platform::syncFile(temporary); }); !synced)
    return {{}, "cannot force the archive to disk: " + synced.why};
  // Cleared before the rename: a hidden backup would pass for none.
  const auto name = [&] {
    const platform::Outcome shown = platform::setHidden(temporary, false);
    return shown ? platform::renameToFree(temporary, names.zip) : shown;
  };
  if (const auto named = retried(host, name); !named)
    return {{}, "cannot name the archive " + names.zip + ": " + named.why};
  if (const platform::Outcome synced = platform::syncFolder(folder); !synced)
    return {{}, "cannot force the name " + names.zip + " to disk: " + synced.why};
  // The file systems of USB disks keep no Unix modes (or ignore them): a backup there beats none,
  // but who may read it is the mount's to say.
  if (const auto mode = platform::unixMode(names.zip); mode && (*mode & 077) != 0) {
    char octal[8];
    std::snprintf(octal, sizeof octal, "%04o", *mode);
    platform::writeDiagnostic(
        platform::Diagnostic::warning,
        timestamp + ": the archive " + names.zip + " has the permissions of its mount (" + octal +
            "), not 0600: the file system of " + folder + " does not keep them\n");
  }
  return {};
}

}  // namespace qb
