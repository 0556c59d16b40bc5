#include "runtime/neterr.h"

namespace qb {

namespace {
bool g_netErr = false;
}

bool NETERR() {
  return g_netErr;
}
void NETERR(bool failed) {
  g_netErr = failed;
}

}  // namespace qb
