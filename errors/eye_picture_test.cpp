#include "errors/eye_picture.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(EyePicture, IsAnOutlinedEyeOnAPlainGround) {
  const platform::Picture eye = eyePicture();
  ASSERT_EQ(eye.width, 32);
  ASSERT_EQ(eye.height, 32);
  ASSERT_EQ(eye.palette.size(), 256u);
  ASSERT_EQ(eye.pixels.size(), 32u * 32u);
  auto colour = [&](int x, int y) { return eye.palette[eye.pixels[y * 32 + x]]; };
  const std::uint32_t ground = colour(0, 0);
  EXPECT_EQ(colour(31, 0), ground);
  EXPECT_EQ(colour(0, 31), ground);
  EXPECT_EQ(colour(31, 31), ground);
  EXPECT_EQ(colour(16, 16), 0x000000u);  // the pupil
  // Along the middle row: ground, then the black lid line, then white before the iris.
  int x = 0;
  while (x < 32 && colour(x, 16) == ground) ++x;
  ASSERT_LT(x, 8);
  EXPECT_EQ(colour(x, 16), 0x000000u);
  EXPECT_EQ(colour(x + 1, 16), 0xFFFFFFu);
  // Above and below the lids the ground shows again.
  EXPECT_EQ(colour(16, 2), ground);
  EXPECT_EQ(colour(16, 29), ground);
}

}  // namespace
}  // namespace qb
