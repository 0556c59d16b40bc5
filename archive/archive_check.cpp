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

// Inflates the current entry's deflate stream to its end, which must give the file's bytes, size
// bytes with that CRC-32. The stream is read raw and inflated here, so the count does not depend
// on the size the library believes the entry has.
bool inflatesTo(unzFile archive, platform::InputFile& file, std::uint64_t size, std::uint32_t crc) {
  int method = 0, level = 0;
  if (unzOpenCurrentFile2(archive, &method, &level, 1) != UNZ_OK) return false;
  z_stream stream{};
  int status = inflateInit2(&stream, -MAX_WBITS);
  std::vector<Bytef> in(65536), out(65536), expected(out.size());
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
    same = file.readFully(reinterpret_cast<char*>(expected.data()), produced) == produced &&
           std::equal(out.begin(), out.begin() + produced, expected.begin());
  }
  inflateEnd(&stream);
  unzCloseCurrentFile(archive);
  return method == Z_DEFLATED && status == Z_STREAM_END && same && total == size && computed == crc;
}

// The archive at its last entry of that name, and that entry's directory record.
Unzip openLast(const std::string& zipName, const std::string& entryName, unz_file_info64& info) {
  zlib_filefunc64_def functions = minizipIo();
  Unzip archive(unzOpen2_64(zipName.c_str(), &functions));
  if (!archive || !locateLast(archive.get(), entryName) ||
      unzGetCurrentFileInfo64(archive.get(), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
    return nullptr;
  return archive;
}

bool sizeRecorded(const unz_file_info64& info, std::uint64_t size) {
  return info.uncompressed_size == size || info.uncompressed_size == kZip64Marker;
}

// The archive's last entry of that name, when its directory record gives that size and CRC-32.
Unzip openRecorded(const std::string& zipName, const std::string& entryName, std::uint64_t size,
                   std::uint32_t crc32) {
  unz_file_info64 info{};
  Unzip archive = openLast(zipName, entryName, info);
  return archive && sizeRecorded(info, size) && info.crc == crc32 ? std::move(archive) : nullptr;
}

// Where a deflated entry's data lies in the archive file, once its directory record and its
// local header agree with each other (the library compares them when it opens the entry) and
// with the size and CRC-32.
struct EntryData {
  std::uint64_t offset = 0;
  std::uint64_t compressedSize = 0;
};

std::optional<EntryData> locateData(const std::string& zipName, const std::string& entryName,
                                    std::uint64_t size, std::uint32_t crc32) {
  const Unzip archive = openRecorded(zipName, entryName, size, crc32);
  unz_file_info64 info{};
  int method = 0, level = 0;
  if (!archive ||
      unzGetCurrentFileInfo64(archive.get(), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
      unzOpenCurrentFile2(archive.get(), &method, &level, 1) != UNZ_OK)
    return std::nullopt;
  const EntryData data{static_cast<std::uint64_t>(unzGetCurrentFileZStreamPos64(archive.get())),
                       info.compressed_size};
  unzCloseCurrentFile(archive.get());
  if (method != Z_DEFLATED) return std::nullopt;
  return data;
}

// One thread's share of the check. Each group of blocks is inflated from a fresh stream primed
// with the file's 32 KiB before it, and must give exactly the file's bytes and end where a
// deflate block ends, on a byte boundary. Inflating the whole entry in one stream reaches each
// group's start in that same state, its window holding those same bytes, the groups before
// having given the file's: so it gives the file's bytes too.
class BlockCheck {
 public:
  BlockCheck(const std::string& zipName, const std::string& fileName, std::uint64_t dataOffset)
      : zip_(platform::InputFile::open(zipName)),
        file_(platform::InputFile::open(fileName)),
        dataOffset_(dataOffset),
        ready_(zip_ && file_ && inflateInit2(&stream_, -MAX_WBITS) == Z_OK) {}
  ~BlockCheck() {
    if (ready_) inflateEnd(&stream_);
  }
  BlockCheck(const BlockCheck&) = delete;
  BlockCheck& operator=(const BlockCheck&) = delete;

  // The deflated bytes [from, to) of the entry's data against the file's bytes [at, at + length);
  // the last group ends the stream. crc: the CRC-32 of those bytes of the file.
  bool check(std::uint64_t from, std::uint64_t to, std::uint64_t at, std::uint64_t length,
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
      // Z_BLOCK stops at each block's end, where data_type tells how it ended; the last group
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
  unz_file_info64 info{};
  const Unzip archive = file ? openLast(zipName, entryName, info) : nullptr;
  return archive && sizeRecorded(info, file->size()) &&
         inflatesTo(archive.get(), *file, file->size(), static_cast<std::uint32_t>(info.crc));
}

bool archiveHoldsFile(const std::string& zipName, const std::string& entryName,
                      const std::string& fileName, std::uint64_t size, std::uint32_t crc32,
                      const BlockEnds& blockEnds) {
  const std::uint64_t blocks =
      std::max<std::uint64_t>(1, (size + kDeflateBlockSize - 1) / kDeflateBlockSize);
  const std::size_t groups = blockEnds.groups();
  const auto data = locateData(zipName, entryName, size, crc32);
  const auto file = data ? platform::InputFile::open(fileName) : nullptr;
  if (!file || file->size() != size || blockEnds.blocks() != blocks ||
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
    BlockCheck check(zipName, fileName, data->offset);
    for (std::size_t i = next++; i < groups && holds; i = next++) {
      if (!check.check(blockEnds.groupBegin(i), blockEnds.groupEnd(i), std::uint64_t{i} * groupSize,
                       groupLength(i), i + 1 == groups, crcs[i]))
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
