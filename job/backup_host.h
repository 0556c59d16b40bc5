#pragma once
// What the backup run asks of the machine besides files and settings: the clock, the dump client
// and the archiver. Tests hand the run their own.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "archive/dump_packer.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace qb {

class BackupHost {
 public:
  virtual ~BackupHost() = default;
  // One reading of the local date and time.
  virtual platform::LocalTime now() = 0;
  // Returns once the clock has passed into the second after the reading.
  virtual void waitForNextSecond(const platform::LocalTime& reading) = 0;
  // Runs the dump command hidden and waits for it; its exit code, -1 when it did not start. The
  // dump file is the command's standard output where the line does not redirect for itself.
  virtual std::int32_t runDump(const std::string& command, const platform::ClaimedFile& dump) = 0;
  // Starts packing the dump file into a new archive while the client writes it; null when that
  // cannot start.
  virtual std::unique_ptr<DumpPacker> startPacking(const std::string& zip,
                                                   const std::string& sql) = 0;
  // Packs the finished dump file from its start into a new archive: its size and CRC-32 when the
  // archive, read back, holds it exactly; the system's words when a write of it failed.
  virtual PackedDump packFinished(const std::string& zip, const std::string& sql) = 0;
  // Lets time pass between two tries of something another program may be holding.
  virtual void pause(std::chrono::milliseconds time) = 0;
};

// Tries until the attempt succeeds or about five seconds have passed: scanners, editors and sync
// tools let go of a file quickly. The last try's result: a truth, or a platform::Outcome with its
// reason.
template <typename Attempt>
auto retried(BackupHost& host, Attempt attempt) {
  constexpr int kTries = 21;
  for (int tried = 1;; ++tried) {
    auto result = attempt();
    if (result || tried == kTries) return result;
    host.pause(std::chrono::milliseconds(250));
  }
}

// The real one: the local clock, WAITRUN and the archiver's packing of a dump.
BackupHost& machineHost();

}  // namespace qb
