#include "settings/profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "settings/tini.h"
#include "tests/support/byte_texts.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class Primitives : public ::testing::Test {
 protected:
  void put(const std::string& bytes) { test::writeFile(file_, bytes); }
  std::string slurp() const { return test::readFile(file_); }

  test::ScratchFolder scratch_{"qb_profile"};
  fs::path dir_ = scratch_.path();
  std::string file_ = scratch_ / "backup.ini";
};

TEST_F(Primitives, StringReadsListNamesForANullKeyOrSection) {
  put("[a]\r\nx=1\r\n;c\r\ny=2\r\n[b]\r\n");
  EXPECT_EQ(GETPVPROFSTRING("a", "x", "d", file_), Value("1"));
  EXPECT_EQ(GETPVPROFSTRING("a", Value(), "d", file_), Value("x\0y\0"s));
  EXPECT_EQ(GETPVPROFSTRING(Value(), Value(), "d", file_), Value("a\0b\0"s));
  EXPECT_EQ(GETPVPROFSTRING("a", 5, "", file_), Value("x\0y\0"s));  // not text: null
  EXPECT_EQ(GETPVPROFSTRING("b", Value(), "", file_), Value(""));
  EXPECT_EQ(GETPVPROFSTRING("a", "none", Value(), file_), Value(""));
}

TEST_F(Primitives, IntegerReadsAreSigned32Bit) {
  put("[n]\r\nbig=4294967295\r\nneg=-2147483648\r\n");
  EXPECT_EQ(GETPVPROFINT("n", "big", 0, file_), Value(-1));
  EXPECT_EQ(GETPVPROFINT("n", "neg", 0, file_), Value(-2147483647 - 1));
  EXPECT_EQ(GETPVPROFINT("n", "none", "7", file_), Value(0));  // a default that is no number
  EXPECT_EQ(GETPVPROFINT("n", "none", 7.9, file_), Value(7));
}

TEST_F(Primitives, WritesAndDeletes) {
  EXPECT_EQ(WRITEPPROSTRING("s", "k", "v", file_), Value(true));
  EXPECT_EQ(WRITEPPROSTRING("s", "j", "w", file_), Value(true));
  EXPECT_EQ(WRITEPPROSTRING("s", "k", Value(), file_), Value(true));  // no value: deletes
  EXPECT_EQ(slurp(), "[s]\r\nj=w\r\n");
  EXPECT_EQ(DELINIENTRY("s", "j", file_), Value(true));
  EXPECT_EQ(DELINISECTION("s", file_), Value(true));
  EXPECT_EQ(slurp(), "");
  const std::string missing = (dir_ / "no" / "x.ini").string();
  EXPECT_EQ(WRITEPPROSTRING("s", "k", "v", missing), Value(false));
  EXPECT_EQ(DELINISECTION("s", missing), Value(false));
}

TEST_F(Primitives, SectionNamesFillTheCallersBuffer) {
  put("[one]\r\n[two]\r\n");
  Value buffer = std::string(20, ' ');
  EXPECT_EQ(GETPVPRFSE(buffer, 19, file_), Value(8));
  EXPECT_EQ(buffer, Value("one\0two\0\0"s + std::string(11, ' ')));
  // Never past the buffer, whatever size is claimed.
  Value small = std::string(6, ' ');
  EXPECT_EQ(GETPVPRFSE(small, 4095, file_), Value(4));
  EXPECT_EQ(small.text().size(), 6u);
  EXPECT_EQ(small.text().substr(0, 4), "one\0"s);
}

// Bad files through the whole settings path, on both targets: read without a crash, and after
// the status line is written every other entry still reads as before.
class BadFiles : public Primitives, public ::testing::WithParamInterface<std::string> {
 protected:
  // Every section's entries as the profile functions list and read them.
  std::map<std::string, std::string> entries() {
    std::map<std::string, std::string> out;
    std::string sections = GETPVPROFSTRING(Value(), Value(), "", file_).text();
    for (std::size_t at = 0; at < sections.size();) {
      const std::string section = sections.substr(at, sections.find('\0', at) - at);
      at += section.size() + 1;
      std::string keys = GETPVPROFSTRING(section, Value(), "", file_).text();
      for (std::size_t k = 0; k < keys.size();) {
        const std::string key = keys.substr(k, keys.find('\0', k) - k);
        k += key.size() + 1;
        out[section + "\n" + key] = GETPVPROFSTRING(section, key, "", file_).text();
      }
    }
    return out;
  }
};

TEST_P(BadFiles, AreReadAndRewrittenWithoutLosingEntries) {
  put(GetParam());
  auto before = entries();
  const auto ini = TIni::New(file_);
  (void)ini->Get("RESULT", "lastrun", "");
  (void)ini->Sections();
  ini->Set("RESULT", "lastrun", "2016-4-16 01:36:42");
  EXPECT_EQ(ini->Get("RESULT", "lastrun"), Value("2016-4-16 01:36:42"));
  auto after = entries();
  for (auto* map : {&before, &after}) {
    for (auto it = map->begin(); it != map->end();) {
      it = it->first.starts_with("RESULT\n") ? map->erase(it) : std::next(it);
    }
  }
  EXPECT_EQ(before, after);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, BadFiles,
    ::testing::Values("x" + test::randomBytes(1925, 20000),  // "x": no byte order mark
                      "[CONFIG]\r\nprincipal.data=D:\\x\r\n[RESULT]\r\nlastrun=old"s,
                      "[CONFIG]\r\na=1\nb=2\r\n\n[RESULT]\nlastrun=x\r\nc=3\n"s,
                      "[CONFIG]\r\nbig=" + std::string(1 << 20, 'y') + "\r\nz=1\r\n",
                      "[CONFIG\r\nprincipal.data=a\r\n[RESULT\r\n[x]\r\nk=v\r\n"s));

}  // namespace
}  // namespace qb
