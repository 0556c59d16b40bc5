#include "job/backup_host.h"

#include <chrono>
#include <thread>

#include "archive/ziparc.h"
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
    const Value params[] = {Value(command), Value(0)};  // 0: hidden
    return WAITRUN(params, &dump);
  }
  void pack(const std::string& zip, const std::string& sql) override {
    const Value params[] = {Value(zip), Value(sql)};
    HB_ZIPFILE(params);
  }
};
}  // namespace

BackupHost& machineHost() {
  static MachineHost host;
  return host;
}

}  // namespace qb
