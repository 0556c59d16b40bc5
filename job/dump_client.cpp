#include "job/dump_client.h"

#include "platform/files.h"

namespace qb {

namespace {
constexpr const char* kXamppClient = "/opt/lampp/bin/mysqldump";
}

DumpClient dumpClient(platform::Shell shell, const std::string& baseFolder,
                      const std::function<std::string(const std::string&)>& findProgram) {
  DumpClient client;
  if (shell == platform::Shell::Cmd) {
    client.program = "c:\\xampp\\mysql\\bin\\mysqldump.exe";
  } else {
    for (const char* name : {kXamppClient, "mysqldump", "mariadb-dump"}) {
      client.program = findProgram(name);
      if (!client.program.empty()) break;
    }
    if (client.program.empty()) client.program = kXamppClient;
  }
  const std::string optionFile = baseFolder + "mysqldump.cnf";
  if (platform::fileExists(optionFile)) client.optionFile = optionFile;
  return client;
}

}  // namespace qb
