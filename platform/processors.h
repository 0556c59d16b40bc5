#pragma once
// The processors this process may run on.

namespace qb::platform {

// How many processors the process's affinity allows (a taskset, a cpuset, a job's limit), at
// least 1: a machine's count of processors overstates what a pinned process can use.
unsigned usableProcessors();

}  // namespace qb::platform
