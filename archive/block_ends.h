#pragma once
// Where an entry's deflated blocks end in its data, kept for the check that reads it back: the
// end of every stride-th block and of the last one. When the list is full every other end goes
// and the stride doubles, so that it takes the same memory however long the entry is.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qb {

class BlockEnds {
 public:
  BlockEnds() : BlockEnds(1024) {}
  // capacity: the most ends kept, at least 2.
  explicit BlockEnds(std::size_t capacity) : capacity_(capacity) {}

  // The next block's deflated bytes end at `end` in the entry's data.
  void blockEnded(std::uint64_t end);

  std::uint64_t blocks() const { return blocks_; }
  // The blocks are checked in groups of this many, in order; the last group may be shorter.
  std::uint64_t stride() const { return stride_; }
  std::size_t groups() const { return static_cast<std::size_t>((blocks_ + stride_ - 1) / stride_); }
  // Where the deflated bytes of group i begin and end in the entry's data.
  std::uint64_t groupBegin(std::size_t i) const { return i == 0 ? 0 : ends_[i - 1]; }
  std::uint64_t groupEnd(std::size_t i) const { return i < ends_.size() ? ends_[i] : last_; }

 private:
  std::size_t capacity_;
  std::uint64_t blocks_ = 0;
  std::uint64_t stride_ = 1;
  std::uint64_t last_ = 0;
  std::vector<std::uint64_t> ends_;  // of blocks stride - 1, 2 * stride - 1, ...
};

}  // namespace qb
