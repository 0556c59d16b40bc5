#pragma once
// Time-of-day texts as entry times: "hh:mm" or "hh:mm:ss", optionally "hh:mm:ss.fff", with a
// trailing AM or PM for 12-hour times.

#include <string>

namespace qb {

struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
  bool operator==(const TimeOfDay&) const = default;
};

// 00:00:00 for a text that is not such a time or whose fields are out of range.
TimeOfDay parseTimeText(const std::string& text);

}  // namespace qb
