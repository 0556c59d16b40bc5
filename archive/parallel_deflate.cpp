#include "archive/parallel_deflate.h"

#include <algorithm>
#include <new>

namespace qb {

namespace {
// Small enough that a few blocks a worker stay little memory, large enough that the cuts cost
// little: each ends a deflate block early and adds an empty stored block.
constexpr std::size_t kBlockSize = kDeflateBlockSize;
static_assert(kBlockSize >= kDictionarySize);
}  // namespace

struct ParallelDeflate::Block {
  enum class State { filling, waiting, working, done };

  // The dictionary (the data before the block), then the block's data.
  std::unique_ptr<unsigned char[]> input =
      std::make_unique_for_overwrite<unsigned char[]>(kDictionarySize + kBlockSize);
  std::size_t dictionary = 0;
  std::size_t size = 0;
  bool last = false;
  State state = State::filling;
  DeflatedBlock output;
  std::uint32_t crc = 0;
  bool deflated = false;

  unsigned char* data() { return input.get() + dictionary; }

  // On whichever thread holds the block. Out of memory leaves it undeflated.
  void deflate(BlockDeflater& deflater) {
    crc = static_cast<std::uint32_t>(crc32(0L, data(), static_cast<uInt>(size)));
    try {
      deflated = deflater.deflateBlock({input.get(), dictionary}, {data(), size}, last, output);
    } catch (const std::bad_alloc&) {
      deflated = false;
    }
  }
};

ParallelDeflate::ParallelDeflate(int level, const BlockThreads& threads, DeflatedEntrySink& sink)
    : level_(level),
      sink_(sink),
      classifier_(level),
      own_(level),
      ready_(classifier_.ready() && own_.ready()) {
  if (!ready_) return;
  filling_ = blocks_.emplace_back(std::make_unique<Block>()).get();
  workers_.reserve(threads.count);
  for (unsigned i = 0; i < threads.count; ++i) {
    std::thread worker;
    if (!threads.start(worker, [this] { work(); })) break;
    workers_.push_back(std::move(worker));
  }
  // Two blocks a worker keeps every worker busy while the oldest waits to be written; the
  // calling thread needs two of its own when it deflates them all.
  maxBlocks_ = 2 * workers_.size() + 2;
}

ParallelDeflate::~ParallelDeflate() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  work_.notify_all();
  for (auto& worker : workers_) worker.join();
}

void ParallelDeflate::work() {
  BlockDeflater deflater(level_);
  if (!deflater.ready()) return;  // the calling thread deflates what this one would have
  std::unique_lock lock(mutex_);
  for (;;) {
    work_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
    if (stopping_) return;
    Block* block = waiting_.front();
    waiting_.pop_front();
    block->state = Block::State::working;
    lock.unlock();
    block->deflate(deflater);
    lock.lock();
    block->state = Block::State::done;
    done_.notify_all();
  }
}

void ParallelDeflate::add(const unsigned char* data, std::size_t count) {
  if (!ready_) return;
  size_ += count;
  classifier_.add(data, count);
  if (!begun_ && classifier_.verdict()) begin(*classifier_.verdict());
  while (count > 0) {
    if (filling_->size == kBlockSize) startNextBlock();
    const std::size_t n = std::min(count, kBlockSize - filling_->size);
    std::copy_n(data, n, filling_->data() + filling_->size);
    filling_->size += n;
    data += n;
    count -= n;
  }
}

void ParallelDeflate::finish() {
  if (!ready_) return;
  filling_->last = true;
  submit(filling_);
  filling_ = nullptr;
  if (!begun_) begin(classifier_.finish());
  while (!inOrder_.empty()) writeOldest();
  sink_.end(size_, crc_);
}

// Only once more data has come is a full block known not to be the last.
void ParallelDeflate::startNextBlock() {
  Block* next = freeBlock();
  next->dictionary = kDictionarySize;
  std::copy_n(filling_->data() + filling_->size - kDictionarySize, kDictionarySize,
              next->input.get());
  submit(filling_);
  filling_ = next;
}

ParallelDeflate::Block* ParallelDeflate::freeBlock() {
  if (free_.empty() && blocks_.size() < maxBlocks_)
    free_.push_back(blocks_.emplace_back(std::make_unique<Block>()).get());
  if (free_.empty()) writeOldest();
  Block* block = free_.back();
  free_.pop_back();
  block->dictionary = 0;
  block->size = 0;
  block->last = false;
  block->state = Block::State::filling;
  return block;
}

void ParallelDeflate::submit(Block* block) {
  inOrder_.push_back(block);
  {
    const std::lock_guard lock(mutex_);
    block->state = Block::State::waiting;
    waiting_.push_back(block);
  }
  work_.notify_one();
}

void ParallelDeflate::writeOldest() {
  Block* block = inOrder_.front();
  inOrder_.pop_front();
  std::unique_lock lock(mutex_);
  if (block->state == Block::State::waiting) {
    // No worker has taken it yet (none started, or none has woken up): deflate it here rather
    // than wait. Workers take blocks oldest first, so it heads the queue.
    waiting_.pop_front();
    block->state = Block::State::working;
    lock.unlock();
    block->deflate(own_);
  } else {
    done_.wait(lock, [block] { return block->state == Block::State::done; });
    lock.unlock();
  }
  // A worker that ran out of memory leaves its block to this thread. Should it fail here too, the
  // entry lacks the block and the read-back check of the archive rejects it.
  if (!block->deflated) block->deflate(own_);
  crc_ = static_cast<std::uint32_t>(
      crc32_combine(crc_, block->crc, static_cast<z_off_t>(block->size)));
  if (block->deflated) {
    const auto bytes = block->output.view();
    if (begun_)
      sink_.write(bytes);
    else
      early_.emplace_back(bytes.begin(), bytes.end());
  }
  free_.push_back(block);
}

// The verdict may take longer than the blocks before it; what waited for it is small, since a
// first deflate block holds at most 16383 symbols, whatever their data spans.
void ParallelDeflate::begin(bool text) {
  begun_ = true;
  sink_.begin(text);
  for (const auto& block : early_) sink_.write(block);
  early_ = {};
}

}  // namespace qb
