#pragma once
// The OEM-to-ANSI conversion of a text (win32 only: Linux has no OEM code page).

#include <string>

#include "runtime/value.h"

namespace qb {

// A text converted from the OEM to the ANSI code page up to its first NUL; "" for a non-text.
std::string OEMTOANSI(const Value& text = Value());

}  // namespace qb
