#pragma once
// The job module's state: set once by TESTIT, read by DOBACKUP.

#include <string>

namespace qb {

struct JobState {
  std::string destinationName;  // "principal" or "secundario"
  int destinationNumber = 0;    // 1 selects the primary folder, anything else the secondary
  std::string baseFolder;       // the executable's folder, ending with its separator
};

JobState& jobState();
// The module state at its initial, empty values (start-up step 1).
void resetJobState();

}  // namespace qb
