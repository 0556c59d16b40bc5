#include "job/startup.h"

#include "errors/errorsys.h"
#include "job/command_line.h"
#include "job/testit.h"
#include "platform/module.h"
#include "probes/start_stamp.h"
#include "runtime/argument_vector.h"
#include "runtime/module_state.h"
#include "runtime/quit.h"

namespace qb {

std::vector<Value> procedureArguments(const std::vector<std::string>& slots) {
  std::vector<Value> params;
  for (std::size_t i = 1; i < slots.size(); ++i)
    if (!isRuntimeSwitch(slots[i])) params.emplace_back(slots[i]);
  return params;
}

int startProcess(std::vector<std::string> arguments) {
  resetModuleState();
  arguments.insert(arguments.begin(), platform::executablePath());
  setArgumentVector(std::move(arguments));

  const std::vector<Value> params = procedureArguments(argumentVector());
  try {
    ERRORSYS();
    recordStartStamp();
    TESTIT(params);
  } catch (const QuitRequest&) {
    // The orderly quit: the error level set before it is the exit code.
  }
  return ERRORLEVEL();
}

}  // namespace qb
