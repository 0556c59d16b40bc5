#pragma once
// Byte texts the tests make and compare: noise to feed a parser, and the part a rewrite changed.

#include <cstddef>
#include <string>

namespace qb::test {

// `count` bytes of every value, the same for the same seed.
std::string randomBytes(unsigned seed, std::size_t count);

// What of `before` is gone from `after`: the bytes between the longest start and the longest
// end the two share.
std::string replacedPart(const std::string& before, const std::string& after);

}  // namespace qb::test
