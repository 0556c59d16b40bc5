#pragma once
// The job module's state: set once by TESTIT, read by DOBACKUP.

#include <string>

namespace qb {

struct JobState {
  std::string destinationName;  // "principal" or "secundario"
  int destinationNumber = 0;    // 1 selects the primary folder, anything else the secondary
  std::string baseFolder;       // the executable's folder, ending with its separator
};

JobState jobState();
void setJobState(const JobState& state);

}  // namespace qb
