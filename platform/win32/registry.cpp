#include "platform/registry.h"

#include <windows.h>

namespace qb::platform {

namespace {
HKEY toKey(RegKey key) {
  return reinterpret_cast<HKEY>(key);
}
}  // namespace

long regOpenKey(RegKey root, const std::string& path, std::uint32_t access, RegKey& handle) {
  HKEY opened = toKey(handle);
  const LONG status = RegOpenKeyExA(toKey(root), path.c_str(), 0, access, &opened);
  handle = reinterpret_cast<RegKey>(opened);
  return status;
}

long regQueryValue(RegKey key, const std::string& name, char* buffer, std::uint32_t& size) {
  DWORD length = size;
  const LONG status = RegQueryValueExA(toKey(key), name.c_str(), nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(buffer), &length);
  size = length;
  return status;
}

long regCloseKey(RegKey key) {
  return RegCloseKey(toKey(key));
}

bool runsUnderWow64() {
  // Looked up by name: older kernels do not export it.
  using IsWow64 = BOOL(WINAPI*)(HANDLE, BOOL*);
  const FARPROC found = GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process");
  const auto isWow64 = reinterpret_cast<IsWow64>(reinterpret_cast<void*>(found));
  BOOL wow64 = FALSE;
  return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

}  // namespace qb::platform
