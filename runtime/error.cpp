#include "runtime/error.h"

#include <array>

#include "platform/console.h"
#include "runtime/classes.h"
#include "runtime/module_state.h"
#include "runtime/quit.h"

namespace qb {

namespace {
ModuleStatic<ErrorHook> g_hook(StateOf::Runtime);
int g_nesting = 0;
constexpr int kMaxNesting = 8;

struct NestingGuard {
  NestingGuard() { ++g_nesting; }
  ~NestingGuard() { --g_nesting; }
};
}  // namespace

ErrorRecord::ErrorRecord() {
  registerClass(className());
}

const std::string& genericDescription(int gencode) {
  static const std::array<std::string, 51> kTexts = {"Unknown error",
                                                     "Argument error",
                                                     "Bound error",
                                                     "String overflow",
                                                     "Numeric overflow",
                                                     "Zero divisor",
                                                     "Numeric error",
                                                     "Syntax error",
                                                     "Operation too complex",
                                                     "",
                                                     "",
                                                     "Memory low",
                                                     "Undefined function",
                                                     "No exported method",
                                                     "Variable does not exist",
                                                     "Alias does not exist",
                                                     "No exported variable",
                                                     "Illegal characters in alias",
                                                     "Alias already in use",
                                                     "",
                                                     "Create error",
                                                     "Open error",
                                                     "Close error",
                                                     "Read error",
                                                     "Write error",
                                                     "Print error",
                                                     "",
                                                     "",
                                                     "",
                                                     "",
                                                     "Operation not supported",
                                                     "Limit exceeded",
                                                     "Corruption detected",
                                                     "Data type error",
                                                     "Data width error",
                                                     "Workarea not in use",
                                                     "Workarea not indexed",
                                                     "Exclusive required",
                                                     "Lock required",
                                                     "Write not allowed",
                                                     "Append lock failed",
                                                     "Lock failure",
                                                     "",
                                                     "",
                                                     "",
                                                     "Object destructor failure",
                                                     "array access",
                                                     "array assign",
                                                     "array dimension",
                                                     "not an array",
                                                     "conditional"};
  static const std::string kNone;
  return gencode >= 0 && gencode < static_cast<int>(kTexts.size()) ? kTexts[gencode] : kNone;
}

ErrorHook setErrorHook(ErrorHook hook) {
  ErrorHook previous = std::move(*g_hook);
  *g_hook = std::move(hook);
  return previous;
}

const ErrorHook& errorHook() {
  return *g_hook;
}

void unrecoverableError(const std::string& message) {
  platform::writeDiagnostic(platform::Diagnostic::failure,
                            "Unrecoverable error: " + message + "\n");
  ERRORLEVEL(1);
  QUIT();
}

ErrorOutcome raiseError(const ErrorRef& error) {
  if (error->DESCRIPTION.isText() && error->DESCRIPTION.text().empty())
    error->DESCRIPTION = genericDescription(toInt32(error->GENCODE.number()));
  if (g_nesting >= kMaxNesting) unrecoverableError("error handler nested too deeply");
  const ErrorHook hook = errorHook();  // a copy: the hook may replace itself while it runs
  if (!hook) unrecoverableError("no error handler for: " + error->DESCRIPTION.text());
  if (error->can(CANRETRY)) error->TRIES = error->TRIES.number() + 1;
  Value verdict;
  {
    NestingGuard guard;
    verdict = hook(error);
  }
  if (verdict.isLogical()) {
    if (verdict.logical() && error->can(CANRETRY)) return {ErrorOutcome::Action::Retry, {}};
    if (!verdict.logical() && error->can(CANDEFAULT)) return {ErrorOutcome::Action::Default, {}};
  }
  if (error->can(CANSUBSTITUTE)) return {ErrorOutcome::Action::Substitute, verdict};
  unrecoverableError("error handler returned a result the error does not allow");
}

Value raiseArgumentError(const std::string& operation, std::vector<Value> args, int subcode) {
  auto error = std::make_shared<ErrorRecord>();
  error->SUBSYSTEM = "BASE";
  error->GENCODE = 1;
  error->SUBCODE = subcode;
  error->SEVERITY = 2;
  error->OPERATION = operation;
  error->ARGS = makeArray(std::move(args));
  error->flags = CANSUBSTITUTE;
  return raiseError(error).value;
}

}  // namespace qb
