#include "job/job_state.h"

namespace qb {

JobState& jobState() {
  static JobState state;
  return state;
}

void resetJobState() { jobState() = JobState{}; }

}  // namespace qb
