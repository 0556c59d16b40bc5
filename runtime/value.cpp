#include "runtime/value.h"

#include <cmath>

namespace qb {

namespace {
// Fliegel and Van Flandern's conversion between Gregorian dates and Julian day numbers.
std::int32_t julianFromYmd(int y, int m, int d) {
  return d - 32075 + 1461 * (y + 4800 + (m - 14) / 12) / 4 +
         367 * (m - 2 - (m - 14) / 12 * 12) / 12 - 3 * ((y + 4900 + (m - 14) / 12) / 100) / 4;
}
}  // namespace

Date Date::fromYmd(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return Date{};
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  const int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
  if (day > last) return Date{};
  return Date{julianFromYmd(year, month, day)};
}

void Date::ymd(int& year, int& month, int& day) const {
  if (julian == 0) {
    year = month = day = 0;
    return;
  }
  long l = julian + 68569;
  const long n = 4 * l / 146097;
  l -= (146097 * n + 3) / 4;
  const long i = 4000 * (l + 1) / 1461001;
  l = l - 1461 * i / 4 + 31;
  const long j = 80 * l / 2447;
  day = static_cast<int>(l - 2447 * j / 80);
  l = j / 11;
  month = static_cast<int>(j + 2 - 12 * l);
  year = static_cast<int>(100 * (n - 49) + i + l);
}

const std::string& Value::text() const {
  static const std::string kEmpty;
  if (auto* s = std::get_if<std::string>(this)) return *s;
  if (auto* m = std::get_if<Memo>(this)) return m->text;
  return kEmpty;
}

char Value::typeLetter() const {
  static constexpr char kLetters[] = {'U', 'C', 'M', 'N', 'L', 'D', 'T',
                                      'A', 'O', 'B', 'H', 'P', 'S'};
  static_assert(sizeof(kLetters) == std::variant_size_v<ValueBase>);
  return kLetters[index()];
}

Value makeArray(std::vector<Value> items) {
  return Value(std::make_shared<std::vector<Value>>(std::move(items)));
}

Value makeBlock(std::function<Value(std::span<const Value>)> body) {
  return Value(std::make_shared<std::function<Value(std::span<const Value>)>>(std::move(body)));
}

std::int32_t toInt32(double number) {
  if (!std::isfinite(number)) return 0;
  const double t = std::trunc(number);
  const double wrapped = std::fmod(t, 4294967296.0);
  const auto u = static_cast<std::uint32_t>(static_cast<std::int64_t>(wrapped));
  return static_cast<std::int32_t>(u);
}

}  // namespace qb
