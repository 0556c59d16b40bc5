#include "platform/processors.h"

#include <sched.h>

#include <gtest/gtest.h>

namespace qb::platform {
namespace {

// Pinned to one processor, as taskset does, the process has one to use, however many the
// machine has.
TEST(UsableProcessors, FollowTheAffinity) {
  cpu_set_t before;
  ASSERT_EQ(::sched_getaffinity(0, sizeof before, &before), 0);
  EXPECT_EQ(usableProcessors(), static_cast<unsigned>(CPU_COUNT(&before)));
  int first = 0;
  while (!CPU_ISSET(first, &before)) ++first;
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(first, &one);
  ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
  EXPECT_EQ(usableProcessors(), 1u);
  ASSERT_EQ(::sched_setaffinity(0, sizeof before, &before), 0);
}

}  // namespace
}  // namespace qb::platform
