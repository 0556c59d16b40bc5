#include "archive/text_classifier.h"

namespace qb {

namespace {
constexpr std::size_t kDiscardSize = 16384;
}

TextClassifier::TextClassifier(int level) {
  if (level == 0) {
    verdict_ = false;
    return;
  }
  open_ = deflateInit2(&stream_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
  if (open_) discard_ = std::make_unique_for_overwrite<unsigned char[]>(kDiscardSize);
}

TextClassifier::~TextClassifier() {
  if (open_) deflateEnd(&stream_);
}

void TextClassifier::add(const unsigned char* data, std::size_t count) {
  if (!open_) return;
  stream_.next_in = const_cast<Bytef*>(data);
  stream_.avail_in = static_cast<uInt>(count);
  run(Z_NO_FLUSH);
}

bool TextClassifier::finish() {
  if (open_) {
    stream_.avail_in = 0;
    run(Z_FINISH);
  }
  return verdict_.value_or(false);
}

// What deflate writes is only the price of its verdict.
void TextClassifier::run(int flush) {
  while (!verdict_) {
    stream_.next_out = discard_.get();
    stream_.avail_out = static_cast<uInt>(kDiscardSize);
    const int status = deflate(&stream_, flush);
    if (stream_.data_type != Z_UNKNOWN)
      verdict_ = stream_.data_type == Z_TEXT;
    else if (status != Z_OK || (flush == Z_NO_FLUSH && stream_.avail_in == 0))
      break;
  }
  if (verdict_ || flush == Z_FINISH) {
    deflateEnd(&stream_);
    open_ = false;
    discard_.reset();
  }
}

}  // namespace qb
