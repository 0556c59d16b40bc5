#include "runtime/quit.h"

#include "runtime/module_state.h"

namespace qb {

namespace {
ModuleStatic<int> g_errorLevel(StateOf::Runtime);
}

int ERRORLEVEL() {
  return *g_errorLevel;
}
void ERRORLEVEL(int level) {
  *g_errorLevel = level;
}
void QUIT() {
  throw QuitRequest{};
}

}  // namespace qb
