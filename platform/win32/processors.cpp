#include "platform/processors.h"

#include <windows.h>

#include <bit>
#include <cstdint>

namespace qb::platform {

unsigned usableProcessors() {
  DWORD_PTR process = 0, system = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) && process != 0)
    return static_cast<unsigned>(std::popcount(static_cast<std::uintptr_t>(process)));
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors > 0 ? info.dwNumberOfProcessors : 1;
}

}  // namespace qb::platform
