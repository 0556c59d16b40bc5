#include "platform/probes.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace qb::platform {
namespace {

TEST(MachineFacts, AllOfTheMemory) {
  // No ceiling of a 32-bit program's figures: the report says what the machine has.
  EXPECT_EQ(physicalMemory(),
            static_cast<std::int64_t>(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGESIZE));
}

}  // namespace
}  // namespace qb::platform
