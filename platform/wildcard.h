#pragma once
// Whole-name matching with the only two wild characters Windows' directory search knows: '*' for
// any run of characters and '?' for any one. Every other character, '[' and ']' included, stands
// for itself.

#include <string_view>

namespace qb::platform {

// True when the whole name matches the pattern; letters compare without regard to case when
// ignoreCase is set.
bool wildcardMatch(std::string_view name, std::string_view pattern, bool ignoreCase);

// True when the text holds '*' or '?'.
bool hasWildcard(std::string_view text);

}  // namespace qb::platform
