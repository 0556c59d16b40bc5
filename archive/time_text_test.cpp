#include "archive/time_text.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(TimeText, ReadsTwentyFourAndTwelveHourTimes) {
  struct Case {
    const char* text;
    TimeOfDay time;
  };
  const Case cases[] = {
      {"01:36:42", {1, 36, 42}},
      {"1:5", {1, 5, 0}},
      {"  23:59:59.999 ", {23, 59, 59}},
      {"12:00 am", {0, 0, 0}},
      {"12:30PM", {12, 30, 0}},
      {"1:15:07 pm", {13, 15, 7}},
      {"11:59 AM", {11, 59, 0}},
      // Unreadable or out of range: midnight.
      {"13", {}},
      {"24:00", {}},
      {"10:60", {}},
      {"10:30:60", {}},
      {"13:00 PM", {}},
      {"0:10 AM", {}},
      {"10:30:15.1234", {}},
      {"10:30.5", {}},
      {"123:00", {}},
      {"10:30 XM", {}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(parseTimeText(c.text), c.time) << '"' << c.text << '"';
}

}  // namespace
}  // namespace qb
