#include "platform/module.h"

#include <windows.h>

namespace qb::platform {

std::uintptr_t moduleHandle() {
  return reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
}

std::string executablePath() {
  wchar_t wide[MAX_PATH + 1];
  const DWORD n = GetModuleFileNameW(nullptr, wide, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) return {};
  char ansi[MAX_PATH + 1];
  const int len = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(n), ansi, MAX_PATH - 1,
                                      nullptr, nullptr);
  return std::string(ansi, len > 0 ? static_cast<size_t>(len) : 0);
}

}  // namespace qb::platform
