#include "archive/entry_writer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>

#include "archive/file_digest.h"
#include "tests/support/archive_data.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"

namespace qb {
namespace {

using test::le16;
using test::readEntries;
using test::readFile;
using test::ScratchFolder;
using Args = std::vector<Value>;

Value open(const std::string& name, Value mode = {}) {
  return HB_ZIPOPEN(Args{name, mode});
}

// One entry written and closed; the result codes of the three calls.
std::vector<int> addEntry(const Value& handle, Args createArgs, const Value& data,
                          Value count = {}) {
  createArgs.insert(createArgs.begin(), handle);
  return {static_cast<int>(HB_ZIPFILECREATE(createArgs).number()),
          static_cast<int>(HB_ZIPFILEWRITE(Args{handle, data, count}).number()),
          static_cast<int>(HB_ZIPFILECLOSE(Args{handle}).number())};
}

class NotAnArchive : public Collectable {};

TEST(EntryWriter, WrongArgumentsRaiseTheArgumentErrorAndGiveNil) {
  ScratchFolder dir("writer_arguments");
  const Value handle = open(dir / "a.zip");
  const Value closed = open(dir / "b.zip");
  ASSERT_EQ(HB_ZIPCLOSE(Args{closed}).number(), 0);
  auto other = std::make_shared<NotAnArchive>();
  const Value foreign = Pointer{other.get(), other};
  using Call = std::function<Value(std::span<const Value>)>;
  struct Case {
    const char* operation;
    Call call;
    Args args;
  };
  const Call zipOpen = [](std::span<const Value> p) { return HB_ZIPOPEN(p); };
  const Case cases[] = {
      {"HB_ZIPOPEN", zipOpen, {Value(1)}},
      {"HB_ZIPOPEN", zipOpen, {}},
      {"HB_ZIPFILECREATE", HB_ZIPFILECREATE, {handle, Value(5)}},
      {"HB_ZIPFILECREATE", HB_ZIPFILECREATE, {closed, "x"}},
      {"HB_ZIPFILECREATE", HB_ZIPFILECREATE, {Value(3), "x"}},
      {"HB_ZIPFILECREATE", HB_ZIPFILECREATE, {foreign, "x"}},
      {"HB_ZIPFILEWRITE", HB_ZIPFILEWRITE, {handle, Value()}},
      {"HB_ZIPFILEWRITE", HB_ZIPFILEWRITE, {closed, "data"}},
      {"HB_ZIPFILECLOSE", HB_ZIPFILECLOSE, {}},
      {"HB_ZIPFILECLOSE", HB_ZIPFILECLOSE, {Value(Pointer{})}},
      {"HB_ZIPCLOSE", HB_ZIPCLOSE, {closed}},
      {"HB_ZIPCLOSE", HB_ZIPCLOSE, {foreign, "comment"}},
      {"HB_ZIPFILECRC32", HB_ZIPFILECRC32, {Value(7)}},
  };
  for (const auto& c : cases) {
    test::ErrorCatcher catcher;
    EXPECT_TRUE(c.call(c.args).isNil()) << c.operation;
    ASSERT_EQ(catcher.errors.size(), 1u) << c.operation;
    const ErrorRecord& e = *catcher.errors[0];
    EXPECT_EQ(e.SUBSYSTEM.text(), "BASE");
    EXPECT_EQ(e.SUBCODE.number(), 3012);
    EXPECT_EQ(e.GENCODE.number(), 1);
    EXPECT_EQ(e.DESCRIPTION.text(), "Argument error");
    EXPECT_EQ(e.OPERATION.text(), c.operation);
    ASSERT_TRUE(e.ARGS.isArray());
    EXPECT_TRUE(*std::get<Array>(e.ARGS) == c.args) << c.operation;
  }
  EXPECT_EQ(HB_ZIPCLOSE(Args{handle}).number(), 0);
}

TEST(EntryWriter, ResultCodesAndRefusedEntriesLeaveNoTrace) {
  ScratchFolder dir("writer_codes");
  const std::string zip = dir / "codes.zip";
  const Value handle = open(zip);
  EXPECT_EQ(HB_ZIPFILEWRITE(Args{handle, "x"}).number(), -102);  // no entry open
  EXPECT_EQ(HB_ZIPFILECLOSE(Args{handle}).number(), -102);
  EXPECT_EQ(HB_ZIPFILECREATE(Args{handle, "m", {}, {}, {}, {}, 3}).number(), -102);
  EXPECT_EQ(HB_ZIPFILECREATE(Args{handle, "l", {}, {}, {}, {}, 8, 10}).number(), -2);
  EXPECT_EQ(HB_ZIPFILECREATE(Args{handle, "l", {}, {}, {}, {}, 8, -2}).number(), -2);
  EXPECT_EQ(addEntry(handle, {"ok"}, "fine"), (std::vector<int>{0, 0, 0}));
  // A refused level closes an entry still open, as a new entry does.
  ASSERT_EQ(HB_ZIPFILECREATE(Args{handle, "open"}).number(), 0);
  ASSERT_EQ(HB_ZIPFILEWRITE(Args{handle, "kept"}).number(), 0);
  EXPECT_EQ(HB_ZIPFILECREATE(Args{handle, "l", {}, {}, {}, {}, {}, 11}).number(), -2);
  EXPECT_EQ(HB_ZIPFILEWRITE(Args{handle, "x"}).number(), -102);
  EXPECT_EQ(HB_ZIPCLOSE(Args{handle}).number(), 0);

  const auto entries = readEntries(zip);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "ok");
  EXPECT_EQ(entries[1].name, "open");
  EXPECT_EQ(entries[1].data, "kept");
  const std::string bytes = readFile(zip);
  EXPECT_EQ(bytes.substr(0, 4), "PK\3\4");
  EXPECT_EQ(bytes.substr(30, 2), "ok");  // nothing written ahead of the first good entry
}

TEST(EntryWriter, AnEntryWithOnlyANameGetsTheDefaultHeaderValues) {
  ScratchFolder dir("writer_headers");
  const std::string zip = dir / "h.zip";
  const std::string text = test::sqlText(200000);
  const std::string binary("\x00\x01\x02\xff\xfe\x00\x10", 7);
  const Value handle = open(zip);
  EXPECT_EQ(addEntry(handle, {"resp.sql"}, text), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(addEntry(handle, {"bin"}, binary), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(HB_ZIPCLOSE(Args{handle}).number(), 0);

  const auto entries = readEntries(zip);
  ASSERT_EQ(entries.size(), 2u);
  for (const auto& e : entries) test::expectDefaultHeaders(e);
  EXPECT_EQ(entries[0].info.internal_fa, 1u);  // the compressor saw text
  EXPECT_EQ(entries[1].info.internal_fa, 0u);
  EXPECT_EQ(entries[0].data, text);
  EXPECT_EQ(entries[1].data, binary);
  EXPECT_EQ(entries[0].info.crc,
            crc32(0, reinterpret_cast<const Bytef*>(text.data()), text.size()));

  // The local header: version 20, no flags, deflate, no date, sizes rewritten, no extra field.
  const std::string bytes = readFile(zip);
  EXPECT_EQ(le16(bytes, 4), 20);
  EXPECT_EQ(le16(bytes, 6), 0);
  EXPECT_EQ(le16(bytes, 8), 8);
  EXPECT_EQ(le16(bytes, 10) | le16(bytes, 12), 0);
  EXPECT_EQ(le16(bytes, 22) | le16(bytes, 24) << 16, text.size());
  EXPECT_EQ(le16(bytes, 28), 0);
}

TEST(EntryWriter, LevelSetsFlagBitsAndMethodZeroStores) {
  ScratchFolder dir("writer_levels");
  const std::string zip = dir / "l.zip";
  struct Case {
    Value method, level;
    unsigned flag, storedMethod;
  };
  const Case cases[] = {{{}, 9, 2, 8}, {{}, 8, 2, 8}, {{}, 2, 4, 8},  {{}, 1, 6, 8},
                        {{}, 0, 0, 8}, {{}, 6, 0, 8}, {{}, {}, 0, 8}, {0, {}, 0, 0}};
  const std::string data = test::sqlText(5000);
  const Value handle = open(zip);
  for (const auto& c : cases)
    ASSERT_EQ(addEntry(handle, {"e", {}, {}, {}, {}, c.method, c.level}, data),
              (std::vector<int>{0, 0, 0}));
  HB_ZIPCLOSE(Args{handle});
  const auto entries = readEntries(zip);
  ASSERT_EQ(entries.size(), std::size(cases));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].info.flag, cases[i].flag) << i;
    EXPECT_EQ(entries[i].info.compression_method, cases[i].storedMethod) << i;
    EXPECT_EQ(entries[i].data, data) << i;
  }
  EXPECT_EQ(entries[7].info.compressed_size, data.size());  // stored
  EXPECT_GT(entries[4].info.compressed_size, data.size());  // level 0 deflates without compressing
  EXPECT_LT(entries[0].info.compressed_size, entries[3].info.compressed_size);
}

TEST(EntryWriter, DateAndTimeBecomeTheDosStamp) {
  ScratchFolder dir("writer_dates");
  const std::string zip = dir / "d.zip";
  const Date april16 = Date::fromYmd(2016, 4, 16);
  struct Case {
    Value date, time;
    int year, month, day, hour, minute, second;
  };
  const Case cases[] = {
      {april16, "01:36:42", 2016, 4, 16, 1, 36, 42},
      {april16, "01:36:43", 2016, 4, 16, 1, 36, 42},  // two-second steps
      {april16, "1:15 PM", 2016, 4, 16, 13, 15, 0},
      {april16, "24:00", 2016, 4, 16, 0, 0, 0},
      {Timestamp{april16.julian, (13 * 3600 + 5 * 60 + 9) * 1000 + 500}, "08:00", 2016, 4, 16, 13,
       5, 8},
      {Date::fromYmd(2017, 1, 5), Value(), 2017, 1, 5, 0, 0, 0},
  };
  const Value handle = open(zip);
  for (const auto& c : cases) addEntry(handle, {"t", c.date, c.time}, "x");
  addEntry(handle, {"time only", Value(), "10:00"}, "x");
  HB_ZIPCLOSE(Args{handle});
  const auto entries = readEntries(zip);
  ASSERT_EQ(entries.size(), std::size(cases) + 1);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& t = entries[i].info.tmu_date;
    const auto& c = cases[i];
    EXPECT_EQ(std::vector<int>({int(t.tm_year), int(t.tm_mon) + 1, int(t.tm_mday), int(t.tm_hour),
                                int(t.tm_min), int(t.tm_sec)}),
              std::vector<int>({c.year, c.month, c.day, c.hour, c.minute, c.second}))
        << i;
  }
  EXPECT_EQ(entries.back().info.dosDate, 10u << 11);  // no date: DOS date 0, time 10:00
}

TEST(EntryWriter, CountLimitsTheBytesWritten) {
  ScratchFolder dir("writer_count");
  const std::string zip = dir / "c.zip";
  const Value counts[] = {Value(), 3, 100, -1, 0};
  const char* expected[] = {"abcdef", "abc", "abcdef", "abcdef", ""};
  const Value handle = open(zip);
  for (const auto& n : counts) addEntry(handle, {"c"}, "abcdef", n);
  HB_ZIPCLOSE(Args{handle});
  const auto entries = readEntries(zip);
  ASSERT_EQ(entries.size(), std::size(counts));
  for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].data, expected[i]) << i;
}

TEST(EntryWriter, OpenModesCreateOrAdd) {
  ScratchFolder dir("writer_modes");
  const std::string zip = dir / "m.zip";
  Value h = open(zip);
  addEntry(h, {"first"}, "1");
  HB_ZIPCLOSE(Args{h, "the comment"});

  Value comment;
  h = HB_ZIPOPEN(Args{zip, 2}, &comment);
  ASSERT_TRUE(h.isPointer());
  EXPECT_EQ(comment.text(), "the comment");
  addEntry(h, {"second"}, "2");
  HB_ZIPCLOSE(Args{h});
  auto entries = readEntries(zip);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].name, "second");
  EXPECT_EQ(test::archiveComment(zip), "the comment");

  // Mode 1 writes a new archive after the file's content; mode 0 starts the file afresh. What
  // modes 1 and 2 refuse: ziparc_test's table of files that hold no archive.
  const std::string plain = dir / "plain.zip";
  test::writeFile(plain, "not a zip archive");
  h = open(plain, 1);
  addEntry(h, {"after"}, "a");
  HB_ZIPCLOSE(Args{h});
  EXPECT_EQ(readFile(plain).substr(0, 17), "not a zip archive");
  ASSERT_EQ(readEntries(plain).size(), 1u);
  h = open(zip, 0);
  addEntry(h, {"only"}, "o");
  HB_ZIPCLOSE(Args{h});
  entries = readEntries(zip);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "only");
}

TEST(EntryWriter, TheLastReferenceClosesAStillOpenArchive) {
  ScratchFolder dir("writer_release");
  const std::string zip = dir / "r.zip";
  {
    const Value handle = open(zip);
    const Value copy = handle;
    HB_ZIPFILECREATE(Args{copy, "left open"});
    HB_ZIPFILEWRITE(Args{handle, "data"});
  }
  const auto entries = readEntries(zip);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].data, "data");
  EXPECT_TRUE(entries[0].crcOk);
}

TEST(EntryWriter, FileCrc32ReadsTheWholeFile) {
  ScratchFolder dir("writer_crc");
  const std::string big = test::sqlText(16384 * 3 + 77);
  test::writeFile(dir / "check", "123456789");
  test::writeFile(dir / "empty", "");
  test::writeFile(dir / "big", big);
  EXPECT_EQ(HB_ZIPFILECRC32(Args{dir / "check"}).number(), 0xCBF43926u);
  EXPECT_EQ(HB_ZIPFILECRC32(Args{dir / "empty"}).number(), 0);
  EXPECT_EQ(HB_ZIPFILECRC32(Args{dir / "missing"}).number(), 0);
  EXPECT_EQ(HB_ZIPFILECRC32(Args{dir / "big"}).number(),
            crc32(0, reinterpret_cast<const Bytef*>(big.data()), big.size()));
  const auto digest = digestFile(dir / "big");
  ASSERT_TRUE(digest);
  EXPECT_EQ(digest->size, big.size());
  EXPECT_FALSE(digestFile(dir / "missing"));
}

}  // namespace
}  // namespace qb
