#include "platform/message_pump.h"

#include <windows.h>

namespace qb::platform {

namespace {
HWND window(void* handle) {
  return static_cast<HWND>(handle);
}

// The dialog that last accepted a message is asked first, then every registered one in slot
// order; the first to accept it keeps that place.
bool acceptedByDialog(WindowingState& state, MSG& msg) {
  if (state.lastDialog && IsDialogMessageA(window(state.lastDialog), &msg)) return true;
  for (int slot = 0; slot <= state.highestDialog; ++slot) {
    void* dialog = state.dialogs[static_cast<std::size_t>(slot)];
    if (dialog && IsDialogMessageA(window(dialog), &msg)) {
      state.lastDialog = dialog;
      return true;
    }
  }
  return false;
}
}  // namespace

bool pumpMessages(WindowingState& state, void* acceleratorTable) {
  MSG msg;
  bool quit = false;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      break;
    }
    if (!acceptedByDialog(state, msg) &&
        !(acceleratorTable && state.mainWindow &&
          TranslateAcceleratorA(window(state.mainWindow), static_cast<HACCEL>(acceleratorTable),
                                &msg))) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (msg.message == WM_CHAR) state.lastKey = LOWORD(msg.wParam);
  }
  if (quit && state.eventLoopRunning) PostQuitMessage(0);
  return !quit;
}

void postQuitMessage(int exitCode) {
  PostQuitMessage(exitCode);
}

}  // namespace qb::platform
