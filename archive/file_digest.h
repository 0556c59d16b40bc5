#pragma once
// Size and CRC-32 of a file's whole content, read once in 16384-byte blocks.

#include <cstdint>
#include <optional>
#include <string>

namespace qb {

struct FileDigest {
  std::uint64_t size = 0;
  std::uint32_t crc32 = 0;
};

// Nothing when the file cannot be opened or a read fails. The file stays readable and writable
// by others while it is read.
std::optional<FileDigest> digestFile(const std::string& name);

}  // namespace qb
