#include "probes/probe_rules.h"

#include <algorithm>
#include <cmath>

namespace qb {

namespace {
constexpr double kDay = 86399;  // one second short of a full day
}

double elapsedSeconds(int startJulian, double startSeconds, int nowJulian, double nowSeconds) {
  const int days = nowJulian - startJulian;
  double elapsed = 0;
  if (days > 0)
    elapsed = (kDay - startSeconds) + (days - 1) * kDay + nowSeconds;
  else if (days == 0)
    elapsed = nowSeconds - startSeconds;
  // A clock set back during the run would otherwise give negative hours, minutes or seconds.
  return std::max(elapsed, 0.0);
}

std::string elapsedText(double seconds) {
  const double hours = std::trunc(seconds / 3600);
  const double minutes = std::trunc((seconds - hours * 3600) / 60);
  const double secs = std::trunc(seconds - hours * 3600 - minutes * 60);
  auto text = [](double n) { return std::to_string(static_cast<long long>(n)); };
  return text(hours) + " hours " + text(minutes) + " mins " + text(secs) + " secs ";
}

int roundCpuSpeed(float raw) {
  const double r = raw;
  int n = static_cast<int>(
      std::trunc(16.666666666666668 * std::trunc((r + 8.333333333333334) * 0.06) + 0.5));
  if (n % 100 == 67 && n != 667) --n;
  if (std::fabs(r - 75) < std::fabs(r - n)) n = 75;
  if (n < 50) n = static_cast<int>(std::trunc(r + 0.5));
  return n;
}

std::vector<std::string> distinctTitles(const std::vector<std::string>& titles) {
  std::vector<std::string> kept;
  for (const auto& title : titles) {
    const bool begun = std::any_of(kept.begin(), kept.end(),
                                   [&](const std::string& k) { return k.starts_with(title); });
    if (!begun) kept.push_back(title);
  }
  return kept;
}

}  // namespace qb
