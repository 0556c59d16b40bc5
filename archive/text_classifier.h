#pragma once
// Whether an entry's data counts as text, decided as the zip library decides it for an entry it
// deflates in one stream: zlib classifies the first deflate block it codes, from the bytes that
// block holds as literals. That block may reach far past the first of our blocks (its symbols, not
// its bytes, are counted), so the verdict comes from a stream of its own, fed from the start.

#include <zlib.h>

#include <cstddef>
#include <memory>
#include <optional>

namespace qb {

class TextClassifier {
 public:
  // At the entry's level; at level 0 zlib codes no block, so the data never counts as text.
  explicit TextClassifier(int level);
  ~TextClassifier();
  TextClassifier(const TextClassifier&) = delete;
  TextClassifier& operator=(const TextClassifier&) = delete;

  // False when zlib could not set up the stream.
  bool ready() const { return open_ || verdict_.has_value(); }

  // The next bytes of the data; ignored once the verdict is in.
  void add(const unsigned char* data, std::size_t count);
  // The verdict once the first block has been coded; nothing until then.
  std::optional<bool> verdict() const { return verdict_; }
  // The verdict, ending the stream when the data ended before the first block did.
  bool finish();

 private:
  void run(int flush);

  z_stream stream_{};
  bool open_ = false;
  std::optional<bool> verdict_;
  std::unique_ptr<unsigned char[]> discard_;
};

}  // namespace qb
