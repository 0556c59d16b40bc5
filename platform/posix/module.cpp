#include "platform/module.h"

#include <limits.h>
#include <unistd.h>

namespace qb::platform {

std::string modulePath() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

}  // namespace qb::platform
