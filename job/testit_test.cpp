#include "job/testit.h"

#include <gtest/gtest.h>

#include "job/command_line.h"
#include "job/job_state.h"
#include "job/startup.h"
#include "runtime/module_state.h"

namespace qb {
namespace {

struct Case {
  std::vector<Value> args;
  const char* name;
  int number;
};

TEST(ChooseDestination, ByExactText) {
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
    resetModuleState();
    chooseDestination(c.args);
    EXPECT_EQ(jobState().destinationName, c.name) << (c.args.empty() ? "(none)" : c.args[0].text());
    EXPECT_EQ(jobState().destinationNumber, c.number);
  }
}

// From the raw command line to the destination, as the start-up hands it over.
TEST(StartUp, RuntimeSwitchesNeverReachTheProcedure) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"prog //INFO 2", "secundario"},
      {"prog --HB:x 2", "secundario"},
      {"prog //a --hb:b secundario", "secundario"},
      {"prog --x 2", "principal"},
      {"prog \"\" 2", "principal"},
      {"prog \"secundario 2\"", "principal"},
      {"prog \"secun\"dario", "secundario"},
      {"prog", "principal"},
  };
  for (const auto& [line, name] : cases) {
    std::vector<std::string> slots = splitCommandLine(line);
    slots.insert(slots.begin(), "C:\\Apps\\prog.exe");
    const std::vector<Value> params = procedureArguments(slots);
    for (const Value& p : params) EXPECT_FALSE(isRuntimeSwitch(p.text())) << line;
    resetModuleState();
    chooseDestination(params);
    EXPECT_EQ(jobState().destinationName, name) << line;
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
