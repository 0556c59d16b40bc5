#include "archive/block_ends.h"

namespace qb {

void BlockEnds::blockEnded(std::uint64_t end) {
  ++blocks_;
  last_ = end;
  if (blocks_ % stride_ != 0) return;
  ends_.push_back(end);
  if (ends_.size() < capacity_) return;
  // The ends of blocks 2 * stride - 1, 4 * stride - 1, ... stay.
  std::size_t kept = 0;
  for (std::size_t i = 1; i < ends_.size(); i += 2) ends_[kept++] = ends_[i];
  ends_.resize(kept);
  stride_ *= 2;
}

}  // namespace qb
