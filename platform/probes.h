#pragma once
// Facts about the machine that the error report describes.

#include <cstdint>
#include <string>
#include <vector>

namespace qb::platform {

// The high-resolution counter: ticks per second (0 without one) and the current tick.
std::int64_t counterFrequency();
std::int64_t counterNow();

// The processor's time-stamp counter.
std::uint64_t timeStampCounter();

// Total physical memory in bytes as a 32-bit program is told it.
std::uint32_t totalPhysicalMemory();

struct OsVersion {
  long major = 0, minor = 0, build = 0, platformId = 0;
  std::string servicePack;
};
OsVersion osVersion();

// True on the NT family of Windows.
bool isNtFamily();

// Titles of the windows of the same kind as the calling thread's active window, in Z order,
// from the first; empty without an active window.
std::vector<std::string> windowTitles();

// OEM code page to ANSI, byte for byte (the text holds no NUL).
std::string oemToAnsi(const std::string& text);

}  // namespace qb::platform
