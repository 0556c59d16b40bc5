#include "errors/errorsys.h"

#include "errors/error_dialog.h"
#include "runtime/frames.h"

namespace qb {

void ERRORSYS() {
  setErrorHook([](const ErrorRef& error) {
    const Value argument = Value(std::static_pointer_cast<Object>(error));
    Frame frame("(b)ERRORSYS", "ERRSYSW", {&argument});
    return ERRORDIALOG(error);
  });
}

// The report is not composed yet: every error goes straight to the dialog's exit.
Value ERRORDIALOG(const ErrorRef& error) {
  const Value argument = Value(std::static_pointer_cast<Object>(error));
  Frame frame("ERRORDIALOG", "ERRSYSW", {&argument});
  return showErrorDialog(error, std::string());
}

}  // namespace qb
