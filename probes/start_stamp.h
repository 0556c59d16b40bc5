#pragma once
// The process's start stamp, from which the error report measures the elapsed time.

namespace qb {

struct StartStamp {
  int julian = 0;        // the start date; 0 until recorded
  double seconds = 0.0;  // seconds since midnight, with fractions
};

void recordStartStamp();
const StartStamp& startStamp();

}  // namespace qb
