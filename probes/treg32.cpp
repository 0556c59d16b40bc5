#include "probes/treg32.h"

#include <algorithm>
#include <array>

namespace qb {

namespace {
constexpr std::uint32_t kBufferSize = 1024;
}

TReg32& TReg32::New(platform::RegKey root, const std::string& key, bool) {
  if (lError.isNil()) lError = false;
  cRegKey = key;
  nHandle = root;
  const std::uint32_t view = platform::runsUnderWow64() ? platform::kKeyWow64_64Key : 0;
  nError = platform::regOpenKey(root, key, platform::kKeyAllAccess | view, nHandle);
  if (nError != 0) nError = platform::regOpenKey(root, key, platform::kKeyRead, nHandle);
  return *this;
}

std::string TReg32::Get(const std::string& name) {
  if (lError.logical()) return {};
  std::array<char, kBufferSize> buffer;
  // First the length, then the data; each read goes into the same fixed buffer.
  std::uint32_t length = kBufferSize;
  nError = platform::regQueryValue(nHandle, name, buffer.data(), length);
  if (nError != 0 || length == 0) return {};
  std::uint32_t size = kBufferSize;
  nError = platform::regQueryValue(nHandle, name, buffer.data(), size);
  if (nError != 0) return {};
  std::string text(buffer.data(), std::min(size, kBufferSize));
  std::erase(text, '\0');
  return text;
}

void TReg32::Close() {
  if (lError.logical()) return;
  nError = platform::regCloseKey(nHandle);
}

}  // namespace qb
