#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "process/launcher.h"

namespace qb {
namespace {

std::string tempName(const char* stem) {
  return testing::TempDir() + stem +
         std::to_string(::testing::UnitTest::GetInstance()->random_seed());
}

std::string contents(const std::string& name) {
  std::ifstream in(name);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(WAITRUN, ReturnsTheShellsExitCode) {
  const std::vector<std::pair<const char*, int>> cases = {
      {"exit 0", 0},
      {"exit 3", 3},
      {"exit 255", 255},
      {"false", 1},
      {"kill -9 $$", 128 + 9},      // killed by a signal
      {"/nowhere/mysqldump", 127},  // the shell started, the program did not
  };
  for (const auto& [command, code] : cases) {
    const Value params[] = {Value(command), Value(0)};
    EXPECT_EQ(WAITRUN(params), code) << command;
  }
}

TEST(WAITRUN, ReturnsOnlyAfterTheCommandHasEnded) {
  const std::string out = tempName("waitrun");
  std::remove(out.c_str());
  const Value params[] = {Value("sleep 0.2; echo done > '" + out + "'")};
  EXPECT_EQ(WAITRUN(params), 0);
  EXPECT_EQ(contents(out), "done\n");
  std::remove(out.c_str());
}

TEST(WAITRUN, TheClaimedFileIsTheStandardOutputAndNoNameIsOpenedAgain) {
  const std::string name = tempName("waitrun_out"), moved = name + ".moved";
  std::remove(name.c_str());
  std::remove(moved.c_str());
  const auto output = platform::ClaimedFile::create(name);
  ASSERT_TRUE(output);
  // Whatever stands at the name by the time the command runs is not what it writes to.
  std::rename(name.c_str(), moved.c_str());
  std::ofstream(name) << "left alone";
  const Value params[] = {Value("echo dumped"), Value(0)};
  EXPECT_EQ(WAITRUN(params, output.get()), 0);
  EXPECT_EQ(contents(moved), "dumped\n");
  EXPECT_EQ(contents(name), "left alone");
  std::remove(name.c_str());
  std::remove(moved.c_str());
}

TEST(WINEXEC, StartsWithoutWaiting) {
  // The command goes on only once the caller has got back control and made the signal file.
  const std::string out = tempName("winexec"), go = out + ".go";
  std::remove(out.c_str());
  std::remove(go.c_str());
  const Value params[] = {Value("for i in $(seq 100); do [ -e '" + go +
                                "' ] && break; sleep 0.05; done; [ -e '" + go +
                                "' ] && echo started > '" + out + "'")};
  EXPECT_GT(WINEXEC(params), 31);
  std::ofstream(go).put('x');
  for (int i = 0; i < 100 && contents(out).empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(contents(out), "started\n");
  std::remove(out.c_str());
  std::remove(go.c_str());
}

}  // namespace
}  // namespace qb
