#include "job/run_settings.h"

#include "job/backup_names.h"

namespace qb {

RunSettings readRunSettings(BackupHost& host, const std::string& iniName, platform::Shell shell) {
  RunSettings s{TIni::New(iniName), {}, {}, {}, {}};
  retried(host, [&] {
    std::string last, primary, secondary;
    s.previousStatus = s.ini->Get("RESULT", "lastrun", "", {}, &last);
    s.primaryFolder = s.ini->Get("CONFIG", "principal.data", "", {}, &primary);
    // A folder the dump command cannot carry, such as one with a letter the code page lacks, is
    // not copied into the file, where it would stand mangled once the code page is mended.
    if (!folderFitsCommand(shell, s.primaryFolder.text())) s.ini->lAutoSet = false;
    s.secondaryFolder = s.ini->Get("CONFIG", "secundario.data", s.primaryFolder, {}, &secondary);
    // The latest failure's words.
    s.unreadable = !secondary.empty() ? secondary : !primary.empty() ? primary : last;
    return s.unreadable.empty();
  });
  return s;
}

}  // namespace qb
