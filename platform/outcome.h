#pragma once
// What a platform call that changes something came to.

#include <string>

namespace qb::platform {

// Done, or why not in the system's own words ("Permission denied", "Access is denied"), taken at
// the call that failed.
struct Outcome {
  std::string why;  // empty when done
  explicit operator bool() const { return why.empty(); }
};

}  // namespace qb::platform
