#include "probes/start_stamp.h"

#include "platform/clock.h"
#include "runtime/module_state.h"
#include "runtime/value.h"

namespace qb {

namespace {
ModuleStatic<StartStamp> g_stamp(StateOf::Program);
}

void recordStartStamp() {
  const platform::LocalTime now = platform::localNow();
  g_stamp->julian = Date::fromYmd(now.year, now.month, now.day).julian;
  g_stamp->seconds = now.hour * 3600.0 + now.minute * 60.0 + now.second + now.millis / 1000.0;
}

const StartStamp& startStamp() {
  return *g_stamp;
}

}  // namespace qb
