#include "archive/block_threads.h"

#include <algorithm>
#include <system_error>

#include "platform/processors.h"

namespace qb {

namespace {
unsigned defaultCount() {
  const unsigned processors = platform::usableProcessors();
  return processors > 1 ? std::min(processors, 16u) : 0u;
}

bool startThread(std::thread& thread, std::function<void()> work) {
  try {
    thread = std::thread(std::move(work));
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}
}  // namespace

BlockThreads& blockThreads() {
  static BlockThreads threads{defaultCount(), startThread};
  return threads;
}

}  // namespace qb
