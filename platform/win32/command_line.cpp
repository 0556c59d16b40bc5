#include "platform/win32/command_line.h"

#include <windows.h>

namespace qb::platform {

std::string commandLine() {
  const char* line = GetCommandLineA();
  return line ? std::string(line) : std::string();
}

}  // namespace qb::platform
