#include "platform/win32/treg32.h"

#include <algorithm>
#include <array>

namespace qb::platform {

namespace {
constexpr DWORD kBufferSize = 1024;

// True when a 32-bit process runs on 64-bit Windows; looked up by name, as older kernels do not
// export it.
bool runsUnderWow64() {
  using IsWow64 = BOOL(WINAPI*)(HANDLE, BOOL*);
  const FARPROC found = GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process");
  const auto isWow64 = reinterpret_cast<IsWow64>(reinterpret_cast<void*>(found));
  BOOL wow64 = FALSE;
  return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
}
}  // namespace

TReg32& TReg32::New(HKEY root, const std::string& key, bool) {
  if (!lError) lError = false;
  cRegKey = key;
  // The handle starts out as the root, and whatever the system stores there is kept.
  nHandle = root;
  const REGSAM view = runsUnderWow64() ? KEY_WOW64_64KEY : 0;
  nError = RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS | view, &nHandle);
  if (nError != ERROR_SUCCESS) nError = RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &nHandle);
  return *this;
}

std::string TReg32::Get(const std::string& name) {
  if (lError.value_or(false)) return {};
  std::array<char, kBufferSize> buffer;
  auto query = [&](DWORD& size) {
    size = kBufferSize;
    return RegQueryValueExA(nHandle, name.c_str(), nullptr, nullptr,
                            reinterpret_cast<BYTE*>(buffer.data()), &size);
  };
  // First the length, then the data; each read goes into the same fixed buffer.
  DWORD length = 0;
  nError = query(length);
  if (nError != ERROR_SUCCESS || length == 0) return {};
  DWORD size = 0;
  nError = query(size);
  if (nError != ERROR_SUCCESS) return {};
  std::string text(buffer.data(), std::min(size, kBufferSize));
  std::erase(text, '\0');
  return text;
}

void TReg32::Close() {
  if (lError.value_or(false)) return;
  nError = RegCloseKey(nHandle);
}

}  // namespace qb::platform
