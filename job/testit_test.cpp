#include "job/testit.h"

#include <gtest/gtest.h>

#include "job/job_state.h"

namespace qb {
namespace {

struct Case {
  std::vector<Value> args;
  const char* name;
  int number;
};

TEST(TESTIT, ChoosesTheDestinationByExactText) {
  const std::vector<Case> cases = {
      {{Value("1")}, "principal", 1},
      {{Value("2")}, "secundario", 2},
      {{Value("principal")}, "principal", 1},
      {{Value("secundario")}, "secundario", 2},
      {{Value("secundario"), Value("1")}, "secundario", 2},  // only the first counts
      {{Value("Secundario")}, "principal", 1},
      {{Value("SECUNDARIO")}, "principal", 1},
      {{Value(" 2")}, "principal", 1},
      {{Value("02")}, "principal", 1},
      {{Value("2 ")}, "principal", 1},
      {{Value("")}, "principal", 1},
      {{Value(""), Value("2")}, "principal", 1},
      {{Value(2)}, "principal", 1},  // not text
      {{}, "principal", 1},
  };
  for (const auto& c : cases) {
    resetJobState();
    TESTIT(c.args);
    EXPECT_EQ(jobState().destinationName, c.name) << (c.args.empty() ? "(none)" : c.args[0].text());
    EXPECT_EQ(jobState().destinationNumber, c.number);
  }
}

TEST(FolderOf, KeepsEverythingUpToTheLastSeparator) {
  EXPECT_EQ(folderOf("C:\\Apps\\Backup\\tool.exe"), "C:\\Apps\\Backup\\");
  EXPECT_EQ(folderOf("/opt/qb/quolmerBackup"), "/opt/qb/");
  EXPECT_EQ(folderOf("C:tool.exe"), "C:");
  EXPECT_EQ(folderOf("C:\\a/b\\c/tool"), "C:\\a/b\\c/");
  EXPECT_EQ(folderOf("tool.exe"), "");
  EXPECT_EQ(folderOf(""), "");
}

}  // namespace
}  // namespace qb
