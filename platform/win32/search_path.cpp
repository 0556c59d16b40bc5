#include "platform/search_path.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace qb::platform {

std::string findProgram(const std::string& name) {
  const std::wstring wide = widen(name);
  std::wstring found(MAX_PATH, L'\0');
  DWORD n = SearchPathW(nullptr, wide.c_str(), L".exe", static_cast<DWORD>(found.size()),
                        found.data(), nullptr);
  if (n >= found.size()) {
    found.resize(n);
    n = SearchPathW(nullptr, wide.c_str(), L".exe", n, found.data(), nullptr);
  }
  if (n == 0 || n >= found.size()) return {};
  found.resize(n);
  return narrow(found);
}

}  // namespace qb::platform
