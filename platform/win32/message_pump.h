#pragma once
// The calling thread's window message queue, and the windowing layer's state the pump reads
// (win32 only: the native build has no windows and no message queue).

#include <windows.h>

#include <array>
#include <cstdint>

namespace qb::platform {

struct WindowingState {
  HACCEL acceleratorTable = nullptr;  // the current table
  HWND mainWindow = nullptr;          // the application's main window
  std::array<HWND, 1500> dialogs{};   // modeless dialogs; empty slots are null
  int highestDialog = -1;             // the highest slot in use, -1 with none
  HWND lastDialog = nullptr;          // the dialog that last accepted a message
  std::uint16_t lastKey = 0;          // the character of the last WM_CHAR removed
};

// The program's windows and dialogs keep it; the pump reads it.
WindowingState& windowingState();

// One pass over the queue until it is empty: each message goes to the modeless dialogs first,
// then through the accelerator table (when there is one) on the main window, else it is
// translated and dispatched. The table is out of use during the pass, so that a handler that
// pumps again from inside does not translate with it. A quit message ends the pass undispatched
// and is posted again only while an event loop runs. False when the pass met a quit message.
bool pumpMessages(bool eventLoopRunning);

}  // namespace qb::platform
