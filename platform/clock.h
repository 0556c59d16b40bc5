#pragma once
// The local clock.

namespace qb::platform {

struct LocalTime {
  int year, month, day;              // calendar date, month and day from 1
  int hour, minute, second, millis;  // time of day, 24-hour
};

// One reading of the local date and time.
LocalTime localNow();

}  // namespace qb::platform
