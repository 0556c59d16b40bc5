#pragma once
// The process-wide error handler.

#include <string>

#include "errors/error_dialog.h"
#include "runtime/error.h"

namespace qb {

// What the handler shows once the report is written; the real dialog unless a test stands in.
using DialogStep = Value (*)(const ErrorRef& error, const std::string& reportText);

// Installs the error hook: every runtime error goes to ERRORDIALOG.
void ERRORSYS(DialogStep dialog = showErrorDialog);

// The handler: settles a zero divisor (0) or a refused open or append lock (false, NETERR set)
// at once; ends the process at once when it is re-entered from its own dialog; otherwise
// writes Error.log and shows the dialog, which ends the process or returns the user's choice.
Value ERRORDIALOG(const ErrorRef& error, DialogStep dialog = showErrorDialog);

// Does nothing: referencing it links the handler in.
void ERRORLINK();

}  // namespace qb
