#include "runtime/cvaltochar.h"

#include <gtest/gtest.h>

#include <limits>

namespace qb {
namespace {

TEST(CvalToChar, TextLogicalNilAndSymbol) {
  EXPECT_EQ(CVALTOCHAR("abc "), "abc ");
  EXPECT_EQ(CVALTOCHAR(Value(Memo{"long\r\ntext"})), "long\r\ntext");
  EXPECT_EQ(CVALTOCHAR(true), ".T.");
  EXPECT_EQ(CVALTOCHAR(false), ".F.");
  EXPECT_EQ(CVALTOCHAR(Value()), "");
  EXPECT_EQ(CVALTOCHAR(Value(Symbol{"TESTIT"})), "");
}

TEST(CvalToChar, IntegersArePlainDigits) {
  EXPECT_EQ(CVALTOCHAR(0), "0");
  EXPECT_EQ(CVALTOCHAR(Value(-0.0)), "0");
  EXPECT_EQ(CVALTOCHAR(42), "42");
  EXPECT_EQ(CVALTOCHAR(-7), "-7");
  EXPECT_EQ(CVALTOCHAR(Value(2147483648.0)), "2147483648");
  EXPECT_EQ(CVALTOCHAR(Value(1e20)), "100000000000000000000");
}

TEST(CvalToChar, OtherNumbersAreShortestDecimalsWithoutExponent) {
  EXPECT_EQ(CVALTOCHAR(Value(0.1)), "0.1");
  EXPECT_EQ(CVALTOCHAR(Value(-2.5)), "-2.5");
  EXPECT_EQ(CVALTOCHAR(Value(1.0 / 3)), "0.3333333333333333");
  EXPECT_EQ(CVALTOCHAR(Value(1e-7)), "0.0000001");
  EXPECT_EQ(CVALTOCHAR(Value(std::numeric_limits<double>::infinity())), "inf");
}

TEST(CvalToChar, DatesAndTimestampsUseTheProcessFormats) {
  EXPECT_EQ(CVALTOCHAR(Value(Date::fromYmd(2025, 12, 31))), "12/31/25");
  EXPECT_EQ(CVALTOCHAR(Value(Date::fromYmd(1903, 1, 2))), "01/02/03");
  EXPECT_EQ(CVALTOCHAR(Value(Date{})), "  /  /  ");
  const std::int32_t millis = ((23 * 60 + 5) * 60 + 9) * 1000 + 7;
  EXPECT_EQ(CVALTOCHAR(Value(Timestamp{0, millis})), "23:05:09.007");
  EXPECT_EQ(CVALTOCHAR(Value(Timestamp{Date::fromYmd(2016, 4, 16).julian, millis})),
            "04/16/16 23:05:09.007");
}

TEST(CvalToChar, CompositeKindsShowPlaceholders) {
  EXPECT_EQ(CVALTOCHAR(makeArray({1, 2})), "{ ... }");
  EXPECT_EQ(CVALTOCHAR(makeBlock([](std::span<const Value>) { return Value(); })), "{|| ... }");
  EXPECT_EQ(CVALTOCHAR(Value(std::make_shared<std::vector<std::pair<Value, Value>>>())), "{=>}");
  EXPECT_EQ(CVALTOCHAR(Value(Pointer{reinterpret_cast<const void*>(0xBEEF), nullptr})), "0xBEEF");
  EXPECT_EQ(CVALTOCHAR(Value(Pointer{})), "0x0");
}

TEST(CvalToChar, ObjectsShowTheirClassNameData) {
  struct Plain : Object {
    std::string className() const override { return "TPLAIN"; }
  };
  struct Named : Object {
    std::string name = "My label";
    std::string className() const override { return "TNAMED"; }
    const std::string* cClassName() const override { return &name; }
  };
  EXPECT_EQ(CVALTOCHAR(Value(ObjectRef(std::make_shared<Plain>()))), "TPLAIN");
  EXPECT_EQ(CVALTOCHAR(Value(ObjectRef(std::make_shared<Named>()))), "My label");
}

TEST(DateText, ReadsTheProcessFormat) {
  EXPECT_EQ(textToDate("12/31/25"), Date::fromYmd(1925, 12, 31));
  EXPECT_EQ(textToDate("01/02/99"), Date::fromYmd(1999, 1, 2));
  EXPECT_EQ(textToDate(" 1/2/2016 "), Date::fromYmd(2016, 1, 2));
  EXPECT_EQ(textToDate(dateToText(Date::fromYmd(1950, 6, 7))), Date::fromYmd(1950, 6, 7));
  for (const char* bad : {"", "  /  /  ", "13/01/25", "02/30/25", "12/31", "12//25", "a2/31/25",
                          "12/31/25x", "12/31/25/1", "2025-12-31"}) {
    EXPECT_TRUE(textToDate(bad).empty()) << bad;
  }
}

}  // namespace
}  // namespace qb
