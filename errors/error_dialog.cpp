#include "errors/error_dialog.h"

#include "runtime/quit.h"

namespace qb {

// No window yet: every reported error ends the process as Quit would.
Value showErrorDialog(const ErrorRef&, const std::string&) { exitSequence(); }

void exitSequence() {
  ERRORLEVEL(1);
  QUIT();
}

}  // namespace qb
