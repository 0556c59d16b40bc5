#pragma once
// The error report: what failed and where, the call stack, the machine, the variables of every
// active routine, the tables, the classes and the memory, as CR LF lines.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/probes.h"
#include "runtime/error.h"

namespace qb {

// What the report says about the machine and the moment, asked of the probes.
struct MachineFacts {
  std::string path;  // the executable
  std::uint64_t size = 0;
  std::string elapsed;
  std::string date, time;  // "mm/dd/yy", "hh:mm:ss"
  std::string cpu;
  int cpuSpeed = 0;
  std::int64_t memory = 0;
  std::string compiler;
  platform::SystemVersion version;
  std::vector<std::string> tasks;
};

MachineFacts gatherFacts();

// The report text (without the end-of-file byte). Call levels count from the caller, which is
// the handler at level 0 under the hook at level 1: the routines from level 2 are listed.
std::string composeReport(const ErrorRecord& error, const MachineFacts& facts);

// A size in the picture "9,999,999 bytes"; asterisks when it does not fit.
std::string sizePicture(std::uint64_t size);

}  // namespace qb
