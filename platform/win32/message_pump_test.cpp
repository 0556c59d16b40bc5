#include "platform/win32/message_pump.h"

#include <gtest/gtest.h>

#include <vector>

namespace qb::platform {
namespace {

bool quitPending() {
  MSG msg;
  return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

// A window that records what reaches it and whether the accelerator table was out of use then.
struct Seen {
  std::vector<UINT> messages;
  std::vector<WPARAM> commands;
  bool tableInUseDuringDispatch = false;
};
Seen g_seen;

LRESULT CALLBACK recordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg >= WM_USER || msg == WM_CHAR || msg == WM_KEYDOWN || msg == WM_COMMAND) {
    g_seen.messages.push_back(msg);
    if (msg == WM_COMMAND) g_seen.commands.push_back(LOWORD(wParam));
    if (windowingState().acceleratorTable) g_seen.tableInUseDuringDispatch = true;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class Pump : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = recordingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "qbPumpTest";
    RegisterClassA(&wc);
    // A message-only window: no display is needed.
    hwnd_ = CreateWindowA("qbPumpTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                          nullptr);
    ASSERT_TRUE(hwnd_);
    ACCEL accel{FVIRTKEY, VK_F5, 42};
    table_ = CreateAcceleratorTableA(&accel, 1);
    g_seen = {};
  }
  void TearDown() override {
    windowingState() = {};
    DestroyAcceleratorTable(table_);
    DestroyWindow(hwnd_);
    while (quitPending()) {
    }
  }
  HWND hwnd_ = nullptr;
  HACCEL table_ = nullptr;
};

TEST_F(Pump, AnEmptyQueueLeavesTheSharedStateAsItWas) {
  WindowingState& state = windowingState();
  state.acceleratorTable = table_;  // no main window: the table is never used
  EXPECT_TRUE(pumpMessages(false));
  EXPECT_EQ(state.acceleratorTable, table_);
}

TEST_F(Pump, TranslatesAndDispatchesWithoutWindowsOfItsOwn) {
  PostMessageA(hwnd_, WM_USER + 1, 0, 0);
  PostMessageA(hwnd_, WM_CHAR, 0x10000 + 'k', 0);
  PostMessageA(hwnd_, WM_KEYDOWN, VK_F5, 0);  // no table: an ordinary key
  EXPECT_TRUE(pumpMessages(false));
  EXPECT_EQ(g_seen.messages, (std::vector<UINT>{WM_USER + 1, WM_CHAR, WM_KEYDOWN}));
  EXPECT_EQ(windowingState().lastKey, 'k');
}

TEST_F(Pump, AcceleratorTableOnTheMainWindowIsOutOfUseDuringThePass) {
  WindowingState& state = windowingState();
  state.acceleratorTable = table_;
  state.mainWindow = hwnd_;
  PostMessageA(hwnd_, WM_KEYDOWN, VK_F5, 0);
  PostMessageA(hwnd_, WM_USER + 2, 0, 0);
  EXPECT_TRUE(pumpMessages(false));
  EXPECT_EQ(g_seen.commands, std::vector<WPARAM>{42});
  EXPECT_EQ(g_seen.messages, (std::vector<UINT>{WM_COMMAND, WM_USER + 2}));
  EXPECT_FALSE(g_seen.tableInUseDuringDispatch);
  EXPECT_EQ(state.acceleratorTable, table_);
}

TEST_F(Pump, ModelessDialogsComeFirstAndTheLastKeyIsKeptAnyway) {
  WindowingState& state = windowingState();
  state.dialogs[3] = hwnd_;
  state.highestDialog = 3;
  PostMessageA(hwnd_, WM_CHAR, 'z', 0);
  EXPECT_TRUE(pumpMessages(false));
  EXPECT_EQ(state.lastDialog, hwnd_);
  EXPECT_EQ(state.lastKey, 'z');
  EXPECT_EQ(g_seen.messages, std::vector<UINT>{WM_CHAR});  // the dialog passed it on
}

TEST_F(Pump, AQuitMessageEndsThePassUndispatched) {
  for (const bool loopRunning : {false, true}) {
    PostMessageA(hwnd_, WM_USER + 3, 0, 0);
    PostQuitMessage(0);
    EXPECT_FALSE(pumpMessages(loopRunning));
    EXPECT_EQ(quitPending(), loopRunning);
  }
  EXPECT_EQ(g_seen.messages, (std::vector<UINT>{WM_USER + 3, WM_USER + 3}));
}

}  // namespace
}  // namespace qb::platform
