#include "archive/block_ends.h"

#include <gtest/gtest.h>

#include <vector>

namespace qb {
namespace {

// However many blocks an entry has, the ends kept stay within their number: every other one goes
// and the groups double.
TEST(BlockEnds, KeepTheirNumberAsGroupsGrow) {
  BlockEnds ends(4);
  for (std::uint64_t block = 1; block <= 11; ++block) ends.blockEnded(100 * block);
  EXPECT_EQ(ends.blocks(), 11u);
  EXPECT_EQ(ends.stride(), 4u);
  ASSERT_EQ(ends.groups(), 3u);
  const std::vector<std::uint64_t> bounds = {ends.groupBegin(0), ends.groupEnd(0),
                                             ends.groupBegin(1), ends.groupEnd(1),
                                             ends.groupBegin(2), ends.groupEnd(2)};
  EXPECT_EQ(bounds, (std::vector<std::uint64_t>{0, 400, 400, 800, 800, 1100}));
}

}  // namespace
}  // namespace qb
