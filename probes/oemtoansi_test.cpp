#include "probes/oemtoansi.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(OEMTOANSI, KeepsTheLength) {
  EXPECT_EQ(OEMTOANSI(), "");
  EXPECT_EQ(OEMTOANSI(Value(12)), "");
  EXPECT_EQ(OEMTOANSI("Error BASE/1003"), "Error BASE/1003");
  const std::string withNul("ab\0\x82z", 5);
  const std::string converted = OEMTOANSI(withNul);
  ASSERT_EQ(converted.size(), 5u);
  EXPECT_EQ(converted.substr(0, 3), std::string("ab\0", 3));
  EXPECT_EQ(converted.substr(3), "\x82z");  // after the NUL nothing is converted
}

}  // namespace
}  // namespace qb
