#include "archive/ziparc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <tuple>

#include "archive/archive_check.h"
#include "archive/dump_packer.h"
#include "archive/entry_writer.h"
#include "runtime/module_state.h"
#include "runtime/quit.h"
#include "tests/support/archive_data.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"

namespace qb {
namespace {

using test::readEntries;
using test::readFile;
using test::ScratchFolder;
using test::writeFile;
using Args = std::vector<Value>;

std::vector<std::string> names(const std::vector<test::StoredEntry>& entries) {
  std::vector<std::string> out;
  for (const auto& e : entries) out.push_back(e.name);
  return out;
}

// Each test starts from the archive module's settings as start-up leaves them, and leaves them
// so for the tests of other suites in this program.
class ZipFile : public testing::Test {
 protected:
  void SetUp() override { resetModuleState(); }
  void TearDown() override { resetModuleState(); }
};

// The current folder for a scope.
class InFolder {
 public:
  explicit InFolder(const std::string& folder) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~InFolder() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

Value recorder(std::vector<Args>& calls) {
  return makeBlock([&calls](std::span<const Value> p) {
    calls.emplace_back(p.begin(), p.end());
    return Value();
  });
}

TEST_F(ZipFile, TheBackupRunsCallStoresTheDumpUnderItsBareName) {
  ScratchFolder dir("builder_backup");
  const std::string dump = test::sqlText(300000);
  writeFile(dir / "resp_quolmer_2016_4_16_013642.sql", dump);
  EXPECT_TRUE(HB_ZIPFILE(Args{dir / "resp_quolmer_2016_4_16_013642.zip",
                              dir / "resp_quolmer_2016_4_16_013642.sql"})
                  .logical());
  const auto entries = readEntries(dir / "resp_quolmer_2016_4_16_013642.zip");
  ASSERT_EQ(entries.size(), 1u);
  const auto& e = entries[0];
  EXPECT_EQ(e.name, "resp_quolmer_2016_4_16_013642.sql");
  EXPECT_EQ(e.data, dump);
  test::expectDefaultHeaders(e);
  EXPECT_EQ(test::archiveComment(dir / "resp_quolmer_2016_4_16_013642.zip"), "");
}

TEST_F(ZipFile, ZipIsAddedOnlyToANameWithoutExtension) {
  ScratchFolder dir("builder_names");
  writeFile(dir / "f.txt", "f");
  const struct {
    const char *given, *made;
  } cases[] = {{"backup", "backup.zip"},
               {"backup.bak", "backup.bak"},
               {"other.zip", "other.zip"},
               {"dot.", "dot."}};
  for (const auto& c : cases) {
    EXPECT_TRUE(HB_ZIPFILE(Args{dir / c.given, dir / "f.txt"}).logical()) << c.given;
    EXPECT_EQ(names(readEntries(dir / c.made)), std::vector<std::string>{"f.txt"}) << c.given;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "backup.bak.zip"));
}

TEST_F(ZipFile, AnExistingArchiveIsExtendedOrReplaced) {
  ScratchFolder dir("builder_extend");
  writeFile(dir / "a.txt", "first");
  writeFile(dir / "b.txt", "second");
  const std::string zip = dir / "x.zip";
  ASSERT_TRUE(HB_ZIPFILE(Args{zip, dir / "a.txt"}).logical());
  // The comment an extended archive already has stays with it.
  Value h = HB_ZIPOPEN(Args{zip, 2});
  HB_ZIPCLOSE(Args{h, "kept"});

  writeFile(dir / "a.txt", "changed");
  ASSERT_TRUE(HB_ZIPFILE(Args{zip, makeArray({dir / "b.txt", dir / "a.txt"})}).logical());
  auto entries = readEntries(zip);
  EXPECT_EQ(names(entries), (std::vector<std::string>{"a.txt", "b.txt", "a.txt"}));
  EXPECT_EQ(entries[0].data, "first");
  EXPECT_EQ(entries[2].data, "changed");
  EXPECT_EQ(test::archiveComment(zip), "kept");

  ASSERT_TRUE(HB_ZIPFILE(Args{zip, dir / "b.txt", {}, {}, true}).logical());
  EXPECT_EQ(names(readEntries(zip)), std::vector<std::string>{"b.txt"});
}

// Every way into an archive refuses a file that cannot hold one and leaves it as it was: a file
// that is not an archive, a missing one, one in a missing folder; and so is a missing file to pack.
TEST_F(ZipFile, FilesThatHoldNoArchiveAreRefusedAndLeftAlone) {
  ScratchFolder dir("builder_notzip");
  const std::string text = dir / "x.zip", missing = dir / "missing",
                    noFolder = dir / "no/such/folder.zip", file = dir / "a.txt";
  writeFile(text, "plain text, not an archive");
  writeFile(file, "a");
  ASSERT_TRUE(HB_ZIPFILE(Args{dir / "a.zip", file}).logical());
  std::vector<Args> perFile, perChunk;
  const auto zipFile = [&](const std::string& zip) {
    return HB_ZIPFILE(Args{zip, file, {}, recorder(perFile), {}, {}, {}, {}, recorder(perChunk)})
        .logical();
  };
  const auto zipOpen = [](const std::string& zip, int mode) {
    return !HB_ZIPOPEN(Args{zip, mode}).isNil();
  };
  const struct {
    const char* what;
    std::function<bool()> accepted;
  } ways[] = {
      {"HB_ZIPFILE adding to text", [&] { return zipFile(text); }},
      {"HB_ZIPFILE into a missing folder", [&] { return zipFile(noFolder); }},
      {"HB_ZIPOPEN adding to text", [&] { return zipOpen(text, 2); }},
      {"HB_ZIPOPEN after a missing file", [&] { return zipOpen(missing, 1); }},
      {"HB_ZIPOPEN adding to a missing file", [&] { return zipOpen(missing, 2); }},
      {"the dump packed into a missing folder",
       [&] { return DumpPacker::start(noFolder, file) != nullptr; }},
      {"a missing dump packed",
       [&] { return DumpPacker::start(dir / "b.zip", missing) != nullptr; }},
      {"text opened to read", [&] { return opensAsArchive(text); }},
      {"a missing file opened to read", [&] { return opensAsArchive(missing); }},
      {"the check of text", [&] { return archiveHoldsWholeFile(text, "x.zip", text); }},
      {"the check of a missing archive",
       [&] { return archiveHoldsWholeFile(missing, "a.txt", file); }},
      {"the check against a missing file",
       [&] { return archiveHoldsWholeFile(dir / "a.zip", "a.txt", missing); }},
  };
  for (const auto& way : ways) {
    EXPECT_FALSE(way.accepted()) << way.what;
    EXPECT_EQ(readFile(text), "plain text, not an archive") << way.what;
    EXPECT_FALSE(std::filesystem::exists(missing)) << way.what;
    EXPECT_FALSE(std::filesystem::exists(dir / "no")) << way.what;
  }
  EXPECT_TRUE(perFile.empty());
  EXPECT_TRUE(perChunk.empty());
}

TEST_F(ZipFile, EmptyListsAndEmptyFilesStillMakeAnArchive) {
  ScratchFolder dir("builder_empty");
  writeFile(dir / "empty.sql", "");
  EXPECT_TRUE(HB_ZIPFILE(Args{dir / "none.zip"}).logical());
  EXPECT_TRUE(std::filesystem::exists(dir / "none.zip"));
  EXPECT_TRUE(readEntries(dir / "none.zip").empty());
  EXPECT_TRUE(HB_ZIPFILE(Args{dir / "one.zip", dir / "empty.sql"}).logical());
  const auto entries = readEntries(dir / "one.zip");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].data, "");
  EXPECT_EQ(entries[0].info.uncompressed_size, 0u);
}

TEST_F(ZipFile, PatternsAndExclusionsChooseTheFiles) {
  ScratchFolder dir("builder_patterns");
  for (const char* f : {"a.sql", "b.sql", "c.txt", "keep.log", "Skip.LOG"}) writeFile(dir / f, f);
  const std::string zip = dir / "all.zip";
  // The archive lies in the listed folder and is never stored; "*.txt" and a plain name
  // matched without regard to case exclude more.
  EXPECT_TRUE(HB_ZIPFILE(Args{zip,
                              dir / "*.*",
                              {},
                              {},
                              {},
                              {},
                              {},
                              {},
                              {},
                              {},
                              makeArray({dir / "*.txt", "skip.log"})})
                  .logical());
  auto stored = names(readEntries(zip));
  std::sort(stored.begin(), stored.end());
  EXPECT_EQ(stored, (std::vector<std::string>{"a.sql", "b.sql", "keep.log"}));

  // A plain name carries its folder, so it is compared whole and the bare exclusion misses it.
  EXPECT_TRUE(HB_ZIPFILE(Args{dir / "p.zip",
                              makeArray({dir / "a.sql", dir / "?.zz", "a.sql"}),
                              {},
                              {},
                              {},
                              {},
                              {},
                              {},
                              {},
                              {},
                              "a.sql"})
                  .logical());
  EXPECT_EQ(names(readEntries(dir / "p.zip")), std::vector<std::string>{"a.sql"});
}

TEST_F(ZipFile, CallbacksSeeOpenedFilesAndRunningTotals) {
  ScratchFolder dir("builder_callbacks");
  writeFile(dir / "one.sql", std::string(2500, 'x'));
  writeFile(dir / "two.sql", "tiny");
  HB_SETBUFFER(Args{0, 0, 1000});
  std::vector<Args> perFile, perChunk;
  const Value files = makeArray({dir / "one.sql", dir / "missing.sql", dir / "two.sql"});
  EXPECT_TRUE(
      HB_ZIPFILE(
          Args{dir / "cb.zip", files, {}, recorder(perFile), {}, {}, {}, {}, recorder(perChunk)})
          .logical());
  EXPECT_EQ(perFile, (std::vector<Args>{{dir / "one.sql", 1}, {dir / "two.sql", 2}}));
  EXPECT_EQ(perChunk, (std::vector<Args>{{1000, 2500}, {2000, 2500}, {2500, 2500}, {4, 4}}));
  const auto entries = readEntries(dir / "cb.zip");
  EXPECT_EQ(names(entries), (std::vector<std::string>{"one.sql", "two.sql"}));
  EXPECT_EQ(entries[0].data, std::string(2500, 'x'));
}

// A callback that ends the program (an error the hook answers with quit) unwinds through the
// archiver: the archive is still closed, and the entry holds what was read before.
TEST_F(ZipFile, AQuitInACallbackLeavesACompleteEntryOfWhatWasRead) {
  ScratchFolder dir("builder_quit");
  const std::string dump = test::sqlText(1000000);
  writeFile(dir / "dump.sql", dump);
  const Value quitAtFifth = makeBlock([calls = 0](std::span<const Value>) mutable {
    if (++calls == 5) throw QuitRequest{};
    return Value();
  });
  EXPECT_THROW(
      HB_ZIPFILE(Args{dir / "q.zip", dir / "dump.sql", {}, {}, {}, {}, {}, {}, quitAtFifth}),
      QuitRequest);
  const auto entries = readEntries(dir / "q.zip");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_TRUE(entries[0].crcOk);
  EXPECT_EQ(entries[0].data, dump.substr(0, 4 * 32768));
}

TEST_F(ZipFile, BufferSizeAndCommentSettings) {
  ScratchFolder dir("builder_settings");
  writeFile(dir / "f.sql", std::string(70000, 'y'));
  std::vector<Args> chunks;
  const auto pack = [&](const std::string& zip) {
    chunks.clear();
    HB_ZIPFILE(Args{dir / zip, dir / "f.sql", {}, {}, {}, {}, {}, {}, recorder(chunks)});
  };
  HB_SETBUFFER(Args{0, 0, 100000});  // capped at 32768
  HB_SETZIPCOMMENT(Args{"made by test"});
  pack("a.zip");
  EXPECT_EQ(chunks.size(), 3u);
  EXPECT_EQ(test::archiveComment(dir / "a.zip"), "made by test");
  HB_SETBUFFER(Args{0, 0, -5});  // not a size: unchanged
  HB_SETBUFFER(Args{0, 0});
  HB_SETZIPCOMMENT(Args{42});  // not text: unchanged
  pack("b.zip");
  EXPECT_EQ(chunks.size(), 3u);
  EXPECT_EQ(test::archiveComment(dir / "b.zip"), "made by test");
  HB_SETZIPCOMMENT(Args{});
  pack("c.zip");
  EXPECT_EQ(test::archiveComment(dir / "c.zip"), "");
}

TEST_F(ZipFile, PathsAndTheSpanVariants) {
  ScratchFolder dir("builder_options");
  // The names a caller in the folder gives: relative, '/' separated on both systems.
  const InFolder inside(dir.path());
  std::filesystem::create_directory("sub");
  const std::string file = "sub/data.sql";
  writeFile(file, "secret rows");
  // With path: the folder is kept in the zip format's form, '/' separated and not rooted.
  const std::string absolute = std::filesystem::absolute(file).string();
  HB_ZIPFILE(Args{"abs.zip", absolute, {}, {}, {}, {}, true});
  const std::string stored = readEntries("abs.zip").at(0).name;
  EXPECT_TRUE(stored.ends_with("/" + file)) << stored;
  EXPECT_EQ(stored.find_first_of("\\:"), std::string::npos) << stored;
  EXPECT_NE(stored.front(), '/');

  // The TD variant drops its seventh argument, so its eighth keeps the path.
  HB_ZIPFILEBYTDSPAN(Args{"td1.zip", file, {}, {}, {}, {}, true, false});
  HB_ZIPFILEBYTDSPAN(Args{"td2.zip", file, {}, {}, {}, {}, false, true});
  EXPECT_EQ(readEntries("td1.zip").at(0).name, "data.sql");
  EXPECT_EQ(readEntries("td2.zip").at(0).name, file);
  EXPECT_TRUE(HB_ZIPFILEBYPKSPAN(Args{"pk.zip", file, {}, {}, {}, {}, true}).isNil());
  EXPECT_EQ(readEntries("pk.zip").at(0).name, file);
}

// The archive's bytes follow from the data alone, not from the threads that deflated it, including
// none when no worker could start.
TEST_F(ZipFile, TheArchiveIsTheSameWhateverTheThreads) {
  ScratchFolder dir("builder_threads");
  const std::string file = dir / "data.sql", zip = dir / "t.zip";
  const std::pair<unsigned, unsigned> threads[] = {{1, 16},  {2, 16}, {3, 16},
                                                   {16, 16}, {4, 1},  {4, 0}};
  for (const auto& [name, data] : test::blockEdgeData()) {
    writeFile(file, data);
    std::string first;
    for (const auto& [count, startable] : threads) {
      test::WorkerThreads workers(count, startable);
      ASSERT_TRUE(HB_ZIPFILE(Args{zip, file, {}, {}, true}).logical());
      if (first.empty()) {
        first = readFile(zip);
        const auto entries = readEntries(zip);
        ASSERT_EQ(entries.size(), 1u) << name;
        test::expectDefaultHeaders(entries[0]);
        EXPECT_EQ(entries[0].data, data) << name;
      }
      EXPECT_EQ(readFile(zip), first)
          << name << ", " << count << " threads, " << startable << " startable";
    }
  }
}

// Every header value, the text flag in the directory included, is what the entry writer's own
// deflating gives the same data at the same level; a level the compressor refuses gives no entry.
TEST_F(ZipFile, HeadersAreTheEntryWritersOwn) {
  ScratchFolder dir("builder_as_writer");
  const std::string file = dir / "data.sql";
  for (const auto& [name, data] : test::blockEdgeData()) {
    writeFile(file, data);
    for (const Value& level :
         {Value(), Value(0), Value(1), Value(2), Value(8), Value(9), Value(10)}) {
      HB_ZIPFILE(Args{dir / "ours.zip", file, level, {}, true});
      const Value h = HB_ZIPOPEN(Args{dir / "writer.zip"});
      HB_ZIPFILECREATE(Args{h, "data.sql", {}, {}, {}, {}, {}, level});
      HB_ZIPFILEWRITE(Args{h, data});
      HB_ZIPFILECLOSE(Args{h});
      HB_ZIPCLOSE(Args{h});
      const auto ours = readEntries(dir / "ours.zip");
      const auto writers = readEntries(dir / "writer.zip");
      ASSERT_EQ(ours.size(), writers.size()) << name;
      if (ours.empty()) continue;
      const unz_file_info64 &a = ours[0].info, &b = writers[0].info;
      const std::string what = name + " at level " + (level.isNil() ? "default" : "given");
      EXPECT_EQ(a.internal_fa, b.internal_fa) << what << " " << level.number();
      EXPECT_EQ(std::tie(a.version, a.version_needed, a.flag, a.compression_method, a.dosDate,
                         a.crc, a.uncompressed_size, a.external_fa, a.size_file_extra),
                std::tie(b.version, b.version_needed, b.flag, b.compression_method, b.dosDate,
                         b.crc, b.uncompressed_size, b.external_fa, b.size_file_extra))
          << what << " " << level.number();
      EXPECT_EQ(ours[0].data, data) << what;
    }
  }
}

TEST_F(ZipFile, APasswordEncryptsTheEntry) {
  ScratchFolder dir("builder_password");
  writeFile(dir / "data.sql", "secret rows");
  HB_ZIPFILE(Args{dir / "nopw.zip", dir / "data.sql", {}, {}, {}, ""});
  EXPECT_EQ(readEntries(dir / "nopw.zip").at(0).info.flag, 0u);
  HB_ZIPFILE(Args{dir / "pw.zip", dir / "data.sql", 9, {}, {}, "pw"});
  const auto entries = readEntries(dir / "pw.zip");
  ASSERT_EQ(entries.size(), 1u);
  const auto& info = entries[0].info;
  EXPECT_EQ(info.flag, 3u);  // encrypted, level 9
  // Debian's minizip 1.1 walks zlib's 32-bit CRC table through unsigned long pointers, so on
  // 64-bit Linux it derives wrong keys and nothing can decrypt what it encrypts.
  if (sizeof(unsigned long) != sizeof(z_crc_t))
    GTEST_SKIP() << "minizip's encryption is broken here";
  const std::string bytes = readFile(dir / "pw.zip");
  const std::size_t data = 30 + test::le16(bytes, 26) + test::le16(bytes, 28);
  const std::string plain = test::zipDecrypt(bytes.substr(data, info.compressed_size), "pw");
  EXPECT_EQ(static_cast<unsigned char>(plain.at(11)), info.crc >> 24);  // the header's check byte
  EXPECT_EQ(test::inflateRaw(plain.substr(12)), "secret rows");
}

TEST_F(ZipFile, AnArchiveNameThatIsNotTextIsAnArgumentError) {
  test::ErrorCatcher catcher;
  EXPECT_FALSE(HB_ZIPFILE(Args{Value(5), "f.sql"}).logical());
  ASSERT_EQ(catcher.errors.size(), 1u);
  EXPECT_EQ(catcher.errors[0]->OPERATION.text(), "HB_ZIPFILE");
  EXPECT_EQ(catcher.errors[0]->SUBCODE.number(), 3012);
}

}  // namespace
}  // namespace qb
