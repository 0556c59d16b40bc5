#include "probes/probes.h"

#include <gtest/gtest.h>

#include <regex>

namespace qb {
namespace {

TEST(Probes, ExecutableAndFiles) {
  const std::string path = GETMODULEFILENAME(GETINSTANCE());
  ASSERT_FALSE(path.empty());
  EXPECT_LE(path.size(), 248u);
  EXPECT_EQ(GETINSTANCE(), GETINSTANCE());
  EXPECT_GT(FSIZE(path), 100000u);
  EXPECT_EQ(FSIZE(path + ".no-such-file"), 0u);
}

TEST(Probes, FixedAndMeasuredFigures) {
  EXPECT_FALSE(ISWIN64());
  for (const Value& kind : {Value(0), Value(1), Value(2), Value(77), Value("x")})
    EXPECT_EQ(GETFREESYSTEMRESOURCES(kind), 90);
  EXPECT_EQ(MEMUSED(), 0);
  EXPECT_EQ(MEMMAX(), 0);
  EXPECT_TRUE(GETTASKS().empty());  // this process has no window
  EXPECT_NE(NEXTMEM(), 0);
  EXPECT_TRUE(std::regex_match(TIMEFROMSTART(), std::regex("\\d+ hours \\d+ mins \\d+ secs ")))
      << TIMEFROMSTART();
  const int mhz = GETCPUSPEED();
  EXPECT_GT(mhz, 0);
  EXPECT_LT(mhz, 20000);
  EXPECT_GT(GETVERSION().major, 0);
}

TEST(Probes, ProcessorName) {
  const std::string cpu = GETCPU();
  EXPECT_FALSE(cpu.empty());
  EXPECT_EQ(cpu.find('\0'), std::string::npos);
}

}  // namespace
}  // namespace qb
