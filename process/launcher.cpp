#include "process/launcher.h"

#include "platform/process.h"
#include "process/sysrefresh.h"

namespace qb {

namespace {
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWNA = 8;

// The optional second argument as an integer kept to 16 bits; 0 (SW_HIDE) when it is not a number.
int showState(std::span<const Value> params, int withoutSecond) {
  if (params.size() < 2) return withoutSecond;
  return params[1].isNumber() ? toInt32(params[1].number()) & 0xFFFF : 0;
}
}  // namespace

std::int32_t WAITRUN(std::span<const Value> params, const platform::ClaimedFile* output) {
  if (params.empty() || !params[0].isText() || params[0].text().empty()) return -1;
  return platform::runAndWait(
      params[0].text(), showState(params, SW_SHOWNA), [] { SYSREFRESH(); }, output);
}

std::int32_t WINEXEC(std::span<const Value> params) {
  const std::string command = params.empty() ? std::string() : params[0].text();
  return platform::startDetached(command, showState(params, SW_SHOWNORMAL));
}

}  // namespace qb
