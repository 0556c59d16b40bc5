#include "runtime/file_names.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(FileNames, SplitFindsFolderNameExtensionAndDrive) {
  struct Case {
    const char* in;
    FileNameParts out;
  };
  const Case cases[] = {
      {"D:\\bk\\resp_2016.sql", {"D:\\bk\\", "resp_2016", ".sql", "D"}},
      {"backup", {"", "backup", "", ""}},
      {"backup.", {"", "backup", ".", ""}},
      {".profile", {"", ".profile", "", ""}},
      {"dir.v2/file", {"dir.v2/", "file", "", ""}},
      {"a/b\\c.tar.gz", {"a/b\\", "c.tar", ".gz", ""}},
      {"C:x.txt", {"C:", "x", ".txt", "C"}},
      {"\\\\srv\\share\\x.zip", {"\\\\srv\\share\\", "x", ".zip", ""}},
      {"abcdefghij:\\x", {"abcdefghij:\\", "x", "", ""}},  // colon past the first ten characters
      {"", {"", "", "", ""}},
  };
  for (const auto& c : cases) {
    const FileNameParts p = HB_FNAMESPLIT(c.in);
    EXPECT_EQ(p.directory, c.out.directory) << c.in;
    EXPECT_EQ(p.name, c.out.name) << c.in;
    EXPECT_EQ(p.extension, c.out.extension) << c.in;
    EXPECT_EQ(p.drive, c.out.drive) << c.in;
  }
}

TEST(FileNames, MergeJoinsWithSeparatorsAndIgnoresTheDrive) {
  struct Case {
    const char *dir, *name, *ext, *drive, *out;
  };
  const Case cases[] = {
      {"", "resp", ".sql", "", "resp.sql"},
      {"D:\\bk\\", "resp", ".sql", "D", "D:\\bk\\resp.sql"},
      {"D:\\bk", "resp", "sql", "", "D:\\bk\\resp.sql"},
      {"d/", "\\x", ".txt", "", "d/x.txt"},
      {"C:", "x", "", "C", "C:x"},
      {"", "x", "", "Q", "x"},
      {"", "/x", ".", "", "x."},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HB_FNAMEMERGE(c.dir, c.name, c.ext, c.drive), c.out) << c.dir << "|" << c.name;
}

TEST(FileNames, MatchIsWholeNameCaseBlindWithStarAndQuestionMark) {
  struct Case {
    Value name, pattern;
    bool match;
  };
  const Case cases[] = {
      {"Backup.ZIP", "backup.zip", true},
      {"backup.zip", "*.zip", true},
      {"backup.zip", "*", true},
      {"backup.zip", "b?ckup.*", true},
      {"backup.zip", "*.z", false},
      {"backup.zip", "ackup.zip", false},
      {"backup.zip", "backup.zi", false},
      {"backup.zip", "*a*u*.*p", true},
      {"aaa", "a*a*a*a", false},
      {"", "*", true},
      {"", "?", false},
      {"d/backup.zip", "backup.zip", false},
      {Value(1), "*", false},
      {"x", Value(), false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HB_FILEMATCH(c.name, c.pattern), c.match)
        << c.name.text() << " ~ " << c.pattern.text();
}

}  // namespace
}  // namespace qb
