#include "probes/probes.h"

#include <optional>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/module.h"
#include "probes/probe_rules.h"
#include "probes/start_stamp.h"
#include "runtime/module_state.h"

namespace qb {

namespace {
ModuleStatic<std::optional<std::uintptr_t>> g_instance(StateOf::Program);
}

double GETINSTANCE() {
  if (!*g_instance) *g_instance = platform::moduleHandle();
  return static_cast<double>(**g_instance);
}

// The program is one module: the only handle it has to ask about is its own.
std::string GETMODULEFILENAME(double) {
  return platform::executablePath().substr(0, 248);
}

std::uint64_t FSIZE(const std::string& name) {
  const auto entries = platform::listFiles(name);
  return entries.empty() ? 0 : entries.front().size;
}

std::string TIMEFROMSTART() {
  if (startStamp().julian == 0) recordStartStamp();
  const platform::LocalTime now = platform::localNow();
  const double seconds = now.hour * 3600.0 + now.minute * 60.0 + now.second + now.millis / 1000.0;
  const StartStamp& start = startStamp();
  return elapsedText(elapsedSeconds(start.julian, start.seconds,
                                    Date::fromYmd(now.year, now.month, now.day).julian, seconds));
}

bool ISWIN64() {
  return false;
}

std::string GETCPU() {
  return platform::processorName();
}

int GETCPUSPEED() {
  const std::int64_t frequency = platform::counterFrequency();
  const std::int64_t c0 = platform::counterNow();
  const std::uint64_t s0 = platform::timeStampCounter();
  while (platform::counterNow() - c0 < (frequency >> 5)) {
  }
  const std::int64_t c1 = platform::counterNow();
  const std::uint64_t s1 = platform::timeStampCounter();
  if (frequency <= 0 || c1 <= c0 || s1 <= s0) return 0;
  const auto raw = static_cast<float>(static_cast<double>(s1 - s0) / static_cast<double>(c1 - c0) *
                                      (static_cast<double>(frequency) * 0.000001));
  return roundCpuSpeed(raw);
}

std::int64_t NEXTMEM() {
  return platform::physicalMemory();
}

int GETFREESYSTEMRESOURCES(const Value&) {
  return 90;
}

platform::SystemVersion GETVERSION() {
  return platform::systemVersion();
}

bool ISWINNT() {
  return platform::isNtFamily();
}

std::vector<std::string> GETTASKS() {
  return distinctTitles(platform::windowTitles());
}

long MEMUSED() {
  return 0;
}
long MEMMAX() {
  return 0;
}

std::string toolchainVersion() {
  return "GCC " __VERSION__ " (" QB_TOOLCHAIN_TARGET ")";
}

}  // namespace qb
