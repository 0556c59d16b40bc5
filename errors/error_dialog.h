#pragma once
// The error dialog shown after a report has been written.

#include <functional>
#include <string>

#include "platform/dialog.h"
#include "runtime/error.h"

namespace qb {

// Shows the dialog for a reported error and then either ends the process (exit sequence, error
// level 1) or returns the user's choice: true to retry (only while an event loop or another modal
// dialog of the program runs), false to take the default.
Value showErrorDialog(const ErrorRef& error, const std::string& reportText);

// The same with the modal window replaced, so tests can press the buttons.
using DialogRunner = std::function<void(const platform::DialogLayout&)>;
Value showErrorDialog(const ErrorRef& error, const std::string& reportText,
                      const DialogRunner& run);

// The exit sequence: error level 1, a quit message, orderly quit.
[[noreturn]] void exitSequence();

}  // namespace qb
