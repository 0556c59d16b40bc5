#include "settings/tini.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "runtime/classes.h"
#include "runtime/cvaltochar.h"
#include "settings/profile.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

void put(const fs::path& name, const std::string& bytes) {
  test::writeFile(name.string(), bytes);
}

// A fresh folder with a backup.ini path in it; the file itself does not exist yet.
class Settings : public ::testing::Test {
 protected:
  std::shared_ptr<TIni> open() { return TIni::New(name_); }
  std::string file() const { return test::readFile(name_); }

  test::ScratchFolder scratch_{"qb_settings"};
  fs::path dir_ = scratch_.path();
  fs::path ini_ = dir_ / "backup.ini";
  std::string name_ = ini_.string();
};

using TIniNew = Settings;

TEST_F(TIniNew, AddsIniOnlyToANameWithoutAnyDot) {
  EXPECT_EQ(TIni::New("settings")->cIniFile.text(), "settings.ini");
  EXPECT_EQ(TIni::New("C:\\app.v2\\settings")->cIniFile.text(), "C:\\app.v2\\settings");
  EXPECT_EQ(TIni::New("/opt/app.v2/settings")->cIniFile.text(), "/opt/app.v2/settings");
  EXPECT_EQ(TIni::New("backup.ini")->cIniFile.text(), "backup.ini");
  EXPECT_EQ(TIni::New("   ")->cIniFile.text(), "   ");  // blank: nothing added
  EXPECT_EQ(TIni::New()->cIniFile.text(), "");
  EXPECT_TRUE(TIni::New()->cIniFile.isText());
}

TEST_F(TIniNew, SetsAutoSetAndRegistersTheClass) {
  const auto ini = TIni::New(name_);
  EXPECT_EQ(ini->lAutoSet, Value(true));
  EXPECT_EQ(ini->className(), "TINI");
  EXPECT_EQ(CVALTOCHAR(Value(ObjectRef(ini))), "TINI");
  bool registered = false;
  for (int h = 1; !className(h).empty(); ++h) registered = registered || className(h) == "TINI";
  EXPECT_TRUE(registered);
  EXPECT_FALSE(fs::exists(ini_));  // New neither opens nor creates the file
}

using TIniGetText = Settings;

TEST_F(TIniGetText, AMissingKeyWithAnEmptyDefaultCreatesFileSectionAndKey) {
  EXPECT_EQ(open()->Get("RESULT", "lastrun", ""), Value(""));
  EXPECT_EQ(file(), "[RESULT]\r\nlastrun=\r\n");
}

TEST_F(TIniGetText, TheBackupRunsThreeReadsFillAFileWithoutThem) {
  put(ini_, "[CONFIG]\r\nprincipal.data=D:\\Respaldos\r\n");
  const auto ini = open();
  ini->Get("RESULT", "lastrun", "");
  const Value principal = ini->Get("CONFIG", "principal.data", "");
  EXPECT_EQ(ini->Get("CONFIG", "secundario.data", principal), Value("D:\\Respaldos"));
  EXPECT_EQ(file(),
            "[CONFIG]\r\nprincipal.data=D:\\Respaldos\r\nsecundario.data=D:\\Respaldos\r\n"
            "[RESULT]\r\nlastrun=\r\n");
}

TEST_F(TIniGetText, AnEmptyValueIsReadAsIsAndNothingIsWritten) {
  put(ini_, "[s]\r\nk=\r\n");
  EXPECT_EQ(open()->Get("s", "k", "x"), Value(""));
  EXPECT_EQ(file(), "[s]\r\nk=\r\n");
}

TEST_F(TIniGetText, AValueEqualToTheDefaultIsWrittenAgainUnchanged) {
  put(ini_, "[s]\r\nk=same\r\n");
  EXPECT_EQ(open()->Get("s", "K", "same"), Value("same"));
  EXPECT_EQ(file(), "[s]\r\nk=same\r\n");
}

TEST_F(TIniGetText, ADefaultWithTrailingBlanksIsReturnedWithoutThemAndNotWritten) {
  EXPECT_EQ(open()->Get("s", "k", "abc  "), Value("abc"));
  EXPECT_FALSE(fs::exists(ini_));
}

TEST_F(TIniGetText, LongValuesAreCutAt4094Characters) {
  const std::string value(5000, 'v');
  put(ini_, "[s]\r\nk=" + value + "\r\n");
  EXPECT_EQ(open()->Get("s", "k", "").text(), value.substr(0, 4094));
}

TEST_F(TIniGetText, WithoutDefaultOrCurrentValueNothingIsEverWritten) {
  const auto ini = open();
  EXPECT_EQ(ini->Get("s", "k"), Value(""));
  EXPECT_FALSE(fs::exists(ini_));
  put(ini_, "[s]\r\nk=stored\r\n");
  EXPECT_EQ(ini->Get("s", "k"), Value("stored"));
  EXPECT_EQ(ini->Get("s", "k", Value(), "current"), Value("stored"));
  EXPECT_EQ(file(), "[s]\r\nk=stored\r\n");
}

TEST_F(TIniGetText, WithoutAutoSetNothingIsWritten) {
  const auto ini = open();
  ini->lAutoSet = false;
  EXPECT_EQ(ini->Get("s", "k", ""), Value(""));
  EXPECT_FALSE(fs::exists(ini_));
}

TEST_F(TIniGetText, LongTextDefaultsCompareAsText) {
  EXPECT_EQ(open()->Get("s", "k", Value(Memo{"m"})), Value("m"));
  EXPECT_EQ(file(), "[s]\r\nk=m\r\n");
}

using TIniGetKinds = Settings;

TEST_F(TIniGetKinds, LogicalsAreTrueOnlyForDotTDot) {
  const auto ini = open();
  EXPECT_EQ(ini->Get("s", "flag", false), Value(false));
  EXPECT_EQ(file(), "[s]\r\nflag=.F.\r\n");
  put(ini_, "[s]\r\na=.t.\r\nb=yes\r\nc=TRUE\r\nd=1\r\ne= .T. \r\n");
  EXPECT_EQ(ini->Get("s", "a", false), Value(true));
  EXPECT_EQ(ini->Get("s", "b", true), Value(false));
  EXPECT_EQ(ini->Get("s", "c", true), Value(false));
  EXPECT_EQ(ini->Get("s", "d", true), Value(false));
  EXPECT_EQ(ini->Get("s", "e", false), Value(true));
  EXPECT_EQ(ini->Get("s", "a", Value(), false), Value(true));  // kind from the current value
}

TEST_F(TIniGetKinds, DatesUseMonthDayAndTwoDigitYearsOfTheTwentiethCentury) {
  put(ini_, "[d]\r\nold=12/31/25\r\nbad=31/12/25\r\n");
  const auto ini = open();
  const Value someDate = Date::fromYmd(1999, 1, 2);
  EXPECT_EQ(ini->Get("d", "old", someDate), Value(Date::fromYmd(1925, 12, 31)));
  EXPECT_EQ(ini->Get("d", "bad", someDate), Value(Date{}));
  ini->Set("d", "new", Date::fromYmd(2025, 12, 31));
  EXPECT_EQ(ini->Get("d", "new", Value(), someDate), Value(Date::fromYmd(1925, 12, 31)));
  EXPECT_EQ(file(), "[d]\r\nold=12/31/25\r\nbad=31/12/25\r\nnew=12/31/25\r\n");
}

TEST_F(TIniGetKinds, AMissingDateIsWrittenBackOnlyWhenItReadsBackAsItself) {
  const auto ini = open();
  EXPECT_EQ(ini->Get("d", "a", Date::fromYmd(1950, 6, 7)), Value(Date::fromYmd(1950, 6, 7)));
  // 2025 goes out as "25" and comes back as 1925: not the default, so nothing is written.
  EXPECT_EQ(ini->Get("d", "b", Date::fromYmd(2025, 6, 7)), Value(Date::fromYmd(1925, 6, 7)));
  // The blank date goes out as "  /  /  ", which loses its leading blanks in the file.
  EXPECT_EQ(ini->Get("d", "c", Date{}), Value(Date{}));
  EXPECT_EQ(file(), "[d]\r\na=06/07/50\r\nc=/  /  \r\n");
}

TEST_F(TIniGetKinds, NumbersGoThroughTheIntegerRead) {
  put(ini_, "[n]\r\na=42\r\nb=-7 days\r\nc=abc\r\n");
  const auto ini = open();
  EXPECT_EQ(ini->Get("n", "a", 0), Value(42));
  EXPECT_EQ(ini->Get("n", "b", 0), Value(-7));
  EXPECT_EQ(ini->Get("n", "c", 5), Value(0));
  EXPECT_EQ(ini->Get("n", "missing", 7), Value(7));
  EXPECT_EQ(ini->Get("n", "nil default", Value(), 5), Value(0));  // never equal to nil: no write
  EXPECT_EQ(ini->Get("n", "frac", 2.5), Value(2));                // the integer read of the default
  EXPECT_EQ(file(), "[n]\r\na=42\r\nb=-7 days\r\nc=abc\r\nmissing=7\r\n");
}

TEST_F(TIniGetKinds, OtherKindsReadTheirTextAndAreNeverWrittenBack) {
  const auto ini = open();
  EXPECT_EQ(ini->Get("o", "arr", makeArray({1})), Value("{ ... }"));
  EXPECT_FALSE(fs::exists(ini_));
}

using TIniSet = Settings;

TEST_F(TIniSet, WritesTheTextOfAnyValueAndNeverDeletes) {
  put(ini_, "; kept\r\n[s]\r\nkeep=1\r\ntext=old\r\n");
  const auto ini = open();
  ini->lAutoSet = false;  // Set writes whatever the switch
  ini->Set("s", "text", "");
  ini->Set("s", "num", 2.5);
  ini->Set("s", "int", -12);
  ini->Set("s", "flag", true);
  EXPECT_EQ(ini->Set("s", "nil", Value()), Value(true));
  EXPECT_EQ(file(),
            "; kept\r\n[s]\r\nkeep=1\r\ntext=\r\nnum=2.5\r\nint=-12\r\nflag=.T.\r\nnil=\r\n");
}

TEST_F(TIniSet, AFailedWriteIsReportedAndChangesNothing) {
  const auto ini = TIni::New((dir_ / "missing" / "backup.ini").string());
  std::string why;
  EXPECT_EQ(ini->Set("RESULT", "lastrun", "x", &why), Value(false));
  EXPECT_NE(why, "");
  EXPECT_EQ(ini->Get("RESULT", "lastrun", "dflt"), Value("dflt"));
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
  EXPECT_EQ(ini->DelEntry("RESULT", "lastrun"), Value(false));
  EXPECT_EQ(ini->DelSection("RESULT"), Value(false));
}

using TIniSections = Settings;

TEST_F(TIniSections, ListsTheSectionNamesInFileOrder) {
  const auto ini = open();
  EXPECT_EQ(std::get<Array>(ini->Sections())->size(), 0u);  // no file yet
  put(ini_, "top=1\r\n[RESULT]\r\n[CONFIG]\r\nk=1\r\n[]\r\n[Other one]\r\n");
  const auto names = std::get<Array>(ini->Sections());
  ASSERT_EQ(names->size(), 3u);
  EXPECT_EQ((*names)[0], Value("RESULT"));
  EXPECT_EQ((*names)[1], Value("CONFIG"));
  EXPECT_EQ((*names)[2], Value("Other one"));
}

TEST_F(TIniSections, DeletesSectionsAndEntries) {
  put(ini_, "[a]\r\nx=1\r\ny=2\r\n[b]\r\nz=3\r\n");
  const auto ini = open();
  EXPECT_EQ(ini->DelEntry("A", "x"), Value(true));
  EXPECT_EQ(ini->DelSection("b"), Value(true));
  EXPECT_EQ(file(), "[a]\r\ny=2\r\n");
}

// Without a file name every method works on the system profile. Natively that file lies in the
// configuration folder, pointed here at the scratch folder.
TEST_F(Settings, WithoutAFileNameTheSystemProfileIsUsed) {
  static std::string config;
  config = "XDG_CONFIG_HOME=" + dir_.string();
  ::putenv(config.data());
  const auto ini = TIni::New();
  const std::string section = "qb_tini_" + dir_.filename().string();
  ini->Set(section, "k", "v");
  EXPECT_EQ(ini->Get(section, "k", ""), Value("v"));
  EXPECT_EQ(ini->Get(section, "n", 0), Value(0));
  const auto names = std::get<Array>(ini->Sections());
  EXPECT_NE(std::find(names->begin(), names->end(), Value(section)), names->end());
  EXPECT_EQ(ini->DelEntry(section, "n"), Value(true));
  EXPECT_EQ(ini->DelSection(section), Value(true));
  EXPECT_EQ(ini->Get(section, "k"), Value(""));
}

}  // namespace
}  // namespace qb
