#pragma once
// Splitting a Windows command line into the argument vector, and telling runtime switches apart.

#include <string>
#include <string_view>
#include <vector>

namespace qb {

// The arguments after the program name (slots 1 to 127 of the argument vector): quotes toggle
// and are dropped, blank, tab, CR and LF separate outside quotes, no escape character.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

// "//..." or "--hb:..." in any letter case: consumed by the start-up, never passed on.
bool isRuntimeSwitch(std::string_view argument);

}  // namespace qb
