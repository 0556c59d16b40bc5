#include "platform/module.h"

#include <limits.h>
#include <link.h>
#include <unistd.h>

namespace qb::platform {

std::uintptr_t moduleHandle() {
  // The first object the loader lists is the executable; its load address stands for the handle.
  std::uintptr_t base = 0;
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* out) {
        *static_cast<std::uintptr_t*>(out) = info->dlpi_addr;
        return 1;
      },
      &base);
  return base;
}

std::string executablePath() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

}  // namespace qb::platform
