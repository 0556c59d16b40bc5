#include "runtime/cvaltochar.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace qb {

namespace {

std::string numberToText(double number) {
  if (number == 0) return "0";  // also -0
  // Integers in plain digits however large; other numbers as the shortest decimal that reads back
  // as the same double, never with an exponent (0.1, -2.5, 0.0000001).
  std::array<char, 1200> buffer;
  auto [end, ec] = std::isfinite(number) && std::trunc(number) == number
                       ? std::to_chars(buffer.data(), buffer.data() + buffer.size(), number,
                                       std::chars_format::fixed, 0)
                       : std::to_chars(buffer.data(), buffer.data() + buffer.size(), number,
                                       std::chars_format::fixed);
  if (ec != std::errc()) return "";
  return std::string(buffer.data(), end);
}

std::string timeToText(std::int32_t millis) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d.%03d", millis / 3600000, millis / 60000 % 60,
                millis / 1000 % 60, millis % 1000);
  return buffer;
}

std::string hexAddress(const void* address) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%llX",
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(address)));
  return buffer;
}

}  // namespace

std::string dateToText(const Date& date) {
  if (date.empty()) return "  /  /  ";
  int y, m, d;
  date.ymd(y, m, d);
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02d/%02d/%02d", m % 100, d % 100, y % 100);
  return buffer;
}

Date textToDate(const std::string& text) {
  // Blanks around it are ignored; inside, three runs of digits (month, day, year) separated by one
  // character that is not a digit.
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return Date{};
  const auto last = text.find_last_not_of(' ');
  int parts[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  int part = 0;
  for (auto i = first; i <= last; ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      if (++digits[part] > 4) return Date{};
      parts[part] = parts[part] * 10 + (c - '0');
    } else if (digits[part] == 0 || ++part > 2) {
      return Date{};
    }
  }
  if (part != 2 || digits[2] == 0) return Date{};
  const int year = digits[2] <= 2 ? 1900 + parts[2] : parts[2];
  return Date::fromYmd(year, parts[0], parts[1]);
}

std::string CVALTOCHAR(const Value& value) {
  struct Visitor {
    std::string operator()(const Nil&) const { return ""; }
    std::string operator()(const std::string& s) const { return s; }
    std::string operator()(const Memo& m) const { return m.text; }
    std::string operator()(double n) const { return numberToText(n); }
    std::string operator()(bool b) const { return b ? ".T." : ".F."; }
    std::string operator()(const Date& d) const { return dateToText(d); }
    std::string operator()(const Timestamp& t) const {
      if (t.julian == 0) return timeToText(t.millis);
      return dateToText(Date{t.julian}) + " " + timeToText(t.millis);
    }
    std::string operator()(const Array&) const { return "{ ... }"; }
    std::string operator()(const ObjectRef& o) const {
      if (!o) return "";
      if (const std::string* data = o->cClassName()) return *data;
      return o->className();
    }
    std::string operator()(const Block&) const { return "{|| ... }"; }
    std::string operator()(const Hash&) const { return "{=>}"; }
    std::string operator()(const Pointer& p) const { return hexAddress(p.address); }
    std::string operator()(const Symbol&) const { return ""; }
  };
  return std::visit(Visitor{}, static_cast<const ValueBase&>(value));
}

}  // namespace qb
