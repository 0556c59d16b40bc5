#include "platform/wildcard.h"

#include <cctype>

namespace qb::platform {

namespace {
bool sameLetter(char a, char b) {
  return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
}
}  // namespace

// Iterative: on a mismatch, the latest '*' swallows one more character.
bool wildcardMatch(std::string_view name, std::string_view pattern, bool ignoreCase) {
  std::size_t n = 0, p = 0;
  std::size_t starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n] ||
                                      (ignoreCase && sameLetter(pattern[p], name[n])))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool hasWildcard(std::string_view text) {
  return text.find_first_of("*?") != std::string_view::npos;
}

}  // namespace qb::platform
