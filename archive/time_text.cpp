#include "archive/time_text.h"

#include <cctype>
#include <optional>
#include <string_view>

namespace qb {

namespace {
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  void skipBlanks() {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
  }
  bool take(char c) {
    if (pos_ >= text_.size() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  // Up to maxDigits digits, at least one.
  std::optional<int> number(std::size_t maxDigits) {
    int value = 0;
    std::size_t count = 0;
    while (count < maxDigits && pos_ < text_.size() &&
           std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
      value = value * 10 + (text_[pos_++] - '0');
      ++count;
    }
    if (count == 0) return std::nullopt;
    return value;
  }
  // "AM" or "PM" in either case: 'A', 'P', or 0 when neither follows.
  char meridiem() {
    if (pos_ + 2 > text_.size()) return 0;
    const char first = static_cast<char>(std::toupper(static_cast<unsigned char>(text_[pos_])));
    const char second =
        static_cast<char>(std::toupper(static_cast<unsigned char>(text_[pos_ + 1])));
    if ((first != 'A' && first != 'P') || second != 'M') return 0;
    pos_ += 2;
    return first;
  }
  bool atEnd() const { return pos_ == text_.size(); }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

std::optional<TimeOfDay> parse(std::string_view text) {
  Reader r(text);
  r.skipBlanks();
  TimeOfDay t;
  const auto hour = r.number(2);
  if (!hour || !r.take(':')) return std::nullopt;
  const auto minute = r.number(2);
  if (!minute) return std::nullopt;
  t.hour = *hour;
  t.minute = *minute;
  if (r.take(':')) {
    const auto second = r.number(2);
    if (!second) return std::nullopt;
    t.second = *second;
    if (r.take('.') && !r.number(3)) return std::nullopt;
  }
  r.skipBlanks();
  const char half = r.meridiem();
  r.skipBlanks();
  if (!r.atEnd() || t.minute > 59 || t.second > 59) return std::nullopt;
  if (half == 0) {
    if (t.hour > 23) return std::nullopt;
  } else {
    if (t.hour < 1 || t.hour > 12) return std::nullopt;
    t.hour = t.hour % 12 + (half == 'P' ? 12 : 0);
  }
  return t;
}
}  // namespace

TimeOfDay parseTimeText(const std::string& text) {
  return parse(text).value_or(TimeOfDay{});
}

}  // namespace qb
