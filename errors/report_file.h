#pragma once
// Where the error report goes and how it is written.

#include <functional>
#include <string>

#include "runtime/error.h"

namespace qb {

// The report folder prefix as it was; with one text argument it becomes the new prefix. It
// starts as the current folder (".\" on Windows, "./" elsewhere).
std::string SETERRORPATH();
std::string SETERRORPATH(const Value& folder);

// The error hook while the report is written: abandons the write.
[[noreturn]] Value DOBREAK(const ErrorRef& error);

// Runs body with DOBREAK as the error hook, so a runtime error inside abandons it; the previous
// hook is back afterwards in every case.
void underBreakHook(const std::function<void()>& body);

// Writes the report and the end-of-file byte 0x1A into prefix + "Error.log", replacing any
// earlier file. A file that cannot be created raises no error: false then, as when the write was
// abandoned or cut short.
bool writeErrorLog(const std::string& report);

}  // namespace qb
