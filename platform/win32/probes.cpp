#include "platform/probes.h"

#include <windows.h>
#include <x86intrin.h>

#include <algorithm>

#include "platform/win32/treg32.h"

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

std::string processorName() {
  TReg32 key;
  key.New(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", false);
  std::string name = key.Get("ProcessorNameString");
  key.Close();
  return name;
}

std::int64_t physicalMemory() {
  MEMORYSTATUS status{};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  return static_cast<std::int32_t>(status.dwTotalPhys);
}

SystemVersion systemVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  static_assert(sizeof info == 148);
  if (!GetVersionExA(&info)) return {};
  return {static_cast<long>(info.dwMajorVersion), static_cast<long>(info.dwMinorVersion),
          static_cast<long>(info.dwBuildNumber), info.szCSDVersion};
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

}  // namespace qb::platform
