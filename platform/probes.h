#pragma once
// Facts about the machine that the error report describes, each side answering in its own terms.

#include <cstdint>
#include <string>
#include <vector>

namespace qb::platform {

// The high-resolution counter: ticks per second (0 without one) and the current tick.
std::int64_t counterFrequency();
std::int64_t counterNow();

// The processor's time-stamp counter.
std::uint64_t timeStampCounter();

// The processor's name as the system keeps it, leading blanks included; "" when it cannot be
// read. Windows: the registry's ProcessorNameString, read through TReg32; Linux: the first
// "model name" of /proc/cpuinfo.
std::string processorName();

// Total physical memory in bytes. Windows: what GlobalMemoryStatus tells this program, as the
// signed 32-bit number a 32-bit program reads (2 GiB and more come out negative); Linux: all of
// it.
std::int64_t physicalMemory();

// The system's version: its release numbers and the words after them (Windows: the service
// pack, "" without one; Linux: the kernel's name and release).
struct SystemVersion {
  long major = 0, minor = 0, build = 0;
  std::string detail;
};
SystemVersion systemVersion();

// True on the NT family of Windows.
bool isNtFamily();

// Titles of the windows of the same kind as the calling thread's active window, in Z order,
// from the first; empty without an active window.
std::vector<std::string> windowTitles();

}  // namespace qb::platform
