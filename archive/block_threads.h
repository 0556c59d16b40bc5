#pragma once
// The worker threads that run an entry's blocks: they deflate them while the entry is packed and
// inflate them again when the archive is checked. How many, and how each is started. A worker
// that cannot start leaves fewer; with none the calling thread does every block itself, so the
// archive is the same either way.

#include <functional>
#include <thread>

namespace qb {

struct BlockThreads {
  // How many to start: one per processor the process may run on, at most 16 (a 32-bit process
  // has little room). With one processor none: a worker could only take turns with the calling
  // thread, which then deflates every block itself.
  unsigned count;
  // Starts work on a new thread held by thread; false when it cannot be started.
  std::function<bool(std::thread& thread, std::function<void()> work)> start;
};

// The process's setting, read at each entry and each check; tests change it.
BlockThreads& blockThreads();

}  // namespace qb
