#pragma once
// The arithmetic of the system probes, apart from the calls that feed it.

#include <string>
#include <vector>

namespace qb {

// Seconds from the start stamp to now, a day counting 86399 seconds; 0 when the clock stands
// before the start.
double elapsedSeconds(int startJulian, double startSeconds, int nowJulian, double nowSeconds);

// "H hours M mins S secs ", whole parts cut toward zero.
std::string elapsedText(double seconds);

// The processor clock in whole MHz from the measured value: nearest multiple of 16 2/3, the
// x67 names one lower, 75 when closer, the raw value itself below 50.
int roundCpuSpeed(float raw);

// The titles in order, each dropped when an entry already kept begins with it.
std::vector<std::string> distinctTitles(const std::vector<std::string>& titles);

}  // namespace qb
