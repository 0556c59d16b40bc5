#include "platform/profile_engine.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/support/byte_texts.h"

namespace qb::platform {
namespace {

using namespace std::string_literals;
constexpr unsigned kSize = 4095;
const std::nullopt_t null = std::nullopt;

std::string get(const ProfileDocument& doc, const char* section, const char* key,
                const char* def = "") {
  return doc.getString(std::string(section), std::string(key), std::string(def), kSize);
}

// Applies a write and returns the new bytes.
std::string after(std::string bytes, const ProfileDocument::Name& section,
                  const ProfileDocument::Name& key, const ProfileDocument::Name& value) {
  ProfileDocument doc(std::move(bytes));
  doc.write(section, key, value);
  return doc.bytes();
}

TEST(ProfileRead, FindsValuesWithoutRegardToCaseOrBlanks) {
  const ProfileDocument doc("[CONFIG]\r\nprincipal.data=D:\\Respaldos\r\n  Other  =  x y  \r\n");
  EXPECT_EQ(get(doc, "config", "PRINCIPAL.DATA"), "D:\\Respaldos");
  EXPECT_EQ(get(doc, " Config ", "other"), "x y");
}

TEST(ProfileRead, MissingKeysGiveTheDefaultWithoutTrailingBlanks) {
  const ProfileDocument doc("[a]\r\nempty=\r\n");
  EXPECT_EQ(get(doc, "a", "none", "dflt  "), "dflt");
  EXPECT_EQ(get(doc, "b", "x", " lead"), " lead");
  EXPECT_EQ(get(doc, "a", "empty", "x"), "");  // present and empty: the default is not used
  EXPECT_EQ(get(doc, "a", "none", "   "), "");
  EXPECT_EQ(get(doc, "a", "none", "tab\t"), "tab\t");  // only blanks are trailing blanks
  EXPECT_EQ(doc.getString("a"s, "none"s, null, kSize), "");
  EXPECT_EQ(get(ProfileDocument(), "a", "b", "d"), "d");
}

TEST(ProfileRead, DropsOnePairOfEnclosingQuotes) {
  const ProfileDocument doc("[q]\r\na=\"quoted\"\r\nb='x'\r\nc='mixed\"\r\nd=\"\r\ne=\"\"\r\n");
  EXPECT_EQ(get(doc, "q", "a"), "quoted");
  EXPECT_EQ(get(doc, "q", "b"), "x");
  EXPECT_EQ(get(doc, "q", "c"), "'mixed\"");
  EXPECT_EQ(get(doc, "q", "d"), "\"");
  EXPECT_EQ(get(doc, "q", "e"), "");
  EXPECT_EQ(get(doc, "q", "none", "'dflt'"), "dflt");
  // When the text only just fits the buffer, the closing quote takes a character with it.
  EXPECT_EQ(doc.getString("q"s, "a"s, null, 7), "quote");
  EXPECT_EQ(doc.getString("q"s, "a"s, null, 8), "quoted");
}

TEST(ProfileRead, LongValuesAreCutToTheBuffer) {
  const std::string value(5000, 'v');
  const ProfileDocument doc("[s]\r\nk=" + value + "\r\n");
  EXPECT_EQ(get(doc, "s", "k"), value.substr(0, 4094));
  EXPECT_EQ(doc.getString("s"s, "k"s, null, 1), "");
  EXPECT_EQ(doc.getString("s"s, "k"s, null, 0), "");
}

TEST(ProfileRead, CommentsAndLinesWithoutEqualsAreEntriesWithoutValue) {
  const ProfileDocument doc("[s]\r\n; note\r\n;c=5\r\nalone\r\nk=1\r\n");
  EXPECT_EQ(get(doc, "s", "alone", "d"), "d");
  EXPECT_EQ(get(doc, "s", ";c"), "5");
  EXPECT_EQ(doc.getString("s"s, null, null, kSize), "k\0"s);
}

TEST(ProfileRead, FirstSectionAndFirstEntryOfANameWin) {
  const ProfileDocument doc("[a]\r\nk=1\r\nk=2\r\n[A]\r\nk=3\r\nz=4\r\n");
  EXPECT_EQ(get(doc, "a", "k"), "1");
  EXPECT_EQ(get(doc, "a", "z", "d"), "d");
  EXPECT_EQ(doc.getString("a"s, null, null, kSize), "k\0k\0"s);
  EXPECT_EQ(doc.getString(null, null, null, kSize), "a\0A\0"s);
}

TEST(ProfileRead, HeadersTakeTheTextUpToTheLastBracket) {
  const ProfileDocument doc("top=0\r\n[ a ] trailing\r\nk=1\r\n[b\r\nm=2\r\n[c]]\r\nn=3\r\n[]\r\n");
  EXPECT_EQ(get(doc, "", "top"), "0");
  EXPECT_EQ(get(doc, "a", "k"), "1");
  EXPECT_EQ(get(doc, "a", "m"), "2");  // "[b" is no header: it is an entry of [a]
  EXPECT_EQ(get(doc, "c]", "n"), "3");
  EXPECT_EQ(doc.getString(null, null, null, kSize), "a\0c]\0"s);
}

TEST(ProfileRead, ListsAreCutWithTheCountTwoShort) {
  const ProfileDocument doc("[abc]\r\nkey1=1\r\nkey2=2\r\n[de]\r\n");
  EXPECT_EQ(doc.sectionNames(5), "abc");
  EXPECT_EQ(doc.sectionNames(6), "abc\0"s);
  EXPECT_EQ(doc.sectionNames(7), "abc\0d"s);
  EXPECT_EQ(doc.sectionNames(1), "");
  EXPECT_EQ(doc.getString("abc"s, null, "d"s, 1), "");
  EXPECT_EQ(doc.getString("abc"s, null, "d"s, 2), "d");
  EXPECT_EQ(doc.getString("abc"s, null, null, 8), "key1\0k"s);
  EXPECT_EQ(doc.getString("de"s, null, "none"s, kSize), "none");
}

TEST(ProfileRead, IntegersAreReadFromTheStartOfTheValue) {
  const ProfileDocument doc(
      "[n]\r\na=  12abc\r\nb=-5\r\nc=\r\nd=abc\r\ne=99999999999\r\nf=\"42\"\r\ng=+7\r\nh=- 3\r\n");
  EXPECT_EQ(doc.getInt("n"s, "a"s, 77), 12);
  EXPECT_EQ(doc.getInt("n"s, "b"s, 77), -5);
  EXPECT_EQ(doc.getInt("n"s, "c"s, 77), 77);
  EXPECT_EQ(doc.getInt("n"s, "d"s, 77), 0);
  EXPECT_EQ(doc.getInt("n"s, "e"s, 77), 1215752191);
  EXPECT_EQ(doc.getInt("n"s, "f"s, 77), 42);
  EXPECT_EQ(doc.getInt("n"s, "g"s, 77), 7);
  EXPECT_EQ(doc.getInt("n"s, "h"s, 77), 0);
  EXPECT_EQ(doc.getInt("n"s, "none"s, -8), -8);
  EXPECT_EQ(doc.getInt("x"s, "none"s, 3), 3);
}

TEST(ProfileWrite, AnEmptyFileGetsTheSectionAndTheKey) {
  EXPECT_EQ(after("", "RESULT"s, "lastrun"s, ""s), "[RESULT]\r\nlastrun=\r\n");
}

TEST(ProfileWrite, ReplacesOnlyTheValueLine) {
  const std::string file = "; settings\n\n[CONFIG]   ; main\nprincipal.data = C:\\a \n  # odd\n\n";
  EXPECT_EQ(after(file, "config"s, "PRINCIPAL.DATA"s, "D:\\b"s),
            "; settings\n\n[CONFIG]   ; main\nprincipal.data=D:\\b\n  # odd\n\n");
}

TEST(ProfileWrite, TheSameValueChangesNothing) {
  ProfileDocument doc("[s]\r\n  k =  v\r\n");
  EXPECT_FALSE(doc.write("s"s, "k"s, "v"s));
  EXPECT_FALSE(doc.write("s"s, "k"s, "  v"s));  // leading blanks of a value are not written
  EXPECT_EQ(doc.bytes(), "[s]\r\n  k =  v\r\n");
}

TEST(ProfileWrite, NewKeysFollowTheLastNonBlankLineOfTheirSection) {
  EXPECT_EQ(after("[a]\nx=1\n; end of a\n\n\n[b]\ny=2\n", "A"s, "new"s, "v"s),
            "[a]\nx=1\n; end of a\nnew=v\n\n\n[b]\ny=2\n");
  EXPECT_EQ(after("[a]\r\n\r\n[b]\r\n", "a"s, "k"s, "v"s), "[a]\r\nk=v\r\n\r\n[b]\r\n");
  EXPECT_EQ(after("[a]\r\nx=1", "a"s, "k"s, "v"s), "[a]\r\nx=1\r\nk=v\r\n");
}

TEST(ProfileWrite, NewSectionsGoAtTheEndInTheFilesLineEnding) {
  EXPECT_EQ(after("[a]\nx=1\n", "b"s, "k"s, "v"s), "[a]\nx=1\n[b]\nk=v\n");
  EXPECT_EQ(after("[a]\nx=1", "b"s, "k"s, "v"s), "[a]\nx=1\n[b]\nk=v\n");
  EXPECT_EQ(after("[a]\rx=1\r\n", "b"s, "k"s, "v"s), "[a]\rx=1\r\n[b]\rk=v\r");
  EXPECT_EQ(after("; only a comment", "  b  "s, "  k  "s, "v "s),
            "; only a comment\r\n[b]\r\nk=v \r\n");
}

TEST(ProfileWrite, TheNamelessSectionIsTheTopOfTheFile) {
  EXPECT_EQ(after("[a]\r\n", ""s, "k"s, "v"s), "k=v\r\n[a]\r\n");
  EXPECT_EQ(after("\xEF\xBB\xBFtop=1\r\n\r\n[a]\r\n", ""s, "k"s, "v"s),
            "\xEF\xBB\xBFtop=1\r\nk=v\r\n\r\n[a]\r\n");
}

TEST(ProfileWrite, AValuelessLineOfTheNameTakesTheValue) {
  EXPECT_EQ(after("[a]\r\nk\r\nk=2\r\n", "a"s, "K"s, "3"s), "[a]\r\nk=3\r\nk=2\r\n");
}

TEST(ProfileDelete, AKeyTakesItsLineAndNothingElse) {
  EXPECT_EQ(after("[a]\r\n;c\r\nk = 1\r\nz=2\n", "a"s, "K"s, null), "[a]\r\n;c\r\nz=2\n");
  // Later sections of the same name are searched too.
  EXPECT_EQ(after("[a]\r\nx=1\r\n[A]\r\nz=3\r\n", "a"s, "z"s, null), "[a]\r\nx=1\r\n[A]\r\n");
  ProfileDocument doc("[a]\r\nx=1\r\n");
  EXPECT_FALSE(doc.write("a"s, "none"s, null));
  EXPECT_FALSE(doc.write("b"s, "x"s, null));
}

TEST(ProfileDelete, ASectionTakesItsLinesUpToTheNextHeader) {
  const std::string file = "; top\r\n[a]\r\nx=1\r\n; a's\r\n\r\n[b]\r\ny=2\r\n[a]\r\nz=3";
  EXPECT_EQ(after(file, "A"s, null, ""s), "; top\r\n[b]\r\ny=2\r\n[a]\r\nz=3");
  EXPECT_EQ(after(file, "b"s, null, ""s), "; top\r\n[a]\r\nx=1\r\n; a's\r\n\r\n[a]\r\nz=3");
  ProfileDocument doc(file);
  EXPECT_FALSE(doc.write("none"s, null, ""s));
  EXPECT_FALSE(doc.write(null, "x"s, "v"s));
  EXPECT_EQ(doc.bytes(), file);
}

TEST(ProfileModel, ListsSectionsAndEntries) {
  const ProfileDocument doc("x\r\n[a]\r\nk=1\r\n;c\r\n=1\r\n=2\r\n");
  const auto sections = doc.sections();
  ASSERT_EQ(sections.size(), 2u);
  EXPECT_FALSE(sections[0].headed);
  ASSERT_EQ(sections[0].entries.size(), 1u);
  EXPECT_FALSE(sections[0].entries[0].value.has_value());
  EXPECT_EQ(sections[1].name, "a");
  ASSERT_EQ(sections[1].entries.size(), 3u);  // the second empty name is ignored
  EXPECT_EQ(sections[1].entries[2].value, "1");
}

// A UTF-16 file with its byte order mark, little- or big-endian.
std::string utf16(const std::u16string& text, bool bigEndian = false) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t u : text) {
    const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
  }
  return out;
}

TEST(ProfileUtf16, ReadsAndWritesUtf16InTheFilesByteOrder) {
  const std::u16string file = u"; \u4e2d\r\n[CONFIG]\r\nprincipal.data=/srv/A\u00f1o\r\n";
  for (const bool bigEndian : {false, true}) {
    ProfileDocument doc(utf16(file, bigEndian));
    EXPECT_EQ(get(doc, "config", "principal.data"), "/srv/A\xC3\xB1o");
    EXPECT_EQ(doc.getString(null, null, null, kSize), "CONFIG\0"s);
    ASSERT_TRUE(doc.write("CONFIG"s, "secundario.data"s, "/srv/\xC3\xB1"s));
    ASSERT_TRUE(doc.write("RESULT"s, "lastrun"s, "2016-4-16 01:36:42"s));
    EXPECT_EQ(doc.bytes(), utf16(file + u"secundario.data=/srv/\u00f1\r\n[RESULT]\r\n"
                                        u"lastrun=2016-4-16 01:36:42\r\n",
                                 bigEndian));
    ASSERT_TRUE(doc.write("CONFIG"s, null, ""s));
    EXPECT_EQ(doc.bytes(),
              utf16(u"; \u4e2d\r\n[RESULT]\r\nlastrun=2016-4-16 01:36:42\r\n", bigEndian));
  }
  // A mark alone is an empty UTF-16 file; deleting every line leaves the mark.
  EXPECT_EQ(after(utf16(u""), "a"s, "k"s, "v"s), utf16(u"[a]\r\nk=v\r\n"));
  EXPECT_EQ(after(utf16(u"[a]\nk=v\n", true), "a"s, null, ""s), utf16(u"", true));
}

TEST(ProfileUtf16, WhatIsNotTextIsKept) {
  // An unpaired surrogate in a value and in a name, and an odd last byte.
  const std::u16string broken = {u'k', 0xD800, u'=', u'x', 0xDC00, u'\r', u'\n'};
  const std::string file = utf16(u"[a]\r\n" + broken + u"z=1\r\n") + "\x41";
  ProfileDocument doc(file);
  EXPECT_EQ(get(doc, "a", "k\xED\xA0\x80"), "x\xED\xB0\x80");
  EXPECT_EQ(get(doc, "a", "z"), "1");
  ASSERT_TRUE(doc.write("a"s, "z"s, "2"s));
  ASSERT_TRUE(doc.write("b"s, "copy"s, get(doc, "a", "k\xED\xA0\x80")));
  const std::u16string copy = {u'c', u'o', u'p', u'y', u'=', u'x', 0xDC00, u'\r', u'\n'};
  EXPECT_EQ(doc.bytes(), utf16(u"[a]\r\n" + broken + u"z=2\r\n[b]\r\n" + copy) + "\x41");
  ASSERT_TRUE(doc.write("a"s, "K\xED\xA0\x80"s, "y"s));
  const std::u16string renamed = {u'k', 0xD800, u'=', u'y', u'\r', u'\n'};
  EXPECT_EQ(doc.bytes(), utf16(u"[a]\r\n" + renamed + u"z=2\r\n[b]\r\n" + copy) + "\x41");
  // Text that is not UTF-8 is written so that it reads back as it was.
  ProfileDocument latin(utf16(u""));
  ASSERT_TRUE(latin.write("a"s, "k"s, "caf\xE9"s));
  EXPECT_EQ(latin.bytes(), utf16(u"[a]\r\nk=caf\xDCE9\r\n"));
  EXPECT_EQ(get(ProfileDocument(latin.bytes()), "a", "k"), "caf\xE9");
}

TEST(ProfileUtf16, AUtf8FileKeepsItsMarkAndItsBytes) {
  EXPECT_EQ(after("\xEF\xBB\xBF[a]\r\nk=\xC3\xA9\r\n", "a"s, "j"s, "\xE4\xB8\xAD"s),
            "\xEF\xBB\xBF[a]\r\nk=\xC3\xA9\r\nj=\xE4\xB8\xAD\r\n");
  EXPECT_EQ(get(ProfileDocument("\xEF\xBB\xBF[a]\r\nk=\xC3\xA9\r\n"), "a", "k"), "\xC3\xA9");
}

// Bad UTF-16: read without a crash; a write keeps every other unit.
TEST(ProfileUtf16, BadFilesAreRewrittenWithoutLosingLines) {
  std::mt19937 random(14);
  for (int round = 0; round < 200; ++round) {
    std::u16string text;
    for (int i = 0; i < 400; ++i) {
      const char16_t pick[] = {u'[', u']', u'=', u'\r', u'\n', u' ', u';', 0xD800, 0xDC00, 0xDCE9};
      text += random() % 3 ? pick[random() % std::size(pick)] : static_cast<char16_t>(random());
    }
    const std::string file = utf16(text) + (round % 2 ? "\x7F" : "");
    ProfileDocument doc(file);
    (void)doc.getString(null, null, null, kSize);
    ASSERT_TRUE(doc.write("RESULT"s, "lastrun"s, "done"s));
    EXPECT_EQ(get(doc, "RESULT", "lastrun"), "done");
    // The mark and an odd last byte stay; of the units between, one line's at most change.
    const std::size_t odd = file.size() % 2;
    const std::string& out = doc.bytes();
    ASSERT_EQ(out.substr(0, 2), file.substr(0, 2));
    ASSERT_EQ(out.size() % 2, odd);
    if (odd) {
      ASSERT_EQ(out.back(), file.back());
    }
    const std::string before = file.substr(2, file.size() - 2 - odd);
    const std::string now = out.substr(2, out.size() - 2 - odd);
    const std::size_t units = std::min(before.size(), now.size()) / 2;
    std::size_t head = 0, tail = 0;
    while (head < units && before.compare(2 * head, 2, now, 2 * head, 2) == 0) ++head;
    while (head + tail < units && before.compare(before.size() - 2 * (tail + 1), 2, now,
                                                 now.size() - 2 * (tail + 1), 2) == 0) {
      ++tail;
    }
    const std::string lost = before.substr(2 * head, before.size() - 2 * (head + tail));
    for (std::size_t i = 0; i + 1 < lost.size(); i += 2) {
      ASSERT_FALSE(lost[i + 1] == 0 && (lost[i] == '\r' || lost[i] == '\n'))
          << "more than one line changed in round " << round;
    }
  }
}

// Bad input: read without a crash, and a write keeps every other line.
class BadInput : public ::testing::TestWithParam<std::string> {};

TEST_P(BadInput, IsReadAndRewrittenWithoutLosingLines) {
  const std::string file = GetParam();
  ProfileDocument doc(file);
  (void)doc.getString("RESULT"s, "lastrun"s, "d"s, kSize);
  (void)doc.getString(null, null, null, kSize);
  (void)doc.getString("RESULT"s, null, null, kSize);
  (void)doc.getInt("RESULT"s, "lastrun"s, 0);
  ASSERT_TRUE(doc.write("RESULT"s, "lastrun"s, "2016-4-16 01:36:42"s));
  const std::string& out = doc.bytes();
  EXPECT_EQ(doc.getString("RESULT"s, "lastrun"s, ""s, kSize), "2016-4-16 01:36:42");
  // The old bytes are all still there, in order, with one new line or one line changed.
  EXPECT_EQ(test::replacedPart(file, out).find_first_of("\r\n"), std::string::npos)
      << "more than one line changed";
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadInput,
    ::testing::Values(test::randomBytes(20160416, 20000),
                      "[CONFIG]\r\nprincipal.data=D:\\x\r\n[RESULT]\r\nlastrun=old"s,
                      "[CONFIG]\r\na=1\n[RESULT]\nlastrun=x\r\n\r\nb=2\n"s,
                      "[CONFIG]\r\nbig=" + std::string(1 << 20, 'x') + "\r\n[RESULT]\r\n",
                      std::string(1 << 20, '[') + "\n[RESULT]\nlastrun=1\n",
                      "[RESULT\r\nlastrun=a\r\n[CONFIG\r\n"s, "\0\0\0[RESULT]\0\r\n\0=\0"s,
                      "[RESULT]\r\nlastrun"s, "\r\r\n\n\r"s));

}  // namespace
}  // namespace qb::platform
