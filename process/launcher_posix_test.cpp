#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "process/launcher.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"

namespace qb {
namespace {

using test::readFile;

TEST(RunHidden, ReturnsTheShellsExitCode) {
  const std::vector<std::pair<const char*, int>> cases = {
      {"exit 0", 0},
      {"exit 3", 3},
      {"exit 255", 255},
      {"false", 1},
      {"kill -9 $$", 128 + 9},      // killed by a signal
      {"/nowhere/mysqldump", 127},  // the shell started, the program did not
  };
  for (const auto& [command, code] : cases) EXPECT_EQ(runHidden(command), code) << command;
}

TEST(RunHidden, ReturnsOnlyAfterTheCommandHasEnded) {
  const test::ScratchFolder scratch("qb_waitrun");
  const std::string out = scratch / "out";
  EXPECT_EQ(runHidden("sleep 0.2; echo done > '" + out + "'"), 0);
  EXPECT_EQ(readFile(out), "done\n");
}

TEST(RunHidden, NothingTheCommandStartedOutlivesTheWait) {
  // A background child, and one orphaned by the shell that started it: neither may write, whether
  // waited for or left running.
  const test::ScratchFolder scratch("qb_waitrun_left");
  const std::string late = scratch / "late", orphan = scratch / "orphan";
  EXPECT_EQ(runHidden("(sleep 1; echo late > '" + late + "') & sh -c '(sleep 1; echo x > " +
                      orphan + ") &'; echo now"),
            0);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_EQ(readFile(late), "");
  EXPECT_EQ(readFile(orphan), "");
}

TEST(RunHidden, TheClaimedFileIsTheStandardOutputAndNoNameIsOpenedAgain) {
  const test::ScratchFolder scratch("qb_waitrun_out");
  const std::string name = scratch / "out", moved = name + ".moved";
  const auto output = platform::ClaimedFile::create(name);
  ASSERT_TRUE(output);
  // Whatever stands at the name by the time the command runs is not what it writes to.
  std::rename(name.c_str(), moved.c_str());
  test::writeFile(name, "left alone");
  EXPECT_EQ(runHidden("echo dumped", output.get()), 0);
  EXPECT_EQ(readFile(moved), "dumped\n");
  EXPECT_EQ(readFile(name), "left alone");
}

TEST(StartViewer, StartsWithoutWaiting) {
  // The command goes on only once the caller has got back control and made the signal file.
  const test::ScratchFolder scratch("qb_winexec");
  const std::string out = scratch / "out", go = scratch / "go";
  startViewer("for i in $(seq 100); do [ -e '" + go + "' ] && break; sleep 0.05; done; [ -e '" +
              go + "' ] && echo started > '" + out + "'");
  test::writeFile(go, "x");
  for (int i = 0; i < 100 && readFile(out).empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(readFile(out), "started\n");
}

}  // namespace
}  // namespace qb
