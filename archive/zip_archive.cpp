#include "archive/zip_archive.h"

#include "archive/zip_files.h"

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
}  // namespace

std::shared_ptr<ZipArchive> ZipArchive::open(const std::string& name, int mode,
                                             std::optional<std::string>* existingComment) {
  zipcharpc comment = nullptr;
  std::shared_ptr<ZipArchive> archive(new ZipArchive());
  zlib_filefunc64_def functions = zipFileFunctions(&archive->writeFailure_);
  archive->zip_ = zipOpen2_64(name.c_str(), mode, &comment, &functions);
  if (!archive->zip_) return nullptr;
  if (existingComment && comment) *existingComment = std::string(comment);
  return archive;
}

ZipArchive::~ZipArchive() {
  if (zip_) zipClose(zip_, nullptr);
}

int ZipArchive::openEntry(const EntryHeader& h) {
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

int ZipArchive::write(const char* data, unsigned count) {
  return zipWriteInFileInZip(zip_, data, count);
}

int ZipArchive::closeEntry() {
  return zipCloseFileInZip(zip_);
}

int ZipArchive::closeRawEntry(std::uint64_t size, std::uint32_t crc32) {
  return zipCloseFileInZipRaw64(zip_, size, crc32);
}

int ZipArchive::close(const std::string* comment) {
  zipFile zip = zip_;
  zip_ = nullptr;
  return zipClose(zip, comment ? comment->c_str() : nullptr);
}

}  // namespace qb
