#pragma once
// Facts about the machine and the running program that the error report describes.

#include <cstdint>
#include <string>
#include <vector>

namespace qb::platform {

// The running executable's module handle (its load address).
std::uintptr_t moduleHandle();

// The full path of the module's file as the system returns it into a buffer of `capacity` bytes
// (NUL included); "" when unknown.
std::string moduleFileName(std::uintptr_t module, std::uint32_t capacity);

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
