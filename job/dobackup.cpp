#include "job/dobackup.h"

#include "job/dumping.h"
#include "job/finish_archive.h"
#include "job/folder_upkeep.h"
#include "job/job_state.h"
#include "job/run_settings.h"
#include "job/run_status.h"
#include "platform/files.h"
#include "runtime/frames.h"

namespace qb {

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
  const auto show = [&](const RunStamp& s) {
    day = s.reading.day, month = s.reading.month, year = s.reading.year, clock = s.clock;
    hours = s.hours, minutes = s.minutes, seconds = s.seconds;
    baseName = s.baseName, timestamp = s.timestamp;
  };
  const JobState job = jobState();
  const std::string iniName = job.baseFolder + "backup.ini";
  const std::string key = job.destinationNumber == 1 ? "principal" : "secundario";
  const std::string dumpFailed =
      "No se ha generado el respaldo " + job.destinationName + " Mysql no conectado o no instalado";
  const std::string zipFailed =
      "No se ha generado el zip " + job.destinationName + " verifique la carpeta destino";

  QB_AT(frame);
  const RunStamp start = runStamp(host.now());
  show(start);
  QB_AT(frame);
  primaryFolder = "";
  secondaryFolder = "";
  QB_AT(frame);
  RunSettings settings;
  if (platform::fileExists(iniName)) {
    QB_AT(frame);
    settings = readRunSettings(host, iniName, platform::commandShell());
    if (!settings.unreadable.empty())
      return endWithoutSuccess("No backup made and nothing recorded: cannot read " + iniName +
                               ": " + settings.unreadable);
    previousStatus = settings.previousStatus;
    primaryFolder = settings.primaryFolder;
    secondaryFolder = settings.secondaryFolder;
  }
  QB_AT(frame);
  const DumpPlan plan{platform::commandShell(),
                      dumpClient(platform::commandShell(), job.baseFolder),
                      (job.destinationNumber == 1 ? primaryFolder : secondaryFolder).text()};
  if (const std::string problem = folderProblem(plan, key + ".data of " + iniName);
      !problem.empty()) {
    QB_AT(frame);  // tests/report: a run without backup.ini fails here
    return recordFailure(host, settings.ini, dumpFailed, problem);
  }
  removeLeftovers(plan.folder);
  QB_AT(frame);
  Dumped dump = dumpWhilePacking(host, plan, start);
  show(dump.stamp);
  Finished finished;
  if (dump.file && dump.problem.empty()) {
    QB_AT(frame);
    finished =
        finishArchive(host, plan.folder, dump.names, std::move(dump.packer), dump.stamp.timestamp);
    dump.problem = finished.dumpProblem;
  }
  if (!dump.problem.empty()) {
    dump.problem += discardDump(host, dump);
    QB_AT(frame);
    return recordFailure(host, settings.ini, dumpFailed, dump.problem);
  }
  if (!finished.archiveProblem.empty()) {
    platform::deleteFile(dump.names.temporary);
    QB_AT(frame);
    return recordFailure(host, settings.ini, zipFailed, finished.archiveProblem);
  }
  dump.file.reset();
  QB_AT(frame);
  const bool recorded = recordBackup(host, settings.ini, timestamp.text(), dump.names.zip);
  QB_AT(frame);
  // Old archives go only after a run that did everything it should.
  if (deleteDump(host, dump, plan.folder) && recorded)
    pruneAsAsked(host, *settings.ini, key, primaryFolder.text() == secondaryFolder.text(),
                 plan.folder, baseName.text() + ".zip", timestamp.text());
  return {};
}

}  // namespace qb
