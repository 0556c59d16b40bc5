#include "process/launcher.h"

#include <gtest/gtest.h>

#include "process/sysrefresh.h"
#include "runtime/windowing_state.h"

namespace qb {
namespace {

TEST(WAITRUN, NothingToStartGivesMinusOne) {
  const std::vector<std::vector<Value>> calls = {
      {}, {Value()}, {Value(12)}, {Value("")}, {Value(""), Value(0)}, {makeArray({Value("x")})}};
  for (const auto& params : calls) EXPECT_EQ(WAITRUN(params), -1) << params.size();
}

TEST(SYSREFRESH, AnEmptyQueueLeavesTheSharedStateAsItWas) {
  platform::WindowingState& state = windowingState();
  int table = 0;
  state.acceleratorTable = &table;  // no main window: the table is never used
  EXPECT_TRUE(SYSREFRESH());
  EXPECT_EQ(state.acceleratorTable, &table);
  state.acceleratorTable = nullptr;
}

}  // namespace
}  // namespace qb
