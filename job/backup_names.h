#pragma once
// The texts of one backup run: the names one clock reading gives, and the dump command for the
// shell that will run it.

#include <array>
#include <optional>
#include <string>

#include "job/dump_client.h"
#include "platform/clock.h"
#include "platform/process.h"

namespace qb {

// What one clock reading gives a run: the texts its names and its status are made of.
struct RunStamp {
  platform::LocalTime reading;
  std::string hours, minutes, seconds;  // two digits each, 24-hour
  std::string clock;                    // "01:36:42"
  std::string baseName;                 // "resp_quolmer_2016_4_16_013642": no leading zeros
  std::string timestamp;                // "2016-4-16 01:36:42"
};
RunStamp runStamp(const platform::LocalTime& reading);

struct DumpNames {
  std::string command;    // the dump command line: CMD's redirects into sql; the one for /bin/sh
                          // names no file, the run hands it sql as its standard output
  std::string sql;        // the dump file
  std::string zip;        // the archive
  std::string temporary;  // where the archive is made: ".<base name>.zip.tmp", no backup's name
};

// The folder value exactly as read, the shell's separator (added even after one), the base name.
// The command starts the client given, its option file (where there is one) as its first option.
DumpNames dumpNames(platform::Shell shell, const DumpClient& client, const std::string& folder,
                    const std::string& baseName);

// A name of this program's own in a destination folder, read back from a listing.
struct BackupFileName {
  enum class Kind { dump, archive, temporary };
  Kind kind;
  std::string baseName;      // "resp_quolmer_2016_4_16_013642"
  std::array<int, 4> stamp;  // year, month, day, hhmmss: the later the greater
};

// Exactly the names the run gives: the base name (a date and a time that a clock can show, the
// date without leading zeros) with ".sql" or ".zip", or the temporary archive's name. Nothing for
// any other name.
std::optional<BackupFileName> parseBackupFileName(const std::string& name);

// False for a folder value the shell's command line cannot carry safely: CMD has no way to quote
// a double quote, expands %NAME% even inside quotes (and !NAME! where delayed expansion is on for
// the machine), and control characters break the line. Nor can '*' or '?' be part of a Windows
// folder: a value read with them (a letter the code page lacks) names none.
bool folderFitsCommand(platform::Shell shell, const std::string& folder);

}  // namespace qb
