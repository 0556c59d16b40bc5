#include "runtime/frames.h"

#include <gtest/gtest.h>

#include "runtime/classes.h"

namespace qb {
namespace {

TEST(Frames, LevelsCountOutwardFromTheInnermost) {
  const Value sel = "2";
  const Value absent;
  Value local1, local2;
  Frame outer("TESTIT", "quolmerBackup", {&sel});
  outer.at(10);
  {
    Frame inner("DOBACKUP", "quolmerBackup", {}, {&absent, &local1, &local2});
    inner.at(42);
    local2 = "seen later";  // the report reads values of the moment, not of registration
    EXPECT_EQ(PROCNAME(0), "DOBACKUP");
    EXPECT_EQ(PROCLINE(0), 42);
    EXPECT_EQ(PROCNAME(1), "TESTIT");
    EXPECT_EQ(PROCFILE(1), "quolmerBackup");
    EXPECT_EQ(PROCLINE(1), 10);
    EXPECT_EQ(PARAMCOUNT(1), 1);
    EXPECT_EQ(GETPARAM(1, 1).text(), "2");
    EXPECT_EQ(PARAMCOUNT(0), 0);
    EXPECT_EQ(LOCALCOUNT(0), 3);
    EXPECT_TRUE(GETLOCAL(0, 1).isNil());
    EXPECT_EQ(GETLOCAL(0, 3).text(), "seen later");
    // Out of range: empty results, never a crash.
    EXPECT_EQ(PROCNAME(2 + 100), "");
    EXPECT_EQ(PROCLINE(-1), 0);
    EXPECT_TRUE(GETPARAM(1, 2).isNil());
    EXPECT_TRUE(GETLOCAL(0, 0).isNil());
  }
  EXPECT_EQ(PROCNAME(0), "TESTIT");
}

TEST(Frames, UnwindingByExceptionLeavesTheStackConsistent) {
  Frame base("BASE", "m");
  try {
    Frame a("A", "m");
    Frame b("B", "m");
    throw 1;
  } catch (int) {
  }
  EXPECT_EQ(PROCNAME(0), "BASE");
  EXPECT_EQ(PROCNAME(1), "");
}

TEST(Classes, NumberedFromOneInCreationOrderOnce) {
  const int a = registerClass("ZZTEST_A");
  const int b = registerClass("ZZTEST_B");
  EXPECT_EQ(b, a + 1);
  EXPECT_EQ(registerClass("ZZTEST_A"), a);
  EXPECT_EQ(className(a), "ZZTEST_A");
  EXPECT_EQ(className(b + 1), "");
  EXPECT_EQ(className(0), "");
}

}  // namespace
}  // namespace qb
