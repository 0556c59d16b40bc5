#include "archive/file_digest.h"

#include <zlib.h>

#include <vector>

#include "platform/files.h"

namespace qb {

std::optional<FileDigest> digestFile(const std::string& name) {
  constexpr std::size_t kBlock = 16384;
  const auto file = platform::InputFile::open(name);
  if (!file) return std::nullopt;
  std::vector<char> block(kBlock);
  FileDigest digest;
  uLong crc = crc32(0L, Z_NULL, 0);
  std::size_t got = 0;
  do {
    got = file->read(block.data(), kBlock);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(block.data()), static_cast<uInt>(got));
    digest.size += got;
  } while (got == kBlock);
  if (file->failed()) return std::nullopt;
  digest.crc32 = static_cast<std::uint32_t>(crc);
  return digest;
}

}  // namespace qb
