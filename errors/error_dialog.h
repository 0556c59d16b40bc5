#pragma once
// The error dialog shown after a report has been written.

#include <string>

#include "runtime/error.h"

namespace qb {

// Shows the dialog for a reported error and then either ends the process (exit sequence, error
// level 1) or returns the user's choice: true to retry, false to take the default.
Value showErrorDialog(const ErrorRef& error, const std::string& reportText);

// The exit sequence: release the windowing resources, error level 1, quit message, orderly quit.
[[noreturn]] void exitSequence();

}  // namespace qb
