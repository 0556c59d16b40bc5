#include "archive/deflate_threads.h"

#include <algorithm>
#include <system_error>

namespace qb {

DeflateThreads& deflateThreads() {
  static DeflateThreads threads{std::clamp(std::thread::hardware_concurrency(), 1u, 16u),
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
