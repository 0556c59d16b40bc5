#include "job/information.h"

#include "job/dump_client.h"
#include "job/testit.h"
#include "platform/module.h"

namespace qb {

namespace {
std::string usage() {
  const std::string folder = folderOf(platform::executablePath());
  const DumpClient client = dumpClient(platform::commandShell(), folder);
  return "Usage: quolmerBackup [1 | principal | 2 | secundario]\n"
         "       quolmerBackup --help | --version\n"
         "\n"
         "Makes one backup of the MySQL database quolmer and ends: dumps it into a dated .sql\n"
         "file in a destination folder, packs that into a .zip of the same name, deletes the\n"
         ".sql and records the outcome as lastrun in backup.ini. --help and --version start no\n"
         "backup.\n"
         "\n"
         "  1, principal or none   into the folder of principal.data in backup.ini\n"
         "  2 or secundario        into the folder of secundario.data (principal.data's when\n"
         "                         that key is missing)\n"
         "  any other argument     as none\n"
         "\n"
         "Beside the program, in " +
         folder +
         ":\n"
         "  backup.ini             [CONFIG] principal.data, secundario.data and, to keep only\n"
         "                         the newest archives, principal.keep, secundario.keep;\n"
         "                         [RESULT] lastrun\n"
         "  mysqldump.cnf          the dump client's option file (password, dump options),\n"
         "                         passed to it first where it stands: " +
         (client.optionFile.empty() ? "not there" : "there") +
         "\n"
         "Dump client: " +
         client.program +
         "\n"
         "  (XAMPP's /opt/lampp/bin/mysqldump where it is installed, else mysqldump or\n"
         "  mariadb-dump on the search path)\n"
         "\n"
         "Exit codes:\n"
         "  0  a backup made and recorded\n"
         "  2  no backup made, or its status not recorded; why, on standard error\n"
         "  1  a runtime error, reported in Error.log in the current folder\n";
}
}  // namespace

std::optional<std::string> informationAsked(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    if (argument == "--help") return usage();
    if (argument == "--version") return "quolmerBackup " QB_VERSION "\n";
  }
  return std::nullopt;
}

}  // namespace qb
