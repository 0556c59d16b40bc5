#include "job/dobackup.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "job/backup_names.h"
#include "job/closing_line.h"
#include "job/dump_client.h"
#include "job/folder_upkeep.h"
#include "job/job_state.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "runtime/error.h"
#include "runtime/frames.h"
#include "runtime/quit.h"
#include "settings/tini.h"

namespace qb {

namespace {
// Runs started in the same second into one folder take the following seconds' names, for a minute.
constexpr int kClaimSeconds = 60;

// The status goes through OINI. Without a settings file that variable was never created, and
// reading it is the runtime error; a retry reads it again. False when the file would not take the
// status, even after a few seconds.
bool recordStatus(BackupHost& host, const std::shared_ptr<TIni>& OINI, const std::string& status) {
  if (!OINI) {
    auto error = std::make_shared<ErrorRecord>();
    error->SUBSYSTEM = "BASE";
    error->GENCODE = 14;
    error->SUBCODE = 1003;
    error->SEVERITY = 2;
    error->OPERATION = "OINI";
    error->flags = CANRETRY;
    while (true) raiseError(error);  // only a retry comes back
  }
  return retried(host, [&] { return OINI->Set("RESULT", "lastrun", status).logical(); });
}

// Settings another program holds for a moment are not empty ones: the reads are made again. False
// when the file stays unreadable, so that nobody guesses where the backup should go.
bool settingsRead(BackupHost& host, const std::function<void()>& reads) {
  return retried(host, [&] {
    const unsigned failures = platform::failedProfileReads();
    reads();
    return platform::failedProfileReads() == failures;
  });
}

// A scheduler reads the exit code, a person the line on standard error.
void endWithoutSuccess(const std::string& line) {
  platform::writeDiagnostic(platform::Diagnostic::failure, line + "\n");
  ERRORLEVEL(2);
}

// Deletes a file of the run's own that a scanner may be holding for a moment.
bool deleteOwn(BackupHost& host, const std::string& name) {
  return retried(host, [&] { return platform::deleteFile(name) || !platform::nameTaken(name); });
}

// Why a dump the client has finished is no backup; empty when it is one.
std::string dumpProblem(std::int32_t exitCode, const platform::ClaimedFile& dump) {
  if (exitCode == -1) return "the dump client could not be started";
  if (exitCode != 0) return "the dump client ended with exit code " + std::to_string(exitCode);
  if (!dump.stillNamed()) return "the dump file " + dump.name() + " was replaced while it ran";
  if (!dumpIsComplete(dump.name()))
    return "the dump lacks its closing line \"-- Dump completed\" (cut short, or left out by an "
           "option such as compact or skip-comments in the client's option file)";
  return {};
}

// True when the folder's file system has less room left than the archive packed alongside the
// dump took: without that archive the client might have had the room it lacked.
bool archiveTookTheRoom(const std::string& folder, const std::string& archive) {
  const auto file = platform::InputFile::open(archive);
  const auto room = platform::roomLeft(folder);
  return file && room && *room < file->size();
}

// What finishing the archive came to: a dump the archive holds that is no backup, or an archive
// that could not be given its name; neither when the archive stands under its name.
struct Finished {
  std::string dumpProblem;
  std::string archiveProblem;
};

// The archive the packer made of the dump while the client wrote it, under a name no backup has:
// checked against the dump as it stands, its own last line checked, forced to disk, and only then
// given its own name, so that a run stopped at any moment leaves no broken file under a backup's
// name.
Finished finishArchive(BackupHost& host, const std::string& folder, const DumpNames& names,
                       std::unique_ptr<DumpPacker> packer) {
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
  if (!retried(host, [&] { return platform::syncFile(temporary); }))
    return {{}, "cannot force the archive to disk: " + platform::lastErrorText()};
  // Cleared before the rename: a hidden backup would pass for none.
  if (!retried(host, [&] {
        return platform::setHidden(temporary, false) &&
               platform::renameToFree(temporary, names.zip);
      }))
    return {{}, "cannot name the archive " + names.zip + ": " + platform::lastErrorText()};
  if (!platform::syncFolder(folder))
    return {{}, "cannot force the name " + names.zip + " to disk: " + platform::lastErrorText()};
  return {};
}

// The number of newest archives a folder keeps, from the keep values that apply to it: the larger
// of those set. `invalid` names one set that is not a whole number of at least 1: then everything
// is kept.
struct KeepRule {
  std::optional<std::size_t> count;
  std::string invalid;
};

KeepRule keepRule(TIni& ini, const std::vector<std::string>& keys) {
  KeepRule rule;
  for (const std::string& key : keys) {
    const std::string text = ini.Get("CONFIG", key).text();
    if (text.empty()) continue;
    const auto count = keepCount(text);
    if (!count) return {std::nullopt, key + "=" + text};
    rule.count = std::max(rule.count.value_or(0), *count);
  }
  return rule;
}

// Deletes the folder's archives beyond those the keep values ask for, and says what it keeps
// against them. `keys`: the run's own destination's and, where both destinations share the folder
// and so their archives cannot be told apart, the other's too.
void pruneAsAsked(BackupHost& host, TIni& ini, const std::vector<std::string>& keys,
                  const std::string& folder, const std::string& ownArchive,
                  const std::string& timestamp) {
  KeepRule rule;
  if (!settingsRead(host, [&] { rule = keepRule(ini, keys); })) return;
  if (!rule.invalid.empty()) {
    platform::writeDiagnostic(platform::Diagnostic::warning,
                              timestamp + ": " + rule.invalid +
                                  " is not a whole number of at least 1: no archive is deleted\n");
    return;
  }
  if (!rule.count) return;
  std::string later;
  for (const auto& name : pruneArchives(folder, *rule.count, ownArchive))
    later += (later.empty() ? "" : ", ") + name;
  if (!later.empty())
    platform::writeDiagnostic(platform::Diagnostic::warning,
                              timestamp + ": archives in " + folder +
                                  " dated after this run are kept and not counted among the " +
                                  std::to_string(*rule.count) +
                                  " newest (move them away if the clock once ran ahead): " + later +
                                  "\n");
}
}  // namespace

Value DOBACKUP() {
  return DOBACKUP(machineHost());
}

Value DOBACKUP(BackupHost& host) {
  const Value absent;  // the declared parameter no caller passes
  Value day, month, year, clock, hours, minutes, seconds, baseName, timestamp, previousStatus,
      primaryFolder, secondaryFolder;
  Frame frame("DOBACKUP", "quolmerBackup", {},
              {&absent, &day, &month, &year, &clock, &hours, &minutes, &seconds, &baseName,
               &timestamp, &previousStatus, &primaryFolder, &secondaryFolder});
  std::shared_ptr<TIni> OINI;
  std::string CCOMMAND, CSQL, CZIP;
  DumpNames names;
  const JobState job = jobState();
  const platform::Shell shell = platform::commandShell();
  const std::string iniName = job.baseFolder + "backup.ini";
  const DumpClient client = dumpClient(shell, job.baseFolder);

  // Everything one clock reading gives: date, time, base name, timestamp.
  platform::LocalTime reading;
  const auto readClock = [&] {
    reading = host.now();
    day = reading.day;
    month = reading.month;
    year = reading.year;
    clock = clockText(reading);
    hours = clock.text().substr(0, 2);
    minutes = clock.text().substr(3, 2);
    seconds = clock.text().substr(6, 2);
    const NameStamp stamp{reading.year, reading.month,  reading.day,
                          hours.text(), minutes.text(), seconds.text()};
    baseName = backupBaseName(stamp);
    timestamp = backupTimestamp(stamp);
  };
  const Value& folder = job.destinationNumber == 1 ? primaryFolder : secondaryFolder;
  const auto buildNames = [&] {
    names = dumpNames(shell, client, folder.text(), baseName.text());
    CCOMMAND = names.command;
    CSQL = names.sql;
    CZIP = names.zip;
  };
  // Two runs started in the same second into the same folder would share a dump file: the name
  // is taken by creating the file, and is held while any entry stands at the dump's or the
  // archive's name, whatever it is. A name found taken is built again from a later second.
  std::string claimFailure;
  const auto claimDumpName = [&]() -> std::unique_ptr<platform::ClaimedFile> {
    for (int attempt = 0; attempt <= kClaimSeconds; ++attempt) {
      if (attempt > 0) {
        host.waitForNextSecond(reading);
        readClock();
        buildNames();
      }
      if (auto claimed = platform::ClaimedFile::create(CSQL)) {
        // With the dump of that base name claimed, a file at the temporary name is a stopped
        // run's leftover; an entry that stays there, such as a folder, holds the name as well.
        if (platform::nameTaken(names.temporary)) platform::deleteFile(names.temporary);
        if (!platform::nameTaken(CZIP) && !platform::nameTaken(names.temporary)) return claimed;
        claimed.reset();
        platform::deleteFile(CSQL);
        continue;
      }
      const std::string why = platform::lastErrorText();  // before the tests below change it
      if (!platform::nameTaken(CSQL) && !platform::nameTaken(CZIP)) {
        claimFailure = "cannot create " + CSQL + ": " + why;
        return nullptr;  // the folder cannot take the dump at all
      }
    }
    claimFailure = "no free name for the dump in a minute of tries";
    return nullptr;
  };
  const std::string dumpFailed =
      "No se ha generado el respaldo " + job.destinationName + " Mysql no conectado o no instalado";
  const std::string zipFailed =
      "No se ha generado el zip " + job.destinationName + " verifique la carpeta destino";
  // Records a failure and ends the run with exit code 2.
  const auto fail = [&](const std::string& status, const std::string& reason) -> Value {
    const bool recorded = recordStatus(host, OINI, status);
    endWithoutSuccess(
        status + ": " + reason +
        (recorded ? "" : "; not recorded in " + iniName + ": " + platform::lastErrorText()));
    return false;
  };

  QB_AT(frame);
  readClock();
  QB_AT(frame);
  primaryFolder = "";
  secondaryFolder = "";
  QB_AT(frame);
  if (platform::fileExists(iniName)) {
    QB_AT(frame);
    OINI = TIni::New(iniName);
    QB_AT(frame);
    const bool read = settingsRead(host, [&] {
      previousStatus = OINI->Get("RESULT", "lastrun", "");
      primaryFolder = OINI->Get("CONFIG", "principal.data", "");
      // A folder the dump command cannot carry, such as one with a letter the code page lacks, is
      // not copied into the file, where it would stand mangled once the code page is mended.
      if (!folderFitsCommand(shell, primaryFolder.text())) OINI->lAutoSet = false;
      secondaryFolder = OINI->Get("CONFIG", "secundario.data", primaryFolder);
    });
    if (!read) {
      endWithoutSuccess("No backup made and nothing recorded: cannot read " + iniName + ": " +
                        platform::lastErrorText());
      return false;
    }
  }
  QB_AT(frame);
  buildNames();
  // Without a folder the names would begin at the root of the drive.
  const std::string folderKey = job.destinationNumber == 1 ? "principal" : "secundario";
  const std::string folderProblem =
      folder.text().empty() ? "no folder in " + folderKey + ".data of " + iniName
      : !folderFitsCommand(shell, folder.text())
          ? "the folder " + folder.text() + " holds characters the dump command cannot carry"
      : !folderFitsCommand(shell, client.optionFile)
          ? "the option file " + client.optionFile + " has a name the dump command cannot carry"
          : std::string();
  if (!folderProblem.empty()) {
    QB_AT(frame);  // tests/report: a run without backup.ini fails here
    return fail(dumpFailed, folderProblem);
  }
  removeLeftovers(folder.text());
  std::unique_ptr<platform::ClaimedFile> dumpFile;
  std::unique_ptr<DumpPacker> packer;
  std::string problem;
  // One dump into a name this run claims, packed while the client writes it when `alongside`;
  // false when no name could be claimed. Only a client that succeeded and wrote its closing line
  // into the very file this run created made a dump: else `problem` says why.
  const auto dump = [&](bool alongside) {
    dumpFile = claimDumpName();
    if (!dumpFile) return false;
    dumpFile->hold();
    if (alongside) {
      packer = host.startPacking(names.temporary, CSQL);
      platform::setHidden(names.temporary, true);
    }
    problem = dumpProblem(host.runDump(CCOMMAND, *dumpFile), *dumpFile);
    return true;
  };
  // A failed dump leaves nothing a user could take for a backup; false when its file stays. Its
  // packer is stopped by then.
  const auto discardDump = [&] {
    platform::deleteFile(names.temporary);
    return !dumpFile->stillNamed() || deleteOwn(host, CSQL);
  };
  QB_AT(frame);
  bool claimed = dump(true);
  if (claimed && !problem.empty()) {
    packer.reset();
    // Room for the dump but not for the archive growing beside it: the client ran short of the
    // room the archive took. Made again alone and packed once complete, the dump stays where the
    // archive cannot be made, as any complete dump does.
    if (archiveTookTheRoom(folder.text(), names.temporary)) {
      discardDump();
      QB_AT(frame);
      claimed = dump(false);
    }
  }
  if (!claimed) {
    QB_AT(frame);
    return fail(dumpFailed, claimFailure);
  }
  Finished finished;
  if (problem.empty()) {
    QB_AT(frame);
    finished = finishArchive(host, folder.text(), names, std::move(packer));
    problem = finished.dumpProblem;
  }
  if (!problem.empty()) {
    if (!discardDump())
      problem +=
          "; the partial dump " + CSQL + " could not be deleted: " + platform::lastErrorText();
    QB_AT(frame);
    return fail(dumpFailed, problem);
  }
  if (!finished.archiveProblem.empty()) {
    platform::deleteFile(names.temporary);
    QB_AT(frame);
    return fail(zipFailed, finished.archiveProblem);
  }
  // The file systems of USB disks keep no Unix modes (or ignore them): a backup there beats none,
  // but who may read it is the mount's to say.
  if (const auto mode = platform::unixMode(CZIP); mode && (*mode & 077) != 0) {
    char octal[8];
    std::snprintf(octal, sizeof octal, "%04o", *mode);
    platform::writeDiagnostic(
        platform::Diagnostic::warning,
        timestamp.text() + ": the archive " + CZIP + " has the permissions of its mount (" + octal +
            "), not 0600: the file system of " + folder.text() + " does not keep them\n");
  }
  dumpFile.reset();
  QB_AT(frame);
  const bool recorded = recordStatus(host, OINI, timestamp.text());
  if (!recorded)
    endWithoutSuccess(timestamp.text() + ": the backup " + CZIP +
                      " was made, but not recorded in " + iniName + ": " +
                      platform::lastErrorText());
  QB_AT(frame);
  // Gone for good, so that a power cut now cannot bring back an empty dump beside its archive.
  if (!deleteOwn(host, CSQL)) {
    platform::writeDiagnostic(platform::Diagnostic::warning,
                              timestamp.text() + ": the dump " + CSQL +
                                  " could not be deleted: " + platform::lastErrorText() +
                                  "; a later run deletes it once it has checked the archive\n");
  } else if (!platform::syncFolder(folder.text())) {
    platform::writeDiagnostic(platform::Diagnostic::warning,
                              timestamp.text() + ": the deletion of the dump " + CSQL +
                                  " could not be forced to disk: " + platform::lastErrorText() +
                                  "\n");
  } else if (recorded) {
    // Old archives go only after a run that did everything it should.
    std::vector<std::string> keys{folderKey + ".keep"};
    if (primaryFolder.text() == secondaryFolder.text())
      keys.push_back(job.destinationNumber == 1 ? "secundario.keep" : "principal.keep");
    pruneAsAsked(host, *OINI, keys, folder.text(), baseName.text() + ".zip", timestamp.text());
  }
  return {};
}

}  // namespace qb
