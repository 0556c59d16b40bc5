#include "job/run_status.h"

#include "platform/console.h"
#include "runtime/error.h"
#include "runtime/quit.h"

namespace qb {

std::string recordStatus(BackupHost& host, const std::shared_ptr<TIni>& OINI,
                         const std::string& status) {
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
  std::string why;
  retried(host, [&] { return OINI->Set("RESULT", "lastrun", status, &why).logical(); });
  return why;
}

Value endWithoutSuccess(const std::string& line) {
  platform::writeDiagnostic(platform::Diagnostic::failure, line + "\n");
  ERRORLEVEL(2);
  return false;
}

Value recordFailure(BackupHost& host, const std::shared_ptr<TIni>& OINI, const std::string& status,
                    const std::string& reason) {
  const std::string why = recordStatus(host, OINI, status);
  return endWithoutSuccess(
      status + ": " + reason +
      (why.empty() ? "" : "; not recorded in " + OINI->cIniFile.text() + ": " + why));
}

bool recordBackup(BackupHost& host, const std::shared_ptr<TIni>& OINI, const std::string& timestamp,
                  const std::string& archive) {
  const std::string why = recordStatus(host, OINI, timestamp);
  if (why.empty()) return true;
  endWithoutSuccess(timestamp + ": the backup " + archive + " was made, but not recorded in " +
                    OINI->cIniFile.text() + ": " + why);
  return false;
}

}  // namespace qb
