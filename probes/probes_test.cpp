#include "probes/probes.h"

#include <gtest/gtest.h>

#include <regex>

#include "probes/treg32.h"

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

TEST(Probes, ProcessorNameFromTheRegistryKey) {
  const std::string cpu = GETCPU();
  EXPECT_FALSE(cpu.empty());
  EXPECT_EQ(cpu.find('\0'), std::string::npos);

  TReg32 key;
  key.New(platform::kLocalMachine, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0");
  EXPECT_EQ(key.nError, 0);
  EXPECT_TRUE(key.lError.isLogical());
  EXPECT_EQ(key.Get("ProcessorNameString"), cpu);
  EXPECT_EQ(key.Get("NoSuchValueName"), "");
  EXPECT_NE(key.nError, 0);
  key.Close();
  EXPECT_EQ(key.nError, 0);

  TReg32 missing;
  missing.New(platform::kLocalMachine, "HARDWARE\\NO\\SUCH\\KEY");
  EXPECT_NE(missing.nError, 0);
  EXPECT_EQ(missing.Get("ProcessorNameString"), "");
}

TEST(Probes, OemToAnsiKeepsTheLength) {
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
