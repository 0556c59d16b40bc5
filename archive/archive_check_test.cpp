#include "archive/archive_check.h"

#include <gtest/gtest.h>

#include <vector>

#include "archive/entry_packing.h"
#include "archive/entry_writer.h"
#include "archive/file_digest.h"
#include "archive/minizip_archive.h"
#include "archive/ziparc.h"
#include "platform/files.h"
#include "tests/support/archive_data.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"

namespace qb {
namespace {

using Args = std::vector<Value>;

// The data with the byte before `at` changed and the four from `at` on chosen so that its CRC-32
// stays what it was: CRC-32 can be walked back a byte at a time, each step's table entry known by
// its top byte.
std::string sameCrcOtherBytes(const std::string& data, std::size_t at) {
  const z_crc_t* table = get_crc_table();
  std::uint32_t byTopByte[256];
  for (std::uint32_t i = 0; i < 256; ++i) byTopByte[table[i] >> 24] = i;
  const auto state = [](const std::string& bytes, std::size_t end) {  // zlib's register
    return ~static_cast<std::uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(end)));
  };
  std::string forged = data;
  forged[at - 1] ^= 0x20;
  std::uint32_t reg = state(data, at + 4);
  for (int k = 0; k < 4; ++k) {
    const std::uint32_t i = byTopByte[reg >> 24];
    reg = ((reg ^ table[i]) << 8) | i;
  }
  reg ^= state(forged, at);
  for (int k = 0; k < 4; ++k) forged[at + k] = static_cast<char>(reg >> (8 * k));
  return forged;
}

TEST(ArchiveCheck, OnlyAnEntryThatInflatesToTheFileCounts) {
  test::ScratchFolder dir("check");
  const std::string dump = dir / "dump.sql";
  const std::string zip = dir / "dump.zip";
  const std::string data = test::sqlText(100000);
  test::writeFile(dump, data);
  ASSERT_TRUE(HB_ZIPFILE(Args{zip, dump}).logical());

  EXPECT_TRUE(archiveHoldsWholeFile(zip, "dump.sql", dump));
  test::writeFile(dir / "longer.sql", data + "x");
  EXPECT_FALSE(archiveHoldsWholeFile(zip, "dump.sql", dir / "longer.sql"));
  EXPECT_FALSE(archiveHoldsWholeFile(zip, "DUMP.SQL", dump));

  // The file's bytes, not only their size and CRC-32.
  test::writeFile(dir / "forged.sql", sameCrcOtherBytes(data, 60000));
  ASSERT_EQ(digestFile(dir / "forged.sql")->crc32, digestFile(dump)->crc32);
  EXPECT_FALSE(archiveHoldsWholeFile(zip, "dump.sql", dir / "forged.sql"));

  // A flipped byte in the compressed data: the headers still agree, the data does not.
  const std::string bytes = test::readFile(zip);
  std::string flipped = bytes;
  flipped[flipped.size() / 2] ^= 0x55;
  test::writeFile(dir / "bad.zip", flipped);
  EXPECT_FALSE(archiveHoldsWholeFile(dir / "bad.zip", "dump.sql", dump));
  // A directory record whose CRC-32 is not the data's.
  std::string recorded = bytes;
  recorded[recorded.find("PK\1\2") + 16] ^= 1;
  test::writeFile(dir / "recorded.zip", recorded);
  EXPECT_FALSE(archiveHoldsWholeFile(dir / "recorded.zip", "dump.sql", dump));

  // Only a deflated entry counts.
  const Value stored = HB_ZIPOPEN(Args{dir / "stored.zip"});
  HB_ZIPFILECREATE(Args{stored, "dump.sql", {}, {}, {}, {}, 0});
  HB_ZIPFILEWRITE(Args{stored, data});
  HB_ZIPCLOSE(Args{stored});
  EXPECT_FALSE(archiveHoldsWholeFile(dir / "stored.zip", "dump.sql", dump));

  // Extended archive: the newest entry of the name is the one that counts.
  test::writeFile(dump, "newer content");
  ASSERT_TRUE(HB_ZIPFILE(Args{zip, dump}).logical());
  EXPECT_TRUE(archiveHoldsWholeFile(zip, "dump.sql", dump));
  test::writeFile(dir / "older.sql", data);
  EXPECT_FALSE(archiveHoldsWholeFile(zip, "dump.sql", dir / "older.sql"));
}

// The check of an entry deflated by blocks: it inflates the blocks where the packing says they
// end, and takes nothing but exactly the file's bytes, every one of them.
TEST(ArchiveCheck, BlocksInflateToTheFileWhereThePackingSaysTheyEnd) {
  test::ScratchFolder dir("check_blocks");
  const std::string dump = dir / "dump.sql", zip = dir / "dump.zip";
  const std::string data = test::sqlText(5 * 131072 + 999);
  test::writeFile(dump, data);
  const auto input = platform::InputFile::open(dump);
  const auto archive = MinizipArchive::open(zip, APPEND_STATUS_CREATE);
  std::vector<char> buffer(32768);
  const auto packed = packFile(*archive, dump, *input, Packing{}, buffer);
  ASSERT_TRUE(packed);
  ASSERT_EQ(archive->close(nullptr), ZIP_OK);
  ASSERT_EQ(packed->blockEnds.blocks(), 6u);
  ASSERT_EQ(packed->blockEnds.stride(), 1u);
  std::vector<std::uint64_t> ends;
  for (std::size_t i = 0; i < 6; ++i) ends.push_back(packed->blockEnds.groupEnd(i));
  // capacity 2 keeps the ends of blocks 4 and 6: two groups, of 4 blocks and of 2.
  const auto holds = [&](const std::vector<std::uint64_t>& blockEnds, std::size_t capacity = 8) {
    BlockEnds kept(capacity);
    for (const std::uint64_t end : blockEnds) kept.blockEnded(end);
    return archiveHoldsFile(zip, "dump.sql", dump, packed->read.size, packed->read.crc32, kept);
  };
  for (unsigned workers : {0u, 3u}) {
    test::WorkerThreads threads(workers);
    EXPECT_TRUE(holds(ends)) << workers;
    EXPECT_TRUE(holds(ends, 2)) << workers;
  }
  auto shifted = ends;
  shifted[3] -= 1;
  EXPECT_FALSE(holds(shifted)) << "a block cut short";
  EXPECT_FALSE(holds(shifted, 2)) << "a group cut short";
  shifted[3] += 2;
  EXPECT_FALSE(holds(shifted)) << "a block running into the next";
  EXPECT_FALSE(holds(shifted, 2)) << "a group running into the next";
  EXPECT_FALSE(holds({ends.begin(), ends.end() - 1})) << "a block missing";
  EXPECT_FALSE(holds({ends[0], ends[2], ends[3], ends[4], ends[5]})) << "two blocks as one";
  BlockEnds all;
  for (const std::uint64_t end : ends) all.blockEnded(end);
  EXPECT_FALSE(
      archiveHoldsFile(zip, "dump.sql", dump, packed->read.size, packed->read.crc32 ^ 1, all));

  const std::string bytes = test::readFile(zip);
  std::string flipped = bytes;
  flipped[flipped.size() / 2] ^= 0x10;
  test::writeFile(zip, flipped);
  EXPECT_FALSE(holds(ends)) << "a flipped bit in the archive";
  test::writeFile(zip, bytes);
  test::writeFile(dump, data + "x");
  EXPECT_FALSE(holds(ends)) << "a byte more in the file";
  // Other bytes under the same CRC-32: only the bytes themselves tell.
  const std::string forged = sameCrcOtherBytes(data, 200000);
  ASSERT_TRUE(forged != data);
  test::writeFile(dump, forged);
  ASSERT_EQ(digestFile(dump)->crc32, packed->read.crc32);
  EXPECT_FALSE(holds(ends)) << "other bytes, the same CRC-32";
  EXPECT_FALSE(holds(ends, 2)) << "other bytes, the same CRC-32, in groups";
  test::writeFile(dump, data);
  EXPECT_TRUE(holds(ends));
}

}  // namespace
}  // namespace qb
