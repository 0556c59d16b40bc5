#include "archive/archive_check.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "archive/dump_packer.h"
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

// A client that changes what the packing has already read: the archive holds what was read, and
// only the check that compares it with the file as it stands catches the difference.
TEST(ArchiveCheck, AFileChangedAfterItWasPackedFailsTheCheck) {
  test::ScratchFolder dir("check_changed");
  const std::string dump = dir / "dump.sql", zip = dir / ".dump.zip.tmp";
  const std::string data = test::sqlText(3 << 20);
  const auto overwrite = [&](std::uintmax_t at, const std::string& bytes) {
    std::FILE* f = std::fopen(dump.c_str(), "r+b");
    ASSERT_TRUE(f);
    std::fseek(f, static_cast<long>(at), SEEK_SET);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  };
  const struct {
    const char* name;
    std::function<void()> change;
    bool holds;
  } clients[] = {
      {"unchanged", [] {}, true},
      {"an early part rewritten", [&] { overwrite(1000, "-- rewritten"); }, false},
      {"truncated", [&] { std::filesystem::resize_file(dump, 65536); }, false},
      {"truncated, then written again",
       [&] {
         std::filesystem::resize_file(dump, 0);
         overwrite(0, "-- a second dump\n" + data);
       },
       false},
  };
  // With two workers at most six blocks wait unwritten: once the archive has grown past 128 KiB,
  // far more than the dump's first 128 KiB was read, and every change below lies there.
  test::WorkerThreads threads(2);
  for (const auto& client : clients) {
    test::writeFile(dump, "");
    auto packer = DumpPacker::start(zip, dump);
    ASSERT_TRUE(packer);
    std::FILE* out = std::fopen(dump.c_str(), "wb");
    std::fwrite(data.data(), 1, data.size(), out);
    std::fclose(out);
    for (int waited = 0; std::filesystem::file_size(zip) < 131072; ++waited) {
      ASSERT_LT(waited, 30000) << client.name << ": nothing packed";
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    client.change();
    const auto read = packer->finish();
    ASSERT_TRUE(read) << client.name;
    EXPECT_EQ(archiveHoldsFile(zip, "dump.sql", dump, read->size, read->crc32), client.holds)
        << client.name;
    // What was read is what the archive holds.
    EXPECT_TRUE(archiveHoldsIntact(zip, "dump.sql", read->size, read->crc32)) << client.name;
  }
}

}  // namespace
}  // namespace qb
