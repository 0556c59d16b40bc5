#include "runtime/neterr.h"

#include "runtime/module_state.h"

namespace qb {

namespace {
ModuleStatic<bool> g_netErr(StateOf::Runtime, false);
}

bool NETERR() {
  return *g_netErr;
}
void NETERR(bool failed) {
  *g_netErr = failed;
}

}  // namespace qb
