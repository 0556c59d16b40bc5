#pragma once
// The process-wide error handler.

#include "runtime/error.h"

namespace qb {

// Installs the error hook: every runtime error goes to ERRORDIALOG.
void ERRORSYS();

// The handler: settles an error, or reports it and ends the process.
Value ERRORDIALOG(const ErrorRef& error);

}  // namespace qb
