#include "archive/archive_check.h"

#include <gtest/gtest.h>

#include "archive/file_digest.h"
#include "archive/test_support.h"
#include "archive/zip_writer.h"
#include "archive/ziparc.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"

namespace qb {
namespace {

using Args = std::vector<Value>;

TEST(ArchiveCheck, OnlyAnEntryThatInflatesToTheFileCounts) {
  test::ScratchFolder dir("check");
  const std::string dump = dir / "dump.sql";
  const std::string zip = dir / "dump.zip";
  test::writeFile(dump, test::sqlText(100000));
  const auto digest = digestFile(dump);
  ASSERT_TRUE(digest);
  ASSERT_TRUE(HB_ZIPFILE(Args{zip, dump}).logical());

  EXPECT_TRUE(archiveHoldsIntact(zip, "dump.sql", digest->size, digest->crc32));
  EXPECT_FALSE(archiveHoldsIntact(zip, "dump.sql", digest->size + 1, digest->crc32));
  EXPECT_FALSE(archiveHoldsIntact(zip, "dump.sql", digest->size, digest->crc32 ^ 1));
  EXPECT_FALSE(archiveHoldsIntact(zip, "DUMP.SQL", digest->size, digest->crc32));
  EXPECT_FALSE(archiveHoldsIntact(dump, "dump.sql", digest->size, digest->crc32));
  EXPECT_FALSE(archiveHoldsIntact(dir / "missing.zip", "dump.sql", digest->size, digest->crc32));

  // A flipped byte in the compressed data: the headers still agree, the data does not.
  std::string bytes = test::readFile(zip);
  bytes[bytes.size() / 2] ^= 0x55;
  test::writeFile(dir / "bad.zip", bytes);
  EXPECT_FALSE(archiveHoldsIntact(dir / "bad.zip", "dump.sql", digest->size, digest->crc32));

  // Only a deflated entry counts.
  const Value stored = HB_ZIPOPEN(Args{dir / "stored.zip"});
  HB_ZIPFILECREATE(Args{stored, "dump.sql", {}, {}, {}, {}, 0});
  HB_ZIPFILEWRITE(Args{stored, test::readFile(dump)});
  HB_ZIPCLOSE(Args{stored});
  EXPECT_FALSE(archiveHoldsIntact(dir / "stored.zip", "dump.sql", digest->size, digest->crc32));

  // Extended archive: the newest entry of the name is the one that counts.
  test::writeFile(dump, "newer content");
  const auto newer = digestFile(dump);
  ASSERT_TRUE(HB_ZIPFILE(Args{zip, dump}).logical());
  EXPECT_TRUE(archiveHoldsIntact(zip, "dump.sql", newer->size, newer->crc32));
  EXPECT_FALSE(archiveHoldsIntact(zip, "dump.sql", digest->size, digest->crc32));
}

}  // namespace
}  // namespace qb
