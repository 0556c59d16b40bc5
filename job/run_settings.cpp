#include "job/run_settings.h"

#include "job/backup_names.h"

namespace qb {

RunSettings readRunSettings(BackupHost& host, const std::string& iniName, platform::Shell shell) {
  RunSettings s{TIni::New(iniName), {}, {}, {}, false};
  s.unreadable = !retried(host, [&] {
    bool last = false, primary = false, secondary = false;
    s.previousStatus = s.ini->Get("RESULT", "lastrun", "", {}, &last);
    s.primaryFolder = s.ini->Get("CONFIG", "principal.data", "", {}, &primary);
    // A folder the dump command cannot carry, such as one with a letter the code page lacks, is
    // not copied into the file, where it would stand mangled once the code page is mended.
    if (!folderFitsCommand(shell, s.primaryFolder.text())) s.ini->lAutoSet = false;
    s.secondaryFolder = s.ini->Get("CONFIG", "secundario.data", s.primaryFolder, {}, &secondary);
    return last && primary && secondary;
  });
  return s;
}

}  // namespace qb
