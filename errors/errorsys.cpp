#include "errors/errorsys.h"

#include "errors/error_message.h"
#include "errors/report.h"
#include "errors/report_file.h"
#include "platform/console.h"
#include "runtime/frames.h"
#include "runtime/neterr.h"

namespace qb {

namespace {
constexpr int kGuardLevel = 7;

bool is(const Value& code, int expected) {
  return code.isNumber() && code.number() == expected;
}
}  // namespace

void ERRORSYS(DialogStep dialog) {
  setErrorHook([dialog](const ErrorRef& error) {
    const Value argument = Value(std::static_pointer_cast<Object>(error));
    Frame frame("(b)ERRORSYS", "ERRSYSW", {&argument});
    return ERRORDIALOG(error, dialog);
  });
}

Value ERRORDIALOG(const ErrorRef& error, DialogStep dialog) {
  const Value argument = Value(std::static_pointer_cast<Object>(error));
  Frame frame("ERRORDIALOG", "ERRSYSW", {&argument});

  if (is(error->GENCODE, 5)) return 0;
  const bool openRefused =
      is(error->GENCODE, 21) && (is(error->OSCODE, 32) || is(error->OSCODE, 5));
  if ((openRefused || is(error->GENCODE, 40)) && error->can(CANDEFAULT)) {
    NETERR(true);
    return false;
  }
  // An error raised from inside this handler's own dialog: no second report.
  if (PROCNAME(kGuardLevel).starts_with("ERRORDIALO")) exitSequence();

  const std::string report = composeReport(*error, gatherFacts());
  const bool written = writeErrorLog(report);
  // Where nobody sees the dialog, the administrator still finds the error in the system's log.
  platform::logRuntimeError(ERRORMESSAGE(*error), SETERRORPATH() + "Error.log", written);
  return dialog(error, report);
}

void ERRORLINK() {}

}  // namespace qb
