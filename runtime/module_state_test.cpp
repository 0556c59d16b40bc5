#include "runtime/module_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qb {
namespace {

TEST(ModuleState, OneResetPutsEveryStaticBack) {
  ModuleStatic<std::string> text(StateOf::Program, "initial");
  ModuleStatic<std::vector<int>> list(StateOf::Runtime);
  *text = "changed";
  list->push_back(7);
  resetModuleState();
  EXPECT_EQ(*text, "initial");
  EXPECT_TRUE(list->empty());
}

TEST(ModuleState, TheProgramsStaticsAreCountedTheRuntimesAreNot) {
  const int before = NSTATICS();
  {
    ModuleStatic<int> program(StateOf::Program);
    ModuleStatic<int> runtime(StateOf::Runtime);
    EXPECT_EQ(NSTATICS(), before + 1);
  }
  EXPECT_EQ(NSTATICS(), before);  // one that goes away is no longer counted, nor reset
  resetModuleState();
}

}  // namespace
}  // namespace qb
