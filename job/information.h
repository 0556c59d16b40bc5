#pragma once
// What the Linux program says when asked about itself instead of making a backup. The Windows
// program takes every argument as the selector.

#include <optional>
#include <string>
#include <vector>

namespace qb {

// The text for an argument --help (the usage: the selector, backup.ini, the option file, the
// dump client this machine's runs start and the exit codes) or --version, whichever comes first;
// nothing when neither is among the arguments, and a run goes ahead.
std::optional<std::string> informationAsked(const std::vector<std::string>& arguments);

}  // namespace qb
