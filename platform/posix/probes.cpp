#include "platform/probes.h"

#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <time.h>

#include <algorithm>
#include <cstdlib>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace qb::platform {

std::int64_t counterFrequency() {
  return 1'000'000'000;
}

std::int64_t counterNow() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

std::uint64_t timeStampCounter() {
#if defined(__x86_64__) || defined(__i386__)
  return __rdtsc();
#else
  return 0;  // no time-stamp counter: the speed probe gives 0
#endif
}

// A 32-bit Windows program that is not large-address aware is told at most 2^31 - 1 bytes;
// the same ceiling here.
constexpr std::uint64_t kMemoryCeiling = 0x7FFFFFFF;

std::uint32_t totalPhysicalMemory() {
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return 0;
  const std::uint64_t total = static_cast<std::uint64_t>(info.totalram) * info.mem_unit;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(total, kMemoryCeiling));
}

// The kernel's release numbers stand for the Windows version; the system's name and release
// text for the service-pack text.
OsVersion osVersion() {
  utsname u{};
  if (uname(&u) != 0) return {};
  OsVersion v;
  char* p = u.release;
  long* parts[] = {&v.major, &v.minor, &v.build};
  for (long* part : parts) {
    *part = std::strtol(p, &p, 10);
    if (*p != '.') break;
    ++p;
  }
  v.servicePack = std::string(u.sysname) + " " + u.release;
  return v;
}

// Today's systems: the layout of the NT family.
bool isNtFamily() {
  return true;
}

// No windowing here: no active window, no titles.
std::vector<std::string> windowTitles() {
  return {};
}

// No OEM code page here: bytes pass unchanged.
std::string oemToAnsi(const std::string& text) {
  return text;
}

}  // namespace qb::platform
