#include "job/run_status.h"

#include "platform/console.h"
#include "platform/outcome.h"
#include "runtime/error.h"
#include "runtime/quit.h"

namespace qb {

namespace {
// Writes lastrun through OINI, again for a few seconds while the file refuses it. Without a
// settings file that variable was never created, and reading it is the runtime error.
platform::Outcome recordStatus(BackupHost& host, const std::shared_ptr<TIni>& OINI,
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
  platform::Outcome recorded;
  retried(host, [&] { return OINI->Set("RESULT", "lastrun", status, &recorded.why).logical(); });
  return recorded;
}
}  // namespace

Value endWithoutSuccess(const std::string& line) {
  platform::writeDiagnostic(platform::Diagnostic::failure, line + "\n");
  ERRORLEVEL(2);
  return false;
}

Value recordFailure(BackupHost& host, const std::shared_ptr<TIni>& OINI, const std::string& status,
                    const std::string& reason) {
  const platform::Outcome recorded = recordStatus(host, OINI, status);
  return endWithoutSuccess(
      status + ": " + reason +
      (recorded ? "" : "; not recorded in " + OINI->cIniFile.text() + ": " + recorded.why));
}

bool recordBackup(BackupHost& host, const std::shared_ptr<TIni>& OINI, const std::string& timestamp,
                  const std::string& archive) {
  const platform::Outcome recorded = recordStatus(host, OINI, timestamp);
  if (recorded) return true;
  endWithoutSuccess(timestamp + ": the backup " + archive + " was made, but not recorded in " +
                    OINI->cIniFile.text() + ": " + recorded.why);
  return false;
}

}  // namespace qb
