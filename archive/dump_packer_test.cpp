#include "archive/dump_packer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>
#include <tuple>

#include "archive/ziparc.h"
#include "platform/files.h"
#include "tests/support/archive_data.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"

namespace qb {
namespace {

using test::readFile;
using test::ScratchFolder;
using test::writeFile;
using Args = std::vector<Value>;

// The backup run packs its dump while the client writes it: whatever the client's pace and the
// number of workers, the archive is the one HB_ZIPFILE makes of the finished file.
TEST(DumpPacker, ADumpPackedWhileWrittenIsTheArchiveOfTheFinishedFile) {
  ScratchFolder dir("builder_follow");
  const std::string sql = dir / "resp.sql", followed = dir / ".resp.zip.tmp",
                    finished = dir / "resp.zip";
  constexpr std::size_t kBlock = 131072;
  const std::string dump = test::sqlText(3 << 20);
  const struct {
    const char* name;
    std::string data;
    std::vector<test::WriteStep> steps;
  } clients[] = {
      {"pauses", dump, {{100000, 30}, {5000, 30}, {300000, 20}, {1, 20}}},
      {"one byte at a time", dump, std::vector<test::WriteStep>(3000, {1, 0})},
      {"1 MiB writes", dump, {{1 << 20, 0}, {1 << 20, 0}}},
      {"a pause at a block boundary", dump, {{kBlock, 60}, {kBlock, 60}}},
      {"a long first deflate block", test::blockEdgeData().back().bytes, {{kBlock, 30}}},
      {"nothing written", "", {}},
  };
  for (const auto& client : clients) {
    writeFile(sql, client.data);
    ASSERT_TRUE(HB_ZIPFILE(Args{finished, sql, {}, {}, true}).logical());
    const auto digest = digestFile(sql);
    for (unsigned workers : {0u, 2u, 3u}) {
      const std::string what = std::string(client.name) + ", " + std::to_string(workers);
      test::WorkerThreads threads(workers);
      writeFile(sql, "");  // as the run claims it
      auto packer = DumpPacker::start(followed, sql);
      ASSERT_TRUE(packer) << what;
      std::thread writer(test::writeInSteps, sql, client.data, client.steps);
      writer.join();
      const auto read = packer->finish().digest;
      ASSERT_TRUE(read) << what;
      EXPECT_EQ(read->size, digest->size) << what;
      EXPECT_EQ(read->crc32, digest->crc32) << what;
      EXPECT_EQ(readFile(followed), readFile(finished)) << what;
      EXPECT_TRUE(platform::deleteFile(sql)) << what << ": the dump is still held";
    }
  }
}

// A dump judged failed: the packing stops while the client would still write, and lets go of
// both files, so that the run can delete them.
TEST(DumpPacker, AnAbandonedDumpPackingLetsGoOfItsFiles) {
  ScratchFolder dir("builder_abandon");
  const std::string sql = dir / "resp.sql", zip = dir / ".resp.zip.tmp";
  writeFile(sql, test::sqlText(1 << 20));
  auto packer = DumpPacker::start(zip, sql);
  ASSERT_TRUE(packer);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  packer.reset();
  EXPECT_TRUE(platform::deleteFile(zip));
  EXPECT_TRUE(platform::deleteFile(sql));
}

// A client that changes what the packing has already read: the archive holds what was read, the
// check that compares it with the dump as it stands fails, and packing the finished dump again
// gives its archive.
TEST(DumpPacker, ADumpChangedAfterItWasReadFailsTheCheck) {
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
  } clients[] = {
      {"unchanged", nullptr},
      {"an early part rewritten", [&] { overwrite(1000, "-- rewritten"); }},
      {"truncated", [&] { std::filesystem::resize_file(dump, 65536); }},
      {"truncated, then written again",
       [&] {
         std::filesystem::resize_file(dump, 0);
         overwrite(0, "-- a second dump\n" + data);
       }},
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
    if (client.change) client.change();
    EXPECT_EQ(packer->finish().digest.has_value(), !client.change) << client.name;
    const auto again = packFinishedDump(zip, dump).digest;
    const auto digest = digestFile(dump);
    ASSERT_TRUE(again) << client.name;
    EXPECT_EQ(std::tie(again->size, again->crc32), std::tie(digest->size, digest->crc32))
        << client.name;
  }
}

}  // namespace
}  // namespace qb
