#include "errors/errorsys.h"

#include "runtime/frames.h"
#include "runtime/quit.h"

namespace qb {

void ERRORSYS() {
  setErrorHook([](const ErrorRef& error) {
    const Value argument = Value(std::static_pointer_cast<Object>(error));
    Frame frame("(b)ERRORSYS", "ERRSYSW", {&argument});
    return ERRORDIALOG(error);
  });
}

// Until the report and the dialog exist, every error ends the process with error level 1.
Value ERRORDIALOG(const ErrorRef& error) {
  const Value argument = Value(std::static_pointer_cast<Object>(error));
  Frame frame("ERRORDIALOG", "ERRSYSW", {&argument});
  ERRORLEVEL(1);
  QUIT();
}

}  // namespace qb
