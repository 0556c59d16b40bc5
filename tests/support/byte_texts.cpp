#include "tests/support/byte_texts.h"

#include <random>

namespace qb::test {

std::string randomBytes(unsigned seed, std::size_t count) {
  std::mt19937 random(seed);
  std::string bytes;
  for (std::size_t i = 0; i < count; ++i) bytes += static_cast<char>(random() & 0xff);
  return bytes;
}

std::string replacedPart(const std::string& before, const std::string& after) {
  std::size_t head = 0;
  while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
  std::size_t tail = 0;
  while (tail < before.size() - head && tail < after.size() - head &&
         before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
    ++tail;
  }
  return before.substr(head, before.size() - head - tail);
}

}  // namespace qb::test
