#include "archive/block_deflater.h"

#include <gtest/gtest.h>

#include "tests/support/archive_data.h"
#include "tests/support/byte_texts.h"

namespace qb {
namespace {

std::span<const unsigned char> bytesOf(const std::string& s) {
  return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

std::string deflateBlock(BlockDeflater& deflater, const std::string& dictionary,
                         const std::string& data, bool last) {
  DeflatedBlock out;
  EXPECT_TRUE(deflater.deflateBlock(bytesOf(dictionary), bytesOf(data), last, out));
  return {reinterpret_cast<const char*>(out.bytes.get()), out.size};
}

TEST(BlockDeflater, BlocksJoinIntoOneStreamThatTheLastEnds) {
  BlockDeflater deflater(6);
  ASSERT_TRUE(deflater.ready());
  const std::string first = test::sqlText(50000), second = test::randomBytes(1, 20000);
  const std::string a = deflateBlock(deflater, "", first, false);
  const std::string b =
      deflateBlock(deflater, first.substr(first.size() - kDictionarySize), second, false);
  const std::string c = deflateBlock(deflater, second.substr(second.size() - 10000), "", true);
  // A block not last ends on a byte boundary with the empty stored block of a sync flush.
  EXPECT_EQ(a.substr(a.size() - 4), std::string("\0\0\xff\xff", 4));
  EXPECT_EQ(b.substr(b.size() - 4), std::string("\0\0\xff\xff", 4));
  EXPECT_EQ(test::inflateRaw(a), "<inflate failed>");  // not ended
  EXPECT_EQ(test::inflateRaw(a + b + c), first + second);
}

TEST(BlockDeflater, TheDictionaryLetsABlockMatchWhatCameBefore) {
  BlockDeflater deflater(6);
  const std::string before = test::randomBytes(2, kDictionarySize);
  const std::string data = before.substr(kDictionarySize / 2);
  const std::string primed = deflateBlock(deflater, before, data, true);
  const std::string alone = deflateBlock(deflater, "", data, true);
  EXPECT_LT(primed.size(), 200u);
  EXPECT_GT(alone.size(), data.size());
}

}  // namespace
}  // namespace qb
