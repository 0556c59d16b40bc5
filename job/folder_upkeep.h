#pragma once
// A destination folder kept in order: what stopped or hindered runs left there, and archives
// beyond the number the user keeps.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "job/backup_host.h"
#include "settings/tini.h"

namespace qb {

// Removes the temporary archives of runs that ended before naming them (no run holds their dump
// any more), and dumps a run could not delete, once the archive of the same base name proves to
// hold them whole. Nothing else is touched.
void removeLeftovers(const std::string& folder);

// "30" gives 30: a whole number of at least 1 in decimal digits; nothing for any other text.
std::optional<std::size_t> keepCount(const std::string& text);

// Deletes the folder's archives beyond those the keep value of the destination ("principal" or
// "secundario") asks for (pruneArchives), and says what it keeps against it. Where both
// destinations share the folder their archives cannot be told apart: the larger of the two keep
// values set applies. One set that is not a whole number of at least 1 keeps everything, and is
// said.
void pruneAsAsked(BackupHost& host, TIni& ini, const std::string& destination, bool sharedFolder,
                  const std::string& folder, const std::string& ownArchive,
                  const std::string& timestamp);

// Deletes the archives of the folder beyond the newest `keep`, by the date and time in their names,
// counting `ownArchive` (the run's, never deleted) and those dated before it. Only archives the run
// could have made count: plain files named exactly like this program's archives, owned by the
// account that owns `ownArchive` (where the system has owners), that open as zip archives.
// Returns the names of those dated after `ownArchive`: kept, and not counted.
std::vector<std::string> pruneArchives(const std::string& folder, std::size_t keep,
                                       const std::string& ownArchive);

}  // namespace qb
