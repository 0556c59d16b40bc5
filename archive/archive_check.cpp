#include "archive/archive_check.h"

#include <unzip.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "archive/zip_files.h"
#include "platform/files.h"

namespace qb {

namespace {
struct UnzipCloser {
  void operator()(void* archive) const { unzClose(archive); }
};
using Unzip = std::unique_ptr<void, UnzipCloser>;

// The ZIP64 marker. Debian's minizip 1.1 does not look past it on 64-bit hosts, so it reports
// this size for every entry of 4 GiB or more; the inflated count decides then.
constexpr std::uint64_t kZip64Marker = 0xFFFFFFFFu;

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

// Inflates the current entry's deflate stream to its end, handing each piece to `matches` until
// it says no. The stream is read raw and inflated here, so the count does not depend on the size
// the library believes the entry has.
bool inflatesTo(unzFile archive, std::uint64_t size, std::uint32_t crc,
                const std::function<bool(const Bytef*, std::size_t)>& matches) {
  int method = 0, level = 0;
  if (unzOpenCurrentFile2(archive, &method, &level, 1) != UNZ_OK) return false;
  z_stream stream{};
  int status = inflateInit2(&stream, -MAX_WBITS);
  std::vector<Bytef> in(65536), out(65536);
  std::uint64_t total = 0;
  uLong computed = crc32(0L, Z_NULL, 0);
  bool same = true;
  while (status == Z_OK && same) {
    if (stream.avail_in == 0) {
      const int got = unzReadCurrentFile(archive, in.data(), static_cast<unsigned>(in.size()));
      if (got <= 0) break;  // the data ended before the stream did, or could not be read
      stream.next_in = in.data();
      stream.avail_in = static_cast<uInt>(got);
    }
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    status = inflate(&stream, Z_NO_FLUSH);
    const auto produced = static_cast<uInt>(out.size() - stream.avail_out);
    total += produced;
    computed = crc32(computed, out.data(), produced);
    same = !matches || matches(out.data(), produced);
  }
  inflateEnd(&stream);
  unzCloseCurrentFile(archive);
  return method == Z_DEFLATED && same && status == Z_STREAM_END && total == size && computed == crc;
}

// The archive's last entry of that name, when its directory record gives that size and CRC-32.
Unzip openRecorded(const std::string& zipName, const std::string& entryName, std::uint64_t size,
                   std::uint32_t crc32) {
  zlib_filefunc64_def functions = zipFileFunctions();
  Unzip archive(unzOpen2_64(zipName.c_str(), &functions));
  if (!archive || !locateLast(archive.get(), entryName)) return nullptr;
  unz_file_info64 info{};
  if (unzGetCurrentFileInfo64(archive.get(), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
    return nullptr;
  const bool sizeRecorded =
      info.uncompressed_size == size || info.uncompressed_size == kZip64Marker;
  return sizeRecorded && info.crc == crc32 ? std::move(archive) : nullptr;
}

// Up to count bytes, fewer only at the end of the file or on a read error.
std::size_t readFully(platform::InputFile& file, char* buffer, std::size_t count) {
  std::size_t done = 0;
  while (done < count)
    if (const std::size_t got = file.read(buffer + done, count - done))
      done += got;
    else
      break;
  return done;
}
}  // namespace

bool archiveHoldsIntact(const std::string& zipName, const std::string& entryName,
                        std::uint64_t size, std::uint32_t crc32) {
  const Unzip archive = openRecorded(zipName, entryName, size, crc32);
  return archive && inflatesTo(archive.get(), size, crc32, nullptr);
}

bool archiveHoldsFile(const std::string& zipName, const std::string& entryName,
                      const std::string& fileName, std::uint64_t size, std::uint32_t crc32) {
  const Unzip archive = openRecorded(zipName, entryName, size, crc32);
  const auto file = archive ? platform::InputFile::open(fileName) : nullptr;
  if (!file) return false;
  std::vector<char> expected(65536);
  const auto sameAsFile = [&](const Bytef* data, std::size_t count) {
    return readFully(*file, expected.data(), count) == count &&
           std::equal(data, data + count, reinterpret_cast<const Bytef*>(expected.data()));
  };
  char more = 0;
  return inflatesTo(archive.get(), size, crc32, sameAsFile) && file->read(&more, 1) == 0 &&
         !file->failed();
}

}  // namespace qb
