#pragma once
// Deflates an entry's data one block at a time so that the blocks, joined in order, are one raw
// deflate stream: each block is primed with the data before it, so matches still reach back
// across the cut, and ends on a byte boundary without ending the stream, except the last.

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace qb {

// How far back deflate looks for matches: what each block is primed with.
constexpr std::size_t kDictionarySize = 32768;

// A block's deflated bytes. The buffer is kept from block to block and grows when one needs it.
struct DeflatedBlock {
  std::unique_ptr<unsigned char[]> bytes;
  std::size_t size = 0;
  std::size_t capacity = 0;
  std::span<const unsigned char> view() const { return {bytes.get(), size}; }
};

class BlockDeflater {
 public:
  // The stream the zip format's deflate entries use: raw, 32 KiB window, memory level 8, the
  // default strategy, at this level (0 to 9, or -1 for zlib's default).
  explicit BlockDeflater(int level);
  ~BlockDeflater();
  BlockDeflater(const BlockDeflater&) = delete;
  BlockDeflater& operator=(const BlockDeflater&) = delete;

  // False when zlib could not set up the stream; nothing can be deflated then.
  bool ready() const { return ready_; }

  // Deflates data into out, primed with dictionary (the data before it, up to 32 KiB; empty for
  // the first block). The last block ends the stream. False on a zlib error.
  bool deflateBlock(std::span<const unsigned char> dictionary, std::span<const unsigned char> data,
                    bool last, DeflatedBlock& out);

 private:
  z_stream stream_{};
  bool ready_ = false;
};

}  // namespace qb
