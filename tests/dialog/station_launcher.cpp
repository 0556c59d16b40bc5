// Starts a program on a window station of its own, which nobody sees, as the system starts a
// task that runs whether or not a user is logged on; waits for the program's end and ends with
// its exit code.
//
//   station_launcher SECONDS COMMAND_LINE
//
// Exit code 124 when the program was still running after SECONDS (it is ended then), 125 when
// no such station could be made.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) return 125;
  HWINSTA station = CreateWindowStationA("qbunseen", 0, WINSTA_ALL_ACCESS, nullptr);
  USEROBJECTFLAGS flags{};
  if (!station || !GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, nullptr) ||
      (flags.dwFlags & WSF_VISIBLE)) {
    std::printf("no invisible window station: %lu\n", GetLastError());
    return 125;
  }
  // A desktop is made on the station the process is on.
  HWINSTA own = GetProcessWindowStation();
  SetProcessWindowStation(station);
  HDESK desktop = CreateDesktopA("qbdesk", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  SetProcessWindowStation(own);
  if (!desktop) {
    std::printf("no desktop on the station: %lu\n", GetLastError());
    return 125;
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::string desktopName = "qbunseen\\qbdesk";
  startup.lpDesktop = desktopName.data();
  std::string commandLine = argv[2];
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::printf("cannot start %s: %lu\n", argv[2], GetLastError());
    return 125;
  }
  const DWORD waited = WaitForSingleObject(process.hProcess, std::atoi(argv[1]) * 1000);
  DWORD code = 124;
  if (waited == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  } else {
    std::printf("still running after %s s\n", argv[1]);
    TerminateProcess(process.hProcess, 124);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CloseDesktop(desktop);
  CloseWindowStation(station);
  return static_cast<int>(code);
}
