#pragma once
// Reads an archive back to prove that an entry holds a file's content whole.

#include <cstdint>
#include <string>

namespace qb {

// True when the archive opens, its last entry named entryName is deflated and records the
// given size and CRC-32, and inflating it to its end yields exactly size bytes with that CRC-32.
bool archiveHoldsIntact(const std::string& zipName, const std::string& entryName,
                        std::uint64_t size, std::uint32_t crc32);

}  // namespace qb
