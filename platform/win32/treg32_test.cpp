#include "platform/win32/treg32.h"

#include <gtest/gtest.h>

#include "platform/probes.h"

namespace qb::platform {
namespace {

TEST(TReg32, ReadsTheProcessorKey) {
  TReg32 key;
  key.New(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0");
  EXPECT_EQ(key.nError, 0);
  EXPECT_EQ(key.lError, false);
  EXPECT_EQ(key.Get("ProcessorNameString"), processorName());
  EXPECT_EQ(key.Get("NoSuchValueName"), "");
  EXPECT_NE(key.nError, 0);
  key.Close();
  EXPECT_EQ(key.nError, 0);

  TReg32 missing;
  missing.New(HKEY_LOCAL_MACHINE, "HARDWARE\\NO\\SUCH\\KEY");
  EXPECT_NE(missing.nError, 0);
  EXPECT_EQ(missing.Get("ProcessorNameString"), "");
}

}  // namespace
}  // namespace qb::platform
