#include "archive/minizip_archive.h"

#include <algorithm>
#include <vector>

#include "archive/minizip_io.h"
#include "platform/files.h"

namespace qb {

namespace {
// Version made by: MS-DOS host, format 2.0.
constexpr uLong kMadeBy = 20;

zip_fileinfo entryInfo(const EntryHeader& h) {
  zip_fileinfo info{};
  // The field type differs between minizip builds. The record takes the month less one, so no
  // date gives the library -1, which it turns back into 0 when it packs the DOS date.
  using Field = decltype(info.tmz_date.tm_year);
  info.tmz_date.tm_year = static_cast<Field>(h.year);
  info.tmz_date.tm_mon = static_cast<Field>(h.month - 1);
  info.tmz_date.tm_mday = static_cast<Field>(h.day);
  info.tmz_date.tm_hour = static_cast<Field>(h.time.hour);
  info.tmz_date.tm_min = static_cast<Field>(h.time.minute);
  info.tmz_date.tm_sec = static_cast<Field>(h.time.second);
  info.internal_fa = h.internalAttributes;
  info.external_fa = h.externalAttributes;
  return info;
}

// Where an archive's first entry's data begins: after its local header, 30 bytes, then the name
// and the extra field, whose lengths the header gives at 26 and 28.
std::optional<std::uint64_t> firstDataOffset(platform::InputFile& file) {
  unsigned char head[30];
  if (!file.seek(0) || file.readFully(reinterpret_cast<char*>(head), sizeof head) != sizeof head)
    return std::nullopt;
  return 30u + (head[26] | head[27] << 8) + (head[28] | head[29] << 8);
}
}  // namespace

std::shared_ptr<MinizipArchive> MinizipArchive::open(const std::string& name, int mode,
                                                     std::optional<std::string>* existingComment,
                                                     std::string* why) {
  zipcharpc comment = nullptr;
  std::shared_ptr<MinizipArchive> archive(new MinizipArchive(name));
  zlib_filefunc64_def functions = minizipIo(&archive->writeFailure_);
  archive->zip_ = zipOpen2_64(name.c_str(), mode, &comment, &functions);
  if (!archive->zip_) {
    if (why) *why = archive->writeFailure_;
    return nullptr;
  }
  if (existingComment && comment) *existingComment = std::string(comment);
  return archive;
}

MinizipArchive::~MinizipArchive() {
  if (zip_) zipClose(zip_, nullptr);
}

int MinizipArchive::openEntry(const EntryHeader& h) {
  // The library would write the local header before the compressor refuses the level, leaving a
  // header no directory record points to (and its record buffer leaked); refuse it beforehand,
  // after closing an open entry as the library does first.
  if (h.method == Z_DEFLATED && !isDeflateLevel(h.level)) {
    const int closed = zipCloseFileInZip(zip_);
    return closed == ZIP_OK || closed == ZIP_PARAMERROR ? Z_STREAM_ERROR : closed;
  }
  const char* password = h.password ? h.password->c_str() : nullptr;
  const char* comment = h.comment ? h.comment->c_str() : nullptr;
  const zip_fileinfo info = entryInfo(h);
  return zipOpenNewFileInZip4_64(zip_, h.name.c_str(), &info, nullptr, 0, nullptr, 0, comment,
                                 h.method, h.level, h.raw ? 1 : 0, -MAX_WBITS, 8,
                                 Z_DEFAULT_STRATEGY, password, h.crcForCrypting, kMadeBy, 0,
                                 h.zip64 ? 1 : 0);
}

int MinizipArchive::write(const char* data, unsigned count) {
  return zipWriteInFileInZip(zip_, data, count);
}

int MinizipArchive::closeEntry() {
  return zipCloseFileInZip(zip_);
}

int MinizipArchive::closeRawEntry(std::uint64_t size, std::uint32_t crc32) {
  return zipCloseFileInZipRaw64(zip_, size, crc32);
}

int MinizipArchive::reopenWithZip64(const EntryHeader& header, std::uint64_t written) {
  // Ended, the file holds every byte written so far, then a directory and an end record longer
  // than the 20 bytes the ZIP64 header adds: what the new archive writes ends past them all.
  closeRawEntry(0, 0);
  if (const int closed = close(nullptr); closed != ZIP_OK) return closed;
  const auto old = platform::InputFile::open(name_);
  const auto from = old ? firstDataOffset(*old) : std::nullopt;
  if (!from || !old->seek(*from)) return ZIP_ERRNO;
  // The new header is longer, and what the library writes may run ahead of what it was given by
  // that much: each chunk is read before the chunk before it is handed on, the first one before
  // the header overwrites its start.
  constexpr std::size_t kChunk = 65536;
  std::vector<char> chunk(kChunk), next(kChunk);
  const auto readNext = [&](std::vector<char>& into) {
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(written, kChunk));
    const std::size_t got = old->readFully(into.data(), count);
    written -= got;
    return got;
  };
  std::size_t got = readNext(chunk);
  zlib_filefunc64_def functions = minizipIo(&writeFailure_, true);
  zip_ = zipOpen2_64(name_.c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
  if (!zip_) return ZIP_ERRNO;
  int result = openEntry(header);
  while (result == ZIP_OK && got > 0) {
    const std::size_t more = readNext(next);
    result = write(chunk.data(), static_cast<unsigned>(got));
    chunk.swap(next);
    got = more;
  }
  return result == ZIP_OK && written > 0 ? ZIP_ERRNO : result;
}

int MinizipArchive::close(const std::string* comment) {
  zipFile zip = zip_;
  zip_ = nullptr;
  return zipClose(zip, comment ? comment->c_str() : nullptr);
}

}  // namespace qb
