#include "job/backup_host.h"

#include <chrono>
#include <thread>

#include "process/launcher.h"

namespace qb {

namespace {
class MachineHost : public BackupHost {
 public:
  platform::LocalTime now() override { return platform::localNow(); }
  void waitForNextSecond(const platform::LocalTime& reading) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(1001 - reading.millis));
  }
  std::int32_t runDump(const std::string& command, const platform::ClaimedFile& dump) override {
    return runHidden(command, &dump);
  }
  std::unique_ptr<DumpPacker> startPacking(const std::string& zip,
                                           const std::string& sql) override {
    return DumpPacker::start(zip, sql);
  }
  PackedDump packFinished(const std::string& zip, const std::string& sql) override {
    return packFinishedDump(zip, sql);
  }
  void pause(std::chrono::milliseconds time) override { std::this_thread::sleep_for(time); }
};
}  // namespace

BackupHost& machineHost() {
  static MachineHost host;
  return host;
}

}  // namespace qb
