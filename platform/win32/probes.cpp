#include "platform/probes.h"

#include <windows.h>
#include <x86intrin.h>

#include <algorithm>

namespace qb::platform {

std::int64_t counterFrequency() {
  LARGE_INTEGER f;
  return QueryPerformanceFrequency(&f) ? f.QuadPart : 0;
}

std::int64_t counterNow() {
  LARGE_INTEGER c;
  return QueryPerformanceCounter(&c) ? c.QuadPart : 0;
}

std::uint64_t timeStampCounter() {
  return __rdtsc();
}

std::uint32_t totalPhysicalMemory() {
  MEMORYSTATUS status{};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  return status.dwTotalPhys;
}

OsVersion osVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  static_assert(sizeof info == 148);
  if (!GetVersionExA(&info)) return {};
  return {static_cast<long>(info.dwMajorVersion), static_cast<long>(info.dwMinorVersion),
          static_cast<long>(info.dwBuildNumber), static_cast<long>(info.dwPlatformId),
          info.szCSDVersion};
}

bool isNtFamily() {
  return (GetVersion() & 0x80000000u) == 0;
}

std::vector<std::string> windowTitles() {
  std::vector<std::string> titles;
  for (HWND w = GetWindow(GetActiveWindow(), GW_HWNDFIRST); w != nullptr;
       w = GetWindow(w, GW_HWNDNEXT)) {
    const int length = GetWindowTextLengthA(w);
    std::string title(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
    const int copied = length > 0 ? GetWindowTextA(w, title.data(), length + 1) : 0;
    title.resize(static_cast<std::size_t>(std::max(copied, 0)));
    titles.push_back(std::move(title));
  }
  return titles;
}

std::string oemToAnsi(const std::string& text) {
  std::string converted = text;
  OemToCharA(converted.c_str(), converted.data());
  return converted;
}

}  // namespace qb::platform
