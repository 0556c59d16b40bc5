#include "archive/deflate_threads.h"

#include <algorithm>
#include <system_error>

#include "platform/processors.h"

namespace qb {

DeflateThreads& deflateThreads() {
  static DeflateThreads threads{std::clamp(platform::usableProcessors(), 1u, 16u),
                                [](std::thread& thread, std::function<void()> work) {
                                  try {
                                    thread = std::thread(std::move(work));
                                    return true;
                                  } catch (const std::system_error&) {
                                    return false;
                                  }
                                }};
  return threads;
}

}  // namespace qb
