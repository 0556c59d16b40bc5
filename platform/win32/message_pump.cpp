#include "platform/win32/message_pump.h"

namespace qb::platform {

namespace {
// The dialog that last accepted a message is asked first, then every registered one in slot
// order; the first to accept it keeps that place.
bool acceptedByDialog(WindowingState& state, MSG& msg) {
  if (state.lastDialog && IsDialogMessageA(state.lastDialog, &msg)) return true;
  for (int slot = 0; slot <= state.highestDialog; ++slot) {
    HWND dialog = state.dialogs[static_cast<std::size_t>(slot)];
    if (dialog && IsDialogMessageA(dialog, &msg)) {
      state.lastDialog = dialog;
      return true;
    }
  }
  return false;
}
}  // namespace

WindowingState& windowingState() {
  static WindowingState state;
  return state;
}

bool pumpMessages(bool eventLoopRunning) {
  WindowingState& state = windowingState();
  const HACCEL table = state.acceleratorTable;
  state.acceleratorTable = nullptr;
  MSG msg;
  bool quit = false;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      break;
    }
    if (!acceptedByDialog(state, msg) &&
        !(table && state.mainWindow && TranslateAcceleratorA(state.mainWindow, table, &msg))) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (msg.message == WM_CHAR) state.lastKey = LOWORD(msg.wParam);
  }
  if (quit && eventLoopRunning) PostQuitMessage(0);
  state.acceleratorTable = table;
  return !quit;
}

}  // namespace qb::platform
