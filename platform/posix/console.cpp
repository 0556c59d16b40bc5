#include "platform/console.h"

#include <unistd.h>

namespace qb::platform {

// Standard error is the log here: the journal and cron keep it.
void writeDiagnostic(Diagnostic, const std::string& text) {
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    const ssize_t n = ::write(STDERR_FILENO, p, left);
    if (n <= 0) return;
    p += n;
    left -= static_cast<size_t>(n);
  }
}

void logRuntimeError(const std::string&, const std::string&, bool) {}

}  // namespace qb::platform
