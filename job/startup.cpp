#include "job/startup.h"

#include "errors/errorsys.h"
#include "job/command_line.h"
#include "job/job_state.h"
#include "job/testit.h"
#include "platform/module.h"
#include "probes/start_stamp.h"
#include "runtime/quit.h"

namespace qb {

namespace {
std::vector<std::string>& vectorSlot() {
  static std::vector<std::string> slots;
  return slots;
}
}  // namespace

const std::vector<std::string>& argumentVector() {
  return vectorSlot();
}

std::vector<Value> procedureArguments(const std::vector<std::string>& slots) {
  std::vector<Value> params;
  for (std::size_t i = 1; i < slots.size(); ++i)
    if (!isRuntimeSwitch(slots[i])) params.emplace_back(slots[i]);
  return params;
}

int startProcess(std::vector<std::string> arguments) {
  auto& slots = vectorSlot();
  slots.assign(1, platform::executablePath());
  slots.insert(slots.end(), arguments.begin(), arguments.end());

  const std::vector<Value> params = procedureArguments(slots);
  try {
    resetJobState();
    ERRORSYS();
    recordStartStamp();
    TESTIT(params);
  } catch (const QuitRequest&) {
    // The orderly quit: the error level set before it is the exit code.
  }
  return ERRORLEVEL();
}

}  // namespace qb
