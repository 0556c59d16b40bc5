#pragma once
// The one-line error text and the value texts of the report's variables listing.

#include <string>

#include "runtime/error.h"

namespace qb {

// "Error BASE/1003  Variable does not exist: OINI" and its variants: severity word or the OS
// code, subsystem, sub-code, description, then the file name or else the operation.
std::string ERRORMESSAGE(const ErrorRecord& error);

// Texts in double quotes, objects as "Class: " + class name, arrays as "Len: " + count in 4,
// anything else as CVALTOCHAR gives it.
std::string CGETINFO(const Value& value);

// The integer's digits right-aligned in width characters; asterisks when they do not fit.
std::string rightAligned(long long number, int width);

}  // namespace qb
