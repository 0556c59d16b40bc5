#include "archive/block_deflater.h"

#include <algorithm>

namespace qb {

namespace {
// zlib's bound covers a block that ends the stream. A sync flush instead adds an empty stored
// block (at most 6 bytes).
constexpr std::size_t kFlushRoom = 64;

void reserve(DeflatedBlock& out, std::size_t capacity) {
  if (out.capacity >= capacity) return;
  auto bigger = std::make_unique_for_overwrite<unsigned char[]>(capacity);
  std::copy_n(out.bytes.get(), out.size, bigger.get());
  out.bytes = std::move(bigger);
  out.capacity = capacity;
}
}  // namespace

BlockDeflater::BlockDeflater(int level) {
  ready_ = deflateInit2(&stream_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
}

BlockDeflater::~BlockDeflater() {
  if (ready_) deflateEnd(&stream_);
}

bool BlockDeflater::deflateBlock(std::span<const unsigned char> dictionary,
                                 std::span<const unsigned char> data, bool last,
                                 DeflatedBlock& out) {
  if (!ready_ || deflateReset(&stream_) != Z_OK) return false;
  if (!dictionary.empty() && deflateSetDictionary(&stream_, dictionary.data(),
                                                  static_cast<uInt>(dictionary.size())) != Z_OK)
    return false;
  stream_.next_in = const_cast<Bytef*>(data.data());
  stream_.avail_in = static_cast<uInt>(data.size());
  // A sync flush ends the block's last deflate block and pads to a byte boundary with an empty
  // stored block; a full flush would write the same bytes and also forget the window, which the
  // next block does not use anyway. At level 0 zlib cuts its stored blocks to the room it is
  // given, so the room follows from the block alone, never from what a buffer held before: the
  // bytes must not depend on which worker deflated which blocks.
  std::size_t room = deflateBound(&stream_, static_cast<uLong>(data.size())) + kFlushRoom;
  out.size = 0;
  for (;;) {
    reserve(out, room);
    stream_.next_out = out.bytes.get() + out.size;
    stream_.avail_out = static_cast<uInt>(room - out.size);
    const int status = deflate(&stream_, last ? Z_FINISH : Z_SYNC_FLUSH);
    out.size = room - stream_.avail_out;
    if (status == Z_STREAM_END) return true;
    if (status != Z_OK && status != Z_BUF_ERROR) return false;
    if (!last && stream_.avail_in == 0 && stream_.avail_out > 0) return true;
    room *= 2;
  }
}

}  // namespace qb
