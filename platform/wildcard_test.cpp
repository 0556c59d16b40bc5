#include "platform/wildcard.h"

#include <gtest/gtest.h>

namespace qb::platform {
namespace {

TEST(Wildcard, OnlyStarAndQuestionMarkAreWild) {
  struct Case {
    const char* name;
    const char* pattern;
    bool exact, caseBlind;
  };
  const Case cases[] = {
      {"br[1]", "br[1]", true, true},
      {"br1", "br[1]", false, false},
      {"a", "[ab]", false, false},
      {"br[1]", "br[?]", true, true},
      {"x]y[z", "*]*[*", true, true},
      {"a\\b", "a\\b", true, true},  // no escape character either
      {"ab", "a\\b", false, false},
      {"resp_1.sql", "resp_?.sql", true, true},
      {"resp_.sql", "resp_?.sql", false, false},
      {"Backup.ZIP", "backup.zip", false, true},
      {"Backup.ZIP", "B*.Z?P", true, true},
      {"backup.zip", "*.ZIP", false, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(wildcardMatch(c.name, c.pattern, false), c.exact) << c.name << " ~ " << c.pattern;
    EXPECT_EQ(wildcardMatch(c.name, c.pattern, true), c.caseBlind) << c.name << " ~ " << c.pattern;
  }
  EXPECT_TRUE(hasWildcard("a*"));
  EXPECT_TRUE(hasWildcard("?"));
  EXPECT_FALSE(hasWildcard("br[1]/x.sql"));
}

}  // namespace
}  // namespace qb::platform
