// Test child of WAITRUN: sleeps the milliseconds of its first argument, creates the file its third
// names (when given), then ends with the exit code of its second, or with the show state it was
// started with (1000 when none was given).
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc > 1) Sleep(static_cast<DWORD>(std::atoi(argv[1])));
  if (argc > 3)
    CloseHandle(CreateFileA(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (argc > 2) ExitProcess(static_cast<UINT>(std::strtoul(argv[2], nullptr, 0)));
  STARTUPINFOA startup;
  GetStartupInfoA(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : 1000;
}
