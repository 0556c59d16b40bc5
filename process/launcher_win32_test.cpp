#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/message_pump.h"
#include "process/sysrefresh.h"
#include "process/waitrun.h"
#include "runtime/event_loop.h"
#include "tests/support/scratch_folder.h"

namespace qb {
namespace {

// The test child, built beside this test.
std::string child(const std::string& arguments) {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, n);
  folder.erase(folder.find_last_of('\\') + 1);
  return "\"" + folder + "waitrun_child.exe\" " + arguments;
}

bool quitPending() {
  MSG msg;
  return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

TEST(WAITRUN, NothingToStartGivesMinusOne) {
  const std::vector<std::vector<Value>> calls = {
      {}, {Value()}, {Value(12)}, {Value("")}, {Value(""), Value(0)}, {makeArray({Value("x")})}};
  for (const auto& params : calls) EXPECT_EQ(WAITRUN(params), -1) << params.size();
}

TEST(WAITRUN, ExitCodesComeBackSigned) {
  const std::vector<std::pair<std::string, std::int32_t>> cases = {
      {child("0 0"), 0},
      {child("0 3"), 3},
      {child("0 0xFFFFFFFE"), -2},
      {"CMD.EXE /C exit 3", 3},
      {"c:\\nowhere\\mysqldump.exe -uroot quolmer", -1},
  };
  for (const auto& [command, code] : cases) {
    const Value params[] = {Value(command), Value(0)};
    EXPECT_EQ(WAITRUN(params), code) << command;
  }
  // An interpreter that starts but misses its program is a started process.
  const Value missing[] = {Value("CMD.EXE /C c:\\nowhere\\mysqldump.exe"), Value(0)};
  const std::int32_t code = WAITRUN(missing);
  EXPECT_NE(code, -1);
  EXPECT_NE(code, 0);
}

TEST(WAITRUN, NothingTheCommandStartedOutlivesTheWait) {
  const test::ScratchFolder scratch("qb_outlived");
  const std::string marker = scratch / "marker";
  // CMD ends at once and leaves the child running, as when CMD itself is killed.
  const Value params[] = {Value("CMD.EXE /C start \"\" /b " + child("1000 0 \"" + marker + "\"")),
                          Value(0)};
  EXPECT_EQ(WAITRUN(params), 0);
  Sleep(2500);
  EXPECT_EQ(GetFileAttributesA(marker.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(WAITRUN, TheShowStateReachesTheChild) {
  const Value command = child("0");
  const std::vector<std::pair<std::vector<Value>, std::int32_t>> cases = {
      {{command}, SW_SHOWNA},   {{command, Value()}, SW_HIDE},    {{command, Value("3")}, SW_HIDE},
      {{command, Value(3)}, 3}, {{command, Value(65536 + 5)}, 5}, {{command, Value(-1)}, 0xFFFF},
  };
  for (const auto& [params, shown] : cases) EXPECT_EQ(WAITRUN(params), shown) << params.size();
}

TEST(WAITRUN, AQuitMessageDoesNotEndTheWait) {
  for (const bool loopRunning : {false, true}) {
    eventLoopRunning() = loopRunning;
    PostQuitMessage(0);
    const DWORD start = GetTickCount();
    const Value params[] = {Value(child("300 7")), Value(0)};
    EXPECT_EQ(WAITRUN(params), 7);
    EXPECT_GE(GetTickCount() - start, 250u);
    // Dropped with no event loop to end; kept for a running one.
    EXPECT_EQ(quitPending(), loopRunning);
  }
  eventLoopRunning() = false;
}

TEST(WINEXEC, StartsWithoutWaiting) {
  const Value slow[] = {Value(child("3000 0"))};
  const DWORD start = GetTickCount();
  EXPECT_GT(WINEXEC(slow), 31);
  EXPECT_LT(GetTickCount() - start, 2500u);
  const Value missing[] = {Value("c:\\nowhere\\notepad.exe"), Value(1)};
  EXPECT_LE(WINEXEC(missing), 31);
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
    if (platform::windowingState().acceleratorTable) g_seen.tableInUseDuringDispatch = true;
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
    platform::windowingState() = {};
    eventLoopRunning() = false;
    DestroyAcceleratorTable(table_);
    DestroyWindow(hwnd_);
    while (quitPending()) {
    }
  }
  HWND hwnd_ = nullptr;
  HACCEL table_ = nullptr;
};

TEST_F(Pump, AnEmptyQueueLeavesTheSharedStateAsItWas) {
  platform::WindowingState& state = platform::windowingState();
  state.acceleratorTable = table_;  // no main window: the table is never used
  EXPECT_TRUE(SYSREFRESH());
  EXPECT_EQ(state.acceleratorTable, table_);
}

TEST_F(Pump, TranslatesAndDispatchesWithoutWindowsOfItsOwn) {
  PostMessageA(hwnd_, WM_USER + 1, 0, 0);
  PostMessageA(hwnd_, WM_CHAR, 0x10000 + 'k', 0);
  PostMessageA(hwnd_, WM_KEYDOWN, VK_F5, 0);  // no table: an ordinary key
  EXPECT_TRUE(SYSREFRESH());
  EXPECT_EQ(g_seen.messages, (std::vector<UINT>{WM_USER + 1, WM_CHAR, WM_KEYDOWN}));
  EXPECT_EQ(platform::windowingState().lastKey, 'k');
}

TEST_F(Pump, AcceleratorTableOnTheMainWindowIsOutOfUseDuringThePass) {
  platform::WindowingState& state = platform::windowingState();
  state.acceleratorTable = table_;
  state.mainWindow = hwnd_;
  PostMessageA(hwnd_, WM_KEYDOWN, VK_F5, 0);
  PostMessageA(hwnd_, WM_USER + 2, 0, 0);
  EXPECT_TRUE(SYSREFRESH());
  EXPECT_EQ(g_seen.commands, std::vector<WPARAM>{42});
  EXPECT_EQ(g_seen.messages, (std::vector<UINT>{WM_COMMAND, WM_USER + 2}));
  EXPECT_FALSE(g_seen.tableInUseDuringDispatch);
  EXPECT_EQ(state.acceleratorTable, table_);
}

TEST_F(Pump, ModelessDialogsComeFirstAndTheLastKeyIsKeptAnyway) {
  platform::WindowingState& state = platform::windowingState();
  state.dialogs[3] = hwnd_;
  state.highestDialog = 3;
  PostMessageA(hwnd_, WM_CHAR, 'z', 0);
  EXPECT_TRUE(SYSREFRESH());
  EXPECT_EQ(state.lastDialog, hwnd_);
  EXPECT_EQ(state.lastKey, 'z');
  EXPECT_EQ(g_seen.messages, std::vector<UINT>{WM_CHAR});  // the dialog passed it on
}

TEST_F(Pump, AQuitMessageEndsThePassUndispatched) {
  for (const bool loopRunning : {false, true}) {
    eventLoopRunning() = loopRunning;
    PostMessageA(hwnd_, WM_USER + 3, 0, 0);
    PostQuitMessage(0);
    EXPECT_FALSE(SYSREFRESH());
    EXPECT_EQ(quitPending(), loopRunning);
  }
  EXPECT_EQ(g_seen.messages, (std::vector<UINT>{WM_USER + 3, WM_USER + 3}));
}

}  // namespace
}  // namespace qb
