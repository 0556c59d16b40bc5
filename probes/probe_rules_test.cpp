#include "probes/probe_rules.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(ProbeRules, ElapsedTimeCountsADayAs86399Seconds) {
  struct Case {
    int startDay;
    double startSeconds;
    int nowDay;
    double nowSeconds;
    const char* text;
  };
  const Case cases[] = {
      {100, 3600, 100, 3605.4, "0 hours 0 mins 5 secs "},
      {100, 0.5, 100, 3725.5, "1 hours 2 mins 5 secs "},
      {100, 50000, 101, 50000, "23 hours 59 mins 59 secs "},  // one day later, same time
      {100, 86000, 102, 100, "24 hours 8 mins 18 secs "},     // 399 + 86399 + 100
      {100, 50000, 99, 60000, "0 hours 0 mins 0 secs "},      // date set back before the start
      {100, 50000, 100, 40000, "0 hours 0 mins 0 secs "},     // clock set back the same day
      {100, 0, 100, 86399.99, "23 hours 59 mins 59 secs "},
  };
  for (const auto& c : cases)
    EXPECT_EQ(elapsedText(elapsedSeconds(c.startDay, c.startSeconds, c.nowDay, c.nowSeconds)),
              c.text)
        << c.startDay << " " << c.startSeconds << " -> " << c.nowDay << " " << c.nowSeconds;
}

TEST(ProbeRules, CpuSpeedRounding) {
  const std::pair<float, int> cases[] = {
      {2793.4f, 2800}, {1065.9f, 1066}, {666.2f, 667}, {74.0f, 75},     {79.0f, 83},
      {41.7f, 50},     {40.0f, 40},     {1.2f, 1},     {3000.0f, 3000}, {1166.0f, 1166},
  };
  for (const auto& [raw, mhz] : cases) EXPECT_EQ(roundCpuSpeed(raw), mhz) << raw;
}

TEST(ProbeRules, TitlesThatBeginAnEarlierOneAreDropped) {
  using Titles = std::vector<std::string>;
  EXPECT_EQ(distinctTitles({"Editor 2", "Editor", ""}), Titles{"Editor 2"});
  EXPECT_EQ(distinctTitles({"", "A", "", "AB", "A"}), (Titles{"", "A", "AB"}));
  EXPECT_EQ(distinctTitles({"Editor", "Editor 2", "editor"}),
            (Titles{"Editor", "Editor 2", "editor"}));
  EXPECT_EQ(distinctTitles({}), Titles{});
}

}  // namespace
}  // namespace qb
