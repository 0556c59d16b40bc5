#include "runtime/value.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(Value, TypeLettersCoverEveryKind) {
  struct Obj : Object {
    std::string className() const override { return "X"; }
  };
  EXPECT_EQ(Value().typeLetter(), 'U');
  EXPECT_EQ(Value("a").typeLetter(), 'C');
  EXPECT_EQ(Value(Memo{"a"}).typeLetter(), 'M');
  EXPECT_EQ(Value(1).typeLetter(), 'N');
  EXPECT_EQ(Value(true).typeLetter(), 'L');
  EXPECT_EQ(Value(Date{}).typeLetter(), 'D');
  EXPECT_EQ(Value(Timestamp{}).typeLetter(), 'T');
  EXPECT_EQ(makeArray().typeLetter(), 'A');
  EXPECT_EQ(Value(ObjectRef(std::make_shared<Obj>())).typeLetter(), 'O');
  EXPECT_EQ(makeBlock([](std::span<const Value>) { return Value(); }).typeLetter(), 'B');
  EXPECT_EQ(Value(std::make_shared<std::vector<std::pair<Value, Value>>>()).typeLetter(), 'H');
  EXPECT_EQ(Value(Pointer{}).typeLetter(), 'P');
  EXPECT_EQ(Value(Symbol{"S"}).typeLetter(), 'S');
}

TEST(Value, TextAccessorSeesBothTextKindsOnly) {
  EXPECT_EQ(Value("abc").text(), "abc");
  EXPECT_EQ(Value(Memo{"long"}).text(), "long");
  EXPECT_TRUE(Value(Memo{"x"}).isText());
  EXPECT_EQ(Value(5).text(), "");
  EXPECT_FALSE(Value(5).isText());
}

TEST(Date, RoundTripsAndRejectsInvalidDates) {
  for (auto [y, m, d] :
       {std::tuple{1900, 1, 1}, {1925, 12, 31}, {2000, 2, 29}, {2016, 4, 16}, {9999, 12, 31}}) {
    int yy, mm, dd;
    Date::fromYmd(y, m, d).ymd(yy, mm, dd);
    EXPECT_EQ(std::tuple(yy, mm, dd), std::tuple(y, m, d));
  }
  EXPECT_EQ(Date::fromYmd(2016, 4, 17).julian - Date::fromYmd(2016, 4, 16).julian, 1);
  EXPECT_TRUE(Date::fromYmd(1900, 2, 29).empty());
  EXPECT_TRUE(Date::fromYmd(2023, 13, 1).empty());
  EXPECT_TRUE(Date::fromYmd(2023, 4, 31).empty());
  EXPECT_TRUE(Date::fromYmd(0, 1, 1).empty());
  int y, m, d;
  Date{}.ymd(y, m, d);
  EXPECT_EQ(y + m + d, 0);
}

TEST(ToInt32, TruncatesAndWraps) {
  EXPECT_EQ(toInt32(3.9), 3);
  EXPECT_EQ(toInt32(-3.9), -3);
  EXPECT_EQ(toInt32(4294967295.0), -1);
  EXPECT_EQ(toInt32(2147483648.0), -2147483647 - 1);
  EXPECT_EQ(toInt32(-1.0), -1);
}

}  // namespace
}  // namespace qb
