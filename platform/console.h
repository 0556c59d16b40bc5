#pragma once
// Diagnostics for a person watching: standard error where the process has one.

#include <string>

namespace qb::platform {

void writeDiagnostic(const std::string& text);

}  // namespace qb::platform
