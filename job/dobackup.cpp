#include "job/dobackup.h"

#include <memory>
#include <optional>

#include "archive/archive_check.h"
#include "archive/file_digest.h"
#include "job/backup_names.h"
#include "job/closing_line.h"
#include "job/job_state.h"
#include "platform/files.h"
#include "runtime/error.h"
#include "runtime/frames.h"
#include "settings/tini.h"

namespace qb {

namespace {
// Runs that collide on a name wait for the next second this many times at most.
constexpr int kClaimAttempts = 5;

// The status goes through OINI. Without a settings file that variable was never created, and
// reading it is the runtime error; a retry reads it again.
void recordStatus(const std::shared_ptr<TIni>& OINI, const std::string& status) {
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
  OINI->Set("RESULT", "lastrun", status);
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
  const JobState job = jobState();
  const platform::Shell shell = platform::commandShell();

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
    DumpNames names = dumpNames(shell, folder.text(), baseName.text());
    CCOMMAND = std::move(names.command);
    CSQL = std::move(names.sql);
    CZIP = std::move(names.zip);
  };
  // Two runs started in the same second into the same folder would share a dump file: the name
  // is taken by creating the file, and is held while any entry stands at the dump's or the
  // archive's name, whatever it is. A name found taken is built again from a later second.
  const auto claimDumpName = [&]() -> std::unique_ptr<platform::ClaimedFile> {
    for (int attempt = 1; attempt <= kClaimAttempts; ++attempt) {
      if (attempt > 1) {
        host.waitForNextSecond(reading);
        readClock();
        buildNames();
      }
      if (auto claimed = platform::ClaimedFile::create(CSQL)) {
        if (!platform::nameTaken(CZIP)) return claimed;
        claimed.reset();
        platform::deleteFile(CSQL);
      } else if (!platform::nameTaken(CSQL) && !platform::nameTaken(CZIP)) {
        return nullptr;  // the folder cannot take the dump at all
      }
    }
    return nullptr;
  };
  const std::string dumpFailed =
      "No se ha generado el respaldo " + job.destinationName + " Mysql no conectado o no instalado";
  const std::string zipFailed =
      "No se ha generado el zip " + job.destinationName + " verifique la carpeta destino";

  QB_AT(frame);
  readClock();
  QB_AT(frame);
  primaryFolder = "";
  secondaryFolder = "";
  QB_AT(frame);
  if (const std::string iniName = job.baseFolder + "backup.ini"; platform::fileExists(iniName)) {
    QB_AT(frame);
    OINI = TIni::New(iniName);
    QB_AT(frame);
    previousStatus = OINI->Get("RESULT", "lastrun", "");
    QB_AT(frame);
    primaryFolder = OINI->Get("CONFIG", "principal.data", "");
    QB_AT(frame);
    secondaryFolder = OINI->Get("CONFIG", "secundario.data", primaryFolder);
  }
  QB_AT(frame);
  buildNames();
  QB_AT(frame);
  const std::unique_ptr<platform::ClaimedFile> dumpFile =
      folderFitsCommand(shell, folder.text()) ? claimDumpName() : nullptr;
  if (!dumpFile) {
    QB_AT(frame);  // tests/report: a run without backup.ini fails here
    recordStatus(OINI, dumpFailed);
    return false;
  }
  QB_AT(frame);
  const std::int32_t exitCode = host.runDump(CCOMMAND, *dumpFile);
  // Only a client that succeeded and wrote its closing line into the very file this run created
  // made a dump.
  QB_AT(frame);
  const bool dumped = exitCode == 0 && dumpFile->stillNamed() && dumpIsComplete(CSQL);
  const std::optional<FileDigest> dump = dumped ? digestFile(CSQL) : std::nullopt;
  if (!dump) {
    QB_AT(frame);
    recordStatus(OINI, dumpFailed);
    return false;
  }
  QB_AT(frame);
  host.pack(CZIP, CSQL);
  // The archiver does not report write errors: read the archive back before trusting it with
  // the only copy of the dump. The name was free when the run began, so what stands there now
  // is this run's own broken archive, which must not pass for a backup.
  QB_AT(frame);
  if (!platform::fileExists(CZIP) ||
      !archiveHoldsIntact(CZIP, baseName.text() + ".sql", dump->size, dump->crc32)) {
    platform::deleteFile(CZIP);
    QB_AT(frame);
    recordStatus(OINI, zipFailed);
    return false;
  }
  QB_AT(frame);
  recordStatus(OINI, timestamp.text());
  QB_AT(frame);
  platform::deleteFile(CSQL);
  return {};
}

}  // namespace qb
