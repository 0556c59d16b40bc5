#include "errors/error_message.h"

#include <gtest/gtest.h>

#include "errors/report.h"

namespace qb {
namespace {

ErrorRecord oiniError() {
  ErrorRecord e;
  e.SEVERITY = 2;
  e.SUBSYSTEM = "BASE";
  e.SUBCODE = 1003;
  e.DESCRIPTION = "Variable does not exist";
  e.OPERATION = "OINI";
  return e;
}

TEST(ErrorMessage, PrefixSubsystemCodeDescriptionAndWhatFailed) {
  struct Case {
    void (*change)(ErrorRecord&);
    const char* text;
  };
  const Case cases[] = {
      {[](ErrorRecord&) {}, "Error BASE/1003  Variable does not exist: OINI"},
      {[](ErrorRecord& e) { e.SEVERITY = 1; }, "Warning BASE/1003  Variable does not exist: OINI"},
      {[](ErrorRecord& e) { e.OSCODE = 32; },
       "(DOS Error 32) BASE/1003  Variable does not exist: OINI"},
      {[](ErrorRecord& e) {
         e.OSCODE = 5;
         e.SEVERITY = 1;
       },
       "(DOS Error 5) BASE/1003  Variable does not exist: OINI"},
      {[](ErrorRecord& e) {
         e.SUBSYSTEM = 7;
         e.SUBCODE = "x";
       },
       "Error ???"
       "/???  Variable does not exist: OINI"},
      {[](ErrorRecord& e) { e.DESCRIPTION = Value(); }, "Error BASE/1003: OINI"},
      {[](ErrorRecord& e) { e.FILENAME = "C:\\a.txt"; },
       "Error BASE/1003  Variable does not exist: C:\\a.txt"},
      {[](ErrorRecord& e) { e.FILENAME = "   "; },
       "Error BASE/1003  Variable does not exist: OINI"},
      {[](ErrorRecord& e) { e.OPERATION = "  "; }, "Error BASE/1003  Variable does not exist"},
      {[](ErrorRecord& e) { e.OPERATION = Value(); }, "Error BASE/1003  Variable does not exist"},
  };
  for (const auto& c : cases) {
    ErrorRecord e = oiniError();
    c.change(e);
    EXPECT_EQ(ERRORMESSAGE(e), c.text);
  }
}

TEST(ErrorMessage, ValueTextsOfTheVariablesListing) {
  const std::pair<Value, const char*> cases[] = {
      {"abc", "\"abc\""},
      {"", "\"\""},
      {Value(Memo{"memo"}), "memo"},
      {Value(ObjectRef(std::make_shared<ErrorRecord>())), "Class: ERROR"},
      {makeArray({1, 2, 3}), "Len:    3"},
      {makeArray(std::vector<Value>(12345)), "Len: ****"},
      {2016, "2016"},
      {Value(2.5), "2.5"},
      {true, ".T."},
      {Value(Date::fromYmd(2016, 4, 16)), "04/16/16"},
      {Value(), ""},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(CGETINFO(value), text) << value.typeLetter();
}

TEST(ErrorMessage, SizePicture) {
  const std::pair<std::uint64_t, const char*> cases[] = {
      {1588736, "1,588,736 bytes"},  {12345, "   12,345 bytes"},   {0, "        0 bytes"},
      {10000000, "********* bytes"}, {9999999, "9,999,999 bytes"}, {999, "      999 bytes"},
      {1000, "    1,000 bytes"},
  };
  for (const auto& [size, text] : cases) EXPECT_EQ(sizePicture(size), text) << size;
  EXPECT_EQ(rightAligned(-5, 4), "  -5");
  EXPECT_EQ(rightAligned(100, 2), "**");
}

}  // namespace
}  // namespace qb
