// Entry point of the Windows program (GUI subsystem: no console is opened).
#include <windows.h>

#include "job/command_line.h"
#include "job/startup.h"
#include "platform/win32/command_line.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return qb::startProcess(qb::splitCommandLine(qb::platform::commandLine()));
}
