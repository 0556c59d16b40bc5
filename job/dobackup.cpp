#include "job/dobackup.h"

#include "runtime/frames.h"

namespace qb {

// The run's steps arrive with the launcher, settings and archiver; until then it only shows in
// the call stack.
Value DOBACKUP() {
  Frame frame("DOBACKUP", "quolmerBackup");
  QB_AT(frame);
  return {};
}

}  // namespace qb
