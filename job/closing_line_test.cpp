#include "job/closing_line.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(ClosingLine, OnlyALastLineThatBeginsWithIt) {
  const std::string body = "-- MariaDB dump\nINSERT INTO t VALUES (1);\n";
  struct Case {
    std::string tail;
    bool whole, complete;
  };
  const Case cases[] = {
      {body + "-- Dump completed on 2024-05-01 10:11:12\n", true, true},
      {body + "-- Dump completed on 2024-05-01 10:11:12", true, true},
      {body + "-- Dump completed\r\n", true, true},
      {"-- Dump completed\n", true, true},
      {"x\n-- Dump completed\n", false, true},
      {body, true, false},                                // cut short
      {body + "-- Dump completed\n\n", true, false},      // not the last line
      {body + "-- Dump completed\nINSERT", true, false},  // written after it
      {body + "--  Dump completed\n", true, false},
      {body + " -- Dump completed\n", true, false},
      {"-- Dump complete\n", true, false},
      {"-", true, false},  // one byte
      {"", true, false},
      {"\n", true, false},
      {"-- Dump completed\n", false, false},  // the line may start before the tail
  };
  for (const auto& c : cases)
    EXPECT_EQ(endsWithClosingLine(c.tail, c.whole), c.complete) << c.tail << "|" << c.whole;
}

}  // namespace
}  // namespace qb
