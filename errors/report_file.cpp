#include "errors/report_file.h"

#include "platform/files.h"
#include "runtime/module_state.h"

namespace qb {

namespace {
struct BreakRequest {};

ModuleStatic<std::string> g_prefix(StateOf::Program, std::string(".") + platform::pathSeparator());

class HookSwap {
 public:
  explicit HookSwap(ErrorHook hook) : previous_(setErrorHook(std::move(hook))) {}
  ~HookSwap() { setErrorHook(std::move(previous_)); }
  HookSwap(const HookSwap&) = delete;
  HookSwap& operator=(const HookSwap&) = delete;

 private:
  ErrorHook previous_;
};
}  // namespace

std::string SETERRORPATH() {
  return *g_prefix;
}

std::string SETERRORPATH(const Value& folder) {
  std::string previous = *g_prefix;
  if (folder.isText()) *g_prefix = folder.text();
  return previous;
}

Value DOBREAK(const ErrorRef&) {
  throw BreakRequest{};
}

void underBreakHook(const std::function<void()>& body) {
  HookSwap swap(DOBREAK);
  try {
    body();
  } catch (const BreakRequest&) {
    // abandoned: the report stays as far as it got
  }
}

bool writeErrorLog(const std::string& report) {
  bool complete = false;
  underBreakHook(
      [&] { platform::writeNewFile(*g_prefix + "Error.log", report + '\x1A', &complete); });
  return complete;
}

}  // namespace qb
