#include "archive/archive_check.h"

#include <unzip.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "archive/block_deflater.h"
#include "archive/block_threads.h"
#include "archive/minizip_io.h"
#include "archive/parallel_deflate.h"
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

bool sizeRecorded(std::uint64_t recorded, std::uint64_t size) {
  return recorded == size || recorded == kZip64Marker;
}

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

// The archive's last entry of a name, deflated, once its directory record and its local header
// agree with each other (the library compares them when it opens the entry): where its data lies
// in the archive file, and what the directory records of it.
struct EntryData {
  std::uint64_t offset = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t size = 0;
  std::uint32_t crc32 = 0;
};

std::optional<EntryData> locateData(const std::string& zipName, const std::string& entryName) {
  zlib_filefunc64_def functions = minizipIo();
  const Unzip archive(unzOpen2_64(zipName.c_str(), &functions));
  unz_file_info64 info{};
  int method = 0, level = 0;
  if (!archive || !locateLast(archive.get(), entryName) ||
      unzGetCurrentFileInfo64(archive.get(), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
      unzOpenCurrentFile2(archive.get(), &method, &level, 1) != UNZ_OK)
    return std::nullopt;
  const EntryData data{static_cast<std::uint64_t>(unzGetCurrentFileZStreamPos64(archive.get())),
                       info.compressed_size, info.uncompressed_size,
                       static_cast<std::uint32_t>(info.crc)};
  unzCloseCurrentFile(archive.get());
  if (method != Z_DEFLATED) return std::nullopt;
  return data;
}

// Inflates deflated bytes of an entry's data and compares what they give with the file's bytes,
// on one thread. A stretch that does not begin the data is inflated from a fresh stream primed
// with the file's 32 KiB before it, and must end where a deflate block ends, on a byte boundary:
// inflating the whole data in one stream reaches each stretch's start in that same state, its
// window holding those same bytes, the stretches before having given the file's; so it gives the
// file's bytes too.
class Inflation {
 public:
  Inflation(const std::string& zipName, const std::string& fileName, std::uint64_t dataOffset)
      : zip_(platform::InputFile::open(zipName)),
        file_(platform::InputFile::open(fileName)),
        dataOffset_(dataOffset),
        ready_(zip_ && file_ && inflateInit2(&stream_, -MAX_WBITS) == Z_OK) {}
  ~Inflation() {
    if (ready_) inflateEnd(&stream_);
  }
  Inflation(const Inflation&) = delete;
  Inflation& operator=(const Inflation&) = delete;

  // The deflated bytes [from, to) of the entry's data against the file's bytes [at, at + length);
  // the last stretch ends the stream. crc: the CRC-32 of those bytes of the file.
  bool gives(std::uint64_t from, std::uint64_t to, std::uint64_t at, std::uint64_t length,
             bool last, std::uint32_t& crc) {
    const std::size_t dictionary = at == 0 ? 0 : kDictionarySize;
    if (!ready_ || to < from || at < dictionary || !zip_->seek(dataOffset_ + from) ||
        !file_->seek(at - dictionary) || inflateReset(&stream_) != Z_OK ||
        file_->readFully(reinterpret_cast<char*>(expected_.data()), dictionary) != dictionary ||
        (dictionary &&
         inflateSetDictionary(&stream_, expected_.data(), static_cast<uInt>(dictionary)) != Z_OK))
      return false;
    std::uint64_t deflatedLeft = to - from;
    std::uint64_t left = length;
    uLong sum = crc32(0L, Z_NULL, 0);
    stream_.avail_in = 0;
    while (true) {
      if (stream_.avail_in == 0 && deflatedLeft > 0) {
        const auto n =
            static_cast<std::size_t>(std::min<std::uint64_t>(deflatedLeft, deflated_.size()));
        if (zip_->readFully(reinterpret_cast<char*>(deflated_.data()), n) != n) return false;
        stream_.next_in = deflated_.data();
        stream_.avail_in = static_cast<uInt>(n);
        deflatedLeft -= n;
      }
      stream_.next_out = inflated_.data();
      stream_.avail_out = static_cast<uInt>(inflated_.size());
      // Z_BLOCK stops at each block's end, where data_type tells how it ended; the last stretch
      // inflates on to the end of the stream.
      const int status = inflate(&stream_, last ? Z_NO_FLUSH : Z_BLOCK);
      const std::size_t made = inflated_.size() - stream_.avail_out;
      if (made > left ||
          file_->readFully(reinterpret_cast<char*>(expected_.data()), made) != made ||
          !std::equal(inflated_.data(), inflated_.data() + made, expected_.data()))
        return false;
      sum = crc32(sum, expected_.data(), static_cast<uInt>(made));
      left -= made;
      const bool used = stream_.avail_in == 0 && deflatedLeft == 0;
      if (status == Z_STREAM_END) {
        crc = static_cast<std::uint32_t>(sum);
        return last && used && left == 0;
      }
      if (status != Z_OK && status != Z_BUF_ERROR) return false;
      if (used && stream_.avail_out > 0) {
        // Not the last: at a block's end, no bit left over, no last block seen.
        crc = static_cast<std::uint32_t>(sum);
        return !last && left == 0 && stream_.data_type == 128;
      }
    }
  }

 private:
  std::unique_ptr<platform::InputFile> zip_;
  std::unique_ptr<platform::InputFile> file_;
  std::uint64_t dataOffset_;
  z_stream stream_{};
  bool ready_;
  std::vector<Bytef> deflated_ = std::vector<Bytef>(65536);
  std::vector<Bytef> inflated_ = std::vector<Bytef>(65536);
  std::vector<Bytef> expected_ = std::vector<Bytef>(std::max(kDictionarySize, inflated_.size()));
};
}  // namespace

bool opensAsArchive(const std::string& zipName) {
  zlib_filefunc64_def functions = minizipIo();
  return Unzip(unzOpen2_64(zipName.c_str(), &functions)) != nullptr;
}

bool archiveHoldsWholeFile(const std::string& zipName, const std::string& entryName,
                           const std::string& fileName) {
  const auto file = platform::InputFile::open(fileName);
  const auto data = file ? locateData(zipName, entryName) : std::nullopt;
  if (!data || !sizeRecorded(data->size, file->size())) return false;
  std::uint32_t crc = 0;
  return Inflation(zipName, fileName, data->offset)
             .gives(0, data->compressedSize, 0, file->size(), true, crc) &&
         crc == data->crc32;
}

bool archiveHoldsFile(const std::string& zipName, const std::string& entryName,
                      const std::string& fileName, std::uint64_t size, std::uint32_t crc32,
                      const BlockEnds& blockEnds) {
  const std::uint64_t blocks =
      std::max<std::uint64_t>(1, (size + kDeflateBlockSize - 1) / kDeflateBlockSize);
  const std::size_t groups = blockEnds.groups();
  const auto data = locateData(zipName, entryName);
  const auto file = data ? platform::InputFile::open(fileName) : nullptr;
  if (!file || !sizeRecorded(data->size, size) || data->crc32 != crc32 || file->size() != size ||
      blockEnds.blocks() != blocks ||
      (data->compressedSize != kZip64Marker &&
       data->compressedSize != blockEnds.groupEnd(groups - 1)))
    return false;

  const std::uint64_t groupSize = blockEnds.stride() * kDeflateBlockSize;
  const auto groupLength = [&](std::size_t i) {
    return std::min<std::uint64_t>(groupSize, size - std::uint64_t{i} * groupSize);
  };
  std::vector<std::uint32_t> crcs(groups);
  std::atomic<std::size_t> next{0};
  std::atomic<bool> holds{true};
  const auto work = [&] {
    Inflation inflation(zipName, fileName, data->offset);
    for (std::size_t i = next++; i < groups && holds; i = next++) {
      if (!inflation.gives(blockEnds.groupBegin(i), blockEnds.groupEnd(i),
                           std::uint64_t{i} * groupSize, groupLength(i), i + 1 == groups, crcs[i]))
        holds = false;
    }
  };
  const BlockThreads& threads = blockThreads();
  std::vector<std::thread> helpers(threads.count);
  for (auto& helper : helpers)
    if (!threads.start(helper, work)) break;
  work();
  for (auto& helper : helpers)
    if (helper.joinable()) helper.join();

  uLong whole = 0;  // the CRC-32 of nothing
  for (std::size_t i = 0; i < crcs.size(); ++i)
    whole = crc32_combine(whole, crcs[i], static_cast<z_off_t>(groupLength(i)));
  return holds && whole == crc32;
}

}  // namespace qb
