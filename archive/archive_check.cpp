#include "archive/archive_check.h"

#include <unzip.h>

#include <memory>
#include <vector>

namespace qb {

namespace {
struct UnzipCloser {
  void operator()(void* archive) const { unzClose(archive); }
};
using Unzip = std::unique_ptr<void, UnzipCloser>;

// Moves to the last entry of that name: an extended archive may hold older ones before it.
bool locateLast(unzFile archive, const std::string& entryName) {
  bool found = false;
  unz64_file_pos last{};
  std::vector<char> name(entryName.size() + 2);
  for (int err = unzGoToFirstFile(archive); err == UNZ_OK; err = unzGoToNextFile(archive)) {
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(archive, &info, name.data(), static_cast<uLong>(name.size()),
                                nullptr, 0, nullptr, 0) != UNZ_OK)
      return false;
    if (info.size_filename == entryName.size() && entryName.compare(name.data()) == 0)
      found = unzGetFilePos64(archive, &last) == UNZ_OK;
  }
  return found && unzGoToFilePos64(archive, &last) == UNZ_OK;
}

// Inflates the current entry to its end; the library checks the recorded CRC-32 at the end.
bool inflatesTo(unzFile archive, std::uint64_t size, std::uint32_t crc) {
  if (unzOpenCurrentFile(archive) != UNZ_OK) return false;
  std::vector<char> buffer(65536);
  std::uint64_t total = 0;
  uLong computed = crc32(0L, Z_NULL, 0);
  int got = 0;
  while ((got = unzReadCurrentFile(archive, buffer.data(), static_cast<unsigned>(buffer.size()))) >
         0) {
    total += static_cast<std::uint64_t>(got);
    computed =
        crc32(computed, reinterpret_cast<const Bytef*>(buffer.data()), static_cast<uInt>(got));
  }
  const bool closed = unzCloseCurrentFile(archive) == UNZ_OK;
  return got == 0 && closed && total == size && computed == crc;
}
}  // namespace

bool archiveHoldsIntact(const std::string& zipName, const std::string& entryName,
                        std::uint64_t size, std::uint32_t crc32) {
  const Unzip archive(unzOpen64(zipName.c_str()));
  if (!archive || !locateLast(archive.get(), entryName)) return false;
  unz_file_info64 info{};
  if (unzGetCurrentFileInfo64(archive.get(), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
    return false;
  return info.uncompressed_size == size && info.crc == crc32 &&
         inflatesTo(archive.get(), size, crc32);
}

}  // namespace qb
