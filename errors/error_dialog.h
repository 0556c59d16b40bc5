#pragma once
// The error dialog shown after a report has been written.

#include <functional>
#include <string>

#include "platform/dialog.h"
#include "runtime/error.h"

namespace qb {

// Shows the dialog for a reported error and then either ends the process (exit sequence, error
// level 1) or returns the user's choice: true to retry (only while an event loop or another modal
// dialog of the program runs), false to take the default. Where no desktop is visible nobody could
// close the dialog: it is not shown and the process ends as Quit ends it.
Value showErrorDialog(const ErrorRef& error, const std::string& reportText);

// The same with the modal window and the desktop's visibility given, so tests can press the
// buttons.
using DialogRunner = std::function<void(const platform::DialogLayout&)>;
Value showErrorDialog(const ErrorRef& error, const std::string& reportText, const DialogRunner& run,
                      bool desktopVisible = true);

// The exit sequence: error level 1, a quit message, orderly quit.
[[noreturn]] void exitSequence();

}  // namespace qb
