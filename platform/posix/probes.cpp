#include "platform/probes.h"

#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

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

std::string processorName() {
  std::ifstream in("/proc/cpuinfo");
  for (std::string line; std::getline(in, line);) {
    const auto colon = line.find(':');
    if (line.starts_with("model name") && colon != std::string::npos)
      return line.substr(std::min(colon + 2, line.size()));
  }
  return {};
}

std::int64_t physicalMemory() {
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return 0;
  return static_cast<std::int64_t>(info.totalram) * info.mem_unit;
}

// The kernel's release numbers, as far as the release begins with them (6.1.0-28-amd64).
SystemVersion systemVersion() {
  utsname u{};
  if (uname(&u) != 0) return {};
  SystemVersion v;
  char* p = u.release;
  for (long* part : {&v.major, &v.minor, &v.build}) {
    *part = std::strtol(p, &p, 10);
    if (*p != '.') break;
    ++p;
  }
  v.detail = std::string(u.sysname) + " " + u.release;
  return v;
}

// Linux is no Windows of any family (the error dialog, which shows no window here, takes the
// shorter layout).
bool isNtFamily() {
  return false;
}

// No windowing here: no active window, no titles.
std::vector<std::string> windowTitles() {
  return {};
}

}  // namespace qb::platform
