#include "platform/utf16.h"

#include <gtest/gtest.h>

#include <random>

namespace qb::platform {
namespace {

TEST(Utf16, TextIsUtf8) {
  const std::u16string units = u"C:\\A\u00f1o\\\u4e2d\U0001F600";
  const std::string text = "C:\\A\xC3\xB1o\\\xE4\xB8\xAD\xF0\x9F\x98\x80";
  EXPECT_EQ(textFromUtf16(units), text);
  EXPECT_EQ(utf16FromText(text), units);
}

TEST(Utf16, BytesThatAreNotUtf8StandForThemselves) {
  // Latin-1, an overlong form, a cut sequence, a byte past U+10FFFF.
  for (const std::string text : {"\xE9", "a\xC0\xAF", "\xE4\xB8", "\xF4\x90\x80\x80"}) {
    const std::u16string units = utf16FromText(text);
    for (const char16_t u : units) EXPECT_TRUE(u < 0x80 || (u >= 0xDC80 && u <= 0xDCFF)) << text;
    EXPECT_EQ(textFromUtf16(units), text);
  }
  EXPECT_EQ(utf16FromText("\xE9"), u"\xDCE9");
}

TEST(Utf16, UnpairedSurrogatesAreKept) {
  const std::u16string units = {u'x', 0xD800, u'y', 0xDC00, 0xDBFF};
  const std::string text = textFromUtf16(units);
  EXPECT_EQ(text, "x\xED\xA0\x80y\xED\xB0\x80\xED\xAF\xBF");
  EXPECT_EQ(utf16FromText(text), units);
  // Forms that would pair up, with each other or with a byte, stay bytes.
  for (const std::string bytes : {"\xED\xA0\x80\xED\xB0\x80", "\xED\xA0\x80\xED\xA0\x80\xE9"}) {
    const std::u16string out = utf16FromText(bytes);
    EXPECT_EQ(out.substr(0, 3), u"\xDCED\xDCA0\xDC80");
    EXPECT_EQ(textFromUtf16(out), bytes);
  }
  // The one loss: units that stand for bytes spelling UTF-8 read as what they spell.
  EXPECT_EQ(textFromUtf16(u"\xDCC3\xDCA9"), "\xC3\xA9");
}

TEST(Utf16, EveryTextComesBackAndSoDoesEveryUnitString) {
  std::mt19937 random(1604);
  const std::vector<char16_t> units = {u'a',   u'\r',  0xE9,   0x4E2D, 0xD800, 0xDBFF,
                                       0xDC00, 0xDC7F, 0xDFFF, 0xD83D, 0xDE00, 0xFFFF};
  const std::string bytes = "a\x80\xBF\xC3\xA9\xE4\xB8\xAD\xED\xA0\xB0\xB2\xF0\x9F\x98\xFF";
  for (int round = 0; round < 20000; ++round) {
    std::u16string u;
    std::string t;
    for (int n = static_cast<int>(random() % 12); n > 0; --n) {
      u += units[random() % units.size()];
      t += bytes[random() % bytes.size()];
    }
    ASSERT_EQ(utf16FromText(textFromUtf16(u)), u) << round;
    ASSERT_EQ(textFromUtf16(utf16FromText(t)), t) << round;
  }
}

TEST(Utf16, MapsEachByteToItsUnit) {
  std::vector<std::size_t> from;
  EXPECT_EQ(textFromUtf16(u"a\u00f1\U0001F600\xDC80", &from), "a\xC3\xB1\xF0\x9F\x98\x80\x80");
  EXPECT_EQ(from, (std::vector<std::size_t>{0, 1, 1, 2, 2, 2, 2, 4, 5}));
}

}  // namespace
}  // namespace qb::platform
