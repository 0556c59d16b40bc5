#pragma once
// The calling thread's window message queue, and the windowing layer's state the pump reads.

#include <array>
#include <cstdint>

namespace qb::platform {

// Handles are the windowing layer's own (HWND, HACCEL), opaque above the platform.
struct WindowingState {
  void* acceleratorTable = nullptr;   // the current table
  void* mainWindow = nullptr;         // the application's main window
  std::array<void*, 1500> dialogs{};  // modeless dialogs; empty slots are null
  int highestDialog = -1;             // the highest slot in use, -1 with none
  void* lastDialog = nullptr;         // the dialog that last accepted a message
  bool eventLoopRunning = false;      // the main loop or a modal dialog box is running
  std::uint16_t lastKey = 0;          // the character of the last WM_CHAR removed
};

// One pass over the queue until it is empty: each message goes to the modeless dialogs first,
// then through the accelerator table (when given) on the main window, else it is translated and
// dispatched. A quit message ends the pass undispatched and is posted again only while an event
// loop runs. False when the pass met a quit message.
bool pumpMessages(WindowingState& state, void* acceleratorTable);

// Posts a quit message with the exit code to the thread's message queue, where there is one.
void postQuitMessage(int exitCode);

}  // namespace qb::platform
