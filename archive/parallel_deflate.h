#pragma once
// One entry's data deflated block by block on worker threads into one raw deflate stream. The
// calling thread hands in the data as it reads it and receives the deflated bytes in order; they
// depend on the data and the level alone, never on how many workers there were or which of them
// deflated what. Memory is a few blocks per worker, whatever the entry's size.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "archive/block_deflater.h"
#include "archive/block_threads.h"
#include "archive/text_classifier.h"

namespace qb {

// The data is cut into blocks of this size, the last one shorter (or empty, for no data).
constexpr std::size_t kDeflateBlockSize = 131072;

// Where the deflated entry goes: begin once, write any number of times, end once.
class DeflatedEntrySink {
 public:
  virtual ~DeflatedEntrySink() = default;
  // text: zlib's classification of the data, as the zip library records it for the entry.
  virtual void begin(bool text) = 0;
  // One block's deflated bytes, the blocks in order. Each but the last ends on a byte boundary
  // where a deflate block ends, so that it can be inflated on its own given the data before it.
  virtual void write(std::span<const unsigned char> bytes) = 0;
  virtual void end(std::uint64_t size, std::uint32_t crc32) = 0;
};

class ParallelDeflate {
 public:
  // Starts up to threads.count workers at the entry's level (0 to 9, or -1 for zlib's default).
  ParallelDeflate(int level, const BlockThreads& threads, DeflatedEntrySink& sink);
  // Stops the workers. An entry not finished is not ended.
  ~ParallelDeflate();
  ParallelDeflate(const ParallelDeflate&) = delete;
  ParallelDeflate& operator=(const ParallelDeflate&) = delete;

  // False when zlib could not set up the calling thread's streams: then nothing is deflated and
  // the sink is never called.
  bool ready() const { return ready_; }
  std::size_t workers() const { return workers_.size(); }

  void add(const unsigned char* data, std::size_t count);
  // Deflates what is left, ends the stream and the entry.
  void finish();

 private:
  struct Block;

  void work();
  void startNextBlock();
  Block* freeBlock();
  void submit(Block* block);
  void writeOldest();
  void begin(bool text);

  const int level_;
  DeflatedEntrySink& sink_;
  TextClassifier classifier_;
  BlockDeflater own_;  // for blocks no worker took
  bool ready_;

  std::vector<std::unique_ptr<Block>> blocks_;
  std::size_t maxBlocks_ = 0;
  std::vector<Block*> free_;
  std::deque<Block*> inOrder_;  // handed over, not yet written; the oldest first
  Block* filling_ = nullptr;
  bool begun_ = false;
  std::vector<std::vector<unsigned char>> early_;  // blocks deflated before the verdict on text
  std::uint64_t size_ = 0;
  std::uint32_t crc_ = 0;

  std::mutex mutex_;
  std::condition_variable work_;  // a block waits, or the workers are to stop
  std::condition_variable done_;  // a worker has deflated a block
  std::deque<Block*> waiting_;    // handed over, not yet taken by a worker
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace qb
