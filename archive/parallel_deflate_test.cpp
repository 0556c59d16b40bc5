#include "archive/parallel_deflate.h"

#include <gtest/gtest.h>

#include <optional>

#include "tests/support/archive_data.h"
#include "tests/support/byte_texts.h"

namespace qb {
namespace {

constexpr std::size_t kBlock = 131072;

struct Recorded final : DeflatedEntrySink {
  std::vector<std::string> calls;  // consecutive writes count once
  std::optional<bool> text;
  std::string bytes;
  std::uint64_t size = 0;
  std::uint32_t crc = 0;
  std::size_t writes = 0;

  void begin(bool isText) override {
    calls.push_back("begin");
    text = isText;
  }
  void write(std::span<const unsigned char> b) override {
    if (calls.empty() || calls.back() != "write") calls.push_back("write");
    bytes.append(reinterpret_cast<const char*>(b.data()), b.size());
    ++writes;
  }
  void end(std::uint64_t s, std::uint32_t c) override {
    calls.push_back("end");
    size = s;
    crc = c;
  }
};

struct Deflated {
  Recorded sink;
  std::size_t workers = 0;
  std::size_t writesBeforeFinish = 0;
};

// The data deflated by workers (of which only startable start), handed over in chunks.
Deflated deflated(const std::string& data, int level, unsigned workers, std::size_t chunk = 32768,
                  unsigned startable = 16) {
  test::WorkerThreads threads(workers, startable);
  Deflated out;
  ParallelDeflate deflate(level, blockThreads(), out.sink);
  EXPECT_TRUE(deflate.ready());
  out.workers = deflate.workers();
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  for (std::size_t at = 0; at < data.size(); at += chunk)
    deflate.add(bytes + at, std::min(chunk, data.size() - at));
  out.writesBeforeFinish = out.sink.writes;
  deflate.finish();
  return out;
}

// What the zip library makes of the data in one zlib stream: its size and zlib's verdict on text.
struct OneStream {
  std::size_t size = 0;
  bool text = false;
};

OneStream oneStream(const std::string& data, int level) {
  z_stream s{};
  deflateInit2(&s, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&s, data.size()), '\0');
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  s.avail_in = static_cast<uInt>(data.size());
  s.next_out = reinterpret_cast<Bytef*>(out.data());
  s.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&s, Z_FINISH), Z_STREAM_END);
  const OneStream result{s.total_out, s.data_type == Z_TEXT};
  deflateEnd(&s);
  return result;
}

std::uint32_t crcOf(const std::string& data) {
  return static_cast<std::uint32_t>(
      crc32(0L, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

TEST(ParallelDeflate, OneStreamOfTheSameBytesWhateverTheWorkers) {
  for (const auto& [name, data] : test::blockEdgeData()) {
    const Deflated one = deflated(data, Z_DEFAULT_COMPRESSION, 1);
    EXPECT_EQ(one.workers, 1u);
    EXPECT_EQ(test::inflateRaw(one.sink.bytes), data) << name;
    EXPECT_EQ(one.sink.size, data.size()) << name;
    EXPECT_EQ(one.sink.crc, crcOf(data)) << name;
    EXPECT_EQ(one.sink.calls, (std::vector<std::string>{"begin", "write", "end"})) << name;
    EXPECT_EQ(one.sink.writes, std::max<std::size_t>(1, (data.size() + kBlock - 1) / kBlock))
        << name << ": one write a block";
    for (unsigned workers : {0u, 2u, 3u, 16u})
      EXPECT_EQ(deflated(data, Z_DEFAULT_COMPRESSION, workers).sink.bytes, one.sink.bytes)
          << name << ", " << workers << " workers";
  }
}

TEST(ParallelDeflate, ChunksOfAnySizeGiveTheSameStream) {
  const std::string data = test::sqlText(3 * kBlock + 777);
  const std::string expected = deflated(data, 6, 2).sink.bytes;
  for (std::size_t chunk : {1000u, 65536u, 400000u})
    EXPECT_EQ(deflated(data, 6, 2, chunk).sink.bytes, expected) << chunk;
}

TEST(ParallelDeflate, EachLevelDeflatesAsZlibDoes) {
  const std::string data = test::sqlText(2 * kBlock + 99);
  const std::string level6 = deflated(data, 6, 2).sink.bytes;
  EXPECT_EQ(deflated(data, Z_DEFAULT_COMPRESSION, 2).sink.bytes, level6);
  for (int level = 0; level <= 9; ++level) {
    const std::string bytes = deflated(data, level, 2).sink.bytes;
    EXPECT_EQ(test::inflateRaw(bytes), data) << level;
    if (level == 0) {
      EXPECT_GT(bytes.size(), data.size());  // stored, not compressed
    }
  }
  const std::string random = test::randomBytes(5, 2 * kBlock);
  EXPECT_LT(deflated(random, 6, 2).sink.bytes.size(), random.size() + random.size() / 1000)
      << "incompressible data should be stored";
}

// The cuts between blocks cost little: within a tenth of a percent of one zlib stream.
TEST(ParallelDeflate, TheStreamIsAsSmallAsOneZlibStream) {
  const std::string data = test::sqlText(4 << 20);
  const double ours = static_cast<double>(deflated(data, 6, 2).sink.bytes.size());
  const double one = static_cast<double>(oneStream(data, 6).size);
  EXPECT_LT(ours, one * 1.002) << ours << " against " << one;
}

TEST(ParallelDeflate, TheVerdictOnTextIsZlibsForOneStream) {
  for (const auto& [name, data] : test::blockEdgeData())
    for (int level : {0, 1, 6, 9}) {
      const Deflated d = deflated(data, level, 2);
      ASSERT_TRUE(d.sink.text) << name;
      EXPECT_EQ(*d.sink.text, oneStream(data, level).text) << name << " at level " << level;
    }
  // Zlib classifies the first deflate block it codes, which may span far more than one of our
  // blocks: the verdict on that block alone would differ.
  const std::string longFirstBlock = test::blockEdgeData().back().bytes;
  EXPECT_TRUE(oneStream(longFirstBlock.substr(0, kBlock), 6).text);
  EXPECT_FALSE(oneStream(longFirstBlock, 6).text);
}

TEST(ParallelDeflate, WorkersThatCannotStartLeaveTheWorkToTheRest) {
  const std::string data = test::sqlText(5 * kBlock);
  const Deflated all = deflated(data, 6, 4);
  EXPECT_EQ(all.workers, 4u);
  for (unsigned startable : {2u, 0u}) {
    const Deflated fewer = deflated(data, 6, 4, 32768, startable);
    EXPECT_EQ(fewer.workers, startable);
    EXPECT_EQ(fewer.sink.bytes, all.sink.bytes) << startable;
    EXPECT_EQ(fewer.sink.crc, all.sink.crc);
  }
}

// Blocks are written while data still comes in, so only a few wait at any time.
TEST(ParallelDeflate, DeflatedBlocksLeaveAsTheDataComesIn) {
  const std::size_t blocks = 80;
  const std::string data = test::sqlText(blocks * kBlock);
  for (unsigned workers : {1u, 3u}) {
    const Deflated d = deflated(data, 1, workers);
    EXPECT_GE(d.writesBeforeFinish + 2 * workers + 3, blocks) << workers;
  }
}

}  // namespace
}  // namespace qb
