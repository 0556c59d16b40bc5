#include "process/launcher.h"

#include "platform/posix/process.h"

namespace qb {

std::int32_t runHidden(const std::string& commandLine, const platform::ClaimedFile* output) {
  return platform::runAndWait(commandLine, output);
}

void startViewer(const std::string& commandLine) {
  platform::startDetached(commandLine);
}

}  // namespace qb
