#include <windows.h>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace qb
