#pragma once
// The dump client a run starts, and the option file it hands it.

#include <functional>
#include <string>

#include "platform/process.h"
#include "platform/search_path.h"

namespace qb {

struct DumpClient {
  std::string program;     // as the command line names it
  std::string optionFile;  // the program's own mysqldump.cnf where one stands; else empty
};

// On Windows XAMPP's client. Natively XAMPP's where it is installed, else the distribution's on
// the search path: mysqldump, or mariadb-dump where only that is there; XAMPP's again when there
// is none, so that the shell says what is missing. The option file is baseFolder's mysqldump.cnf
// when the existence test finds it.
DumpClient dumpClient(
    platform::Shell shell, const std::string& baseFolder,
    const std::function<std::string(const std::string&)>& findProgram = platform::findProgram);

}  // namespace qb
