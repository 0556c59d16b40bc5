#include "job/job_state.h"

#include "runtime/module_state.h"

namespace qb {

namespace {
// Three statics of the module, as the error report counts them.
ModuleStatic<std::string> g_destinationName(StateOf::Program);
ModuleStatic<int> g_destinationNumber(StateOf::Program, 0);
ModuleStatic<std::string> g_baseFolder(StateOf::Program);
}  // namespace

JobState jobState() {
  return {*g_destinationName, *g_destinationNumber, *g_baseFolder};
}

void setJobState(const JobState& state) {
  *g_destinationName = state.destinationName;
  *g_destinationNumber = state.destinationNumber;
  *g_baseFolder = state.baseFolder;
}

}  // namespace qb
