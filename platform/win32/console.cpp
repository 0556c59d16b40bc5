#include "platform/console.h"

#include <windows.h>

namespace qb::platform {

void writeDiagnostic(const std::string& text) {
  // A GUI program usually has no standard error; when started with one, use it.
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err == nullptr || err == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(err, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace qb::platform
