#include "runtime/quit.h"

namespace qb {

namespace {
int g_errorLevel = 0;
}

int ERRORLEVEL() {
  return g_errorLevel;
}
void ERRORLEVEL(int level) {
  g_errorLevel = level;
}
void QUIT() {
  throw QuitRequest{};
}

}  // namespace qb
