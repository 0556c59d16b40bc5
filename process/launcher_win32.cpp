#include "process/launcher.h"

#include "platform/win32/process.h"
#include "process/sysrefresh.h"
#include "process/waitrun.h"

namespace qb {

namespace {
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWNA = 8;

// The optional second argument as an integer kept to 16 bits; 0 (SW_HIDE) when it is not a number.
int showState(std::span<const Value> params, int withoutSecond) {
  if (params.size() < 2) return withoutSecond;
  return params[1].isNumber() ? toInt32(params[1].number()) & 0xFFFF : SW_HIDE;
}
}  // namespace

std::int32_t WAITRUN(std::span<const Value> params) {
  if (params.empty() || !params[0].isText() || params[0].text().empty()) return -1;
  return platform::runAndWait(params[0].text(), showState(params, SW_SHOWNA), [] { SYSREFRESH(); });
}

std::int32_t WINEXEC(std::span<const Value> params) {
  const std::string command = params.empty() ? std::string() : params[0].text();
  return platform::winExec(command, showState(params, SW_SHOWNORMAL));
}

// CMD's line names the dump file itself: nothing is handed to it.
std::int32_t runHidden(const std::string& commandLine, const platform::ClaimedFile*) {
  const Value params[] = {Value(commandLine), Value(SW_HIDE)};
  return WAITRUN(params);
}

void startViewer(const std::string& commandLine) {
  // WinExec's answer is not looked at: the viewer deals with what it finds.
  const Value command = commandLine;
  WINEXEC({&command, 1});
}

}  // namespace qb
