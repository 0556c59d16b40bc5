#include "platform/module.h"

#include <windows.h>

#include <string>

namespace qb::platform {

std::uintptr_t moduleHandle() {
  return reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
}

std::string executablePath() {
  // The buffer grows until the path fits (the system fills it whole when it does not), up to the
  // longest path the system has.
  std::wstring wide(MAX_PATH + 1, L'\0');
  DWORD n = 0;
  while ((n = GetModuleFileNameW(nullptr, wide.data(), static_cast<DWORD>(wide.size()))) >=
         wide.size()) {
    if (wide.size() > 32768) return {};
    wide.resize(wide.size() * 2);
  }
  if (n == 0) return {};
  const int count = static_cast<int>(n);
  const int len = WideCharToMultiByte(CP_ACP, 0, wide.data(), count, nullptr, 0, nullptr, nullptr);
  if (len <= 0) return {};
  std::string ansi(static_cast<std::size_t>(len), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), count, ansi.data(), len, nullptr, nullptr);
  return ansi;
}

}  // namespace qb::platform
