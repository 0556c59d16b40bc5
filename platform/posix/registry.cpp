#include "platform/registry.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>

namespace qb::platform {

// No registry here. The one key the program reads is served from /proc/cpuinfo: the processor
// key holds ProcessorNameString, the first "model name", NUL-terminated as a string value is.

namespace {
constexpr long kSuccess = 0, kFileNotFound = 2, kInvalidHandle = 6, kMoreData = 234;
constexpr RegKey kProcessorKey = 1;
constexpr const char* kProcessorPath = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

bool sameIgnoringCase(const std::string& a, const char* b) {
  return a.size() == std::strlen(b) && std::equal(a.begin(), a.end(), b, [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool processorName(std::string& name) {
  std::ifstream in("/proc/cpuinfo");
  for (std::string line; std::getline(in, line);) {
    const auto colon = line.find(':');
    if (!line.starts_with("model name") || colon == std::string::npos) continue;
    name = line.substr(std::min(colon + 2, line.size()));
    return true;
  }
  return false;
}
}  // namespace

long regOpenKey(RegKey root, const std::string& path, std::uint32_t, RegKey& handle) {
  const bool found = root == kLocalMachine && sameIgnoringCase(path, kProcessorPath);
  handle = found ? kProcessorKey : 0;
  return found ? kSuccess : kFileNotFound;
}

long regQueryValue(RegKey key, const std::string& name, char* buffer, std::uint32_t& size) {
  if (key != kProcessorKey) return kInvalidHandle;
  std::string data;
  if (!sameIgnoringCase(name, "ProcessorNameString") || !processorName(data)) return kFileNotFound;
  data.push_back('\0');
  const auto capacity = size;
  size = static_cast<std::uint32_t>(data.size());
  if (data.size() > capacity) return kMoreData;
  std::memcpy(buffer, data.data(), data.size());
  return kSuccess;
}

long regCloseKey(RegKey key) {
  return key == kProcessorKey ? kSuccess : kInvalidHandle;
}

bool runsUnderWow64() {
  return false;
}

}  // namespace qb::platform
