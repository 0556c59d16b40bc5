#include "archive/zip_archive.h"

namespace qb {

namespace {
// Version made by: MS-DOS host, format 2.0.
constexpr uLong kMadeBy = 20;
}  // namespace

std::shared_ptr<ZipArchive> ZipArchive::open(const std::string& name, int mode,
                                             std::optional<std::string>* existingComment) {
  zipcharpc comment = nullptr;
  zipFile zip = zipOpen2(name.c_str(), mode, &comment, nullptr);
  if (!zip) return nullptr;
  if (existingComment && comment) *existingComment = std::string(comment);
  return std::shared_ptr<ZipArchive>(new ZipArchive(zip));
}

ZipArchive::~ZipArchive() {
  if (zip_) zipClose(zip_, nullptr);
}

int ZipArchive::openEntry(const EntryHeader& h) {
  // The library would write the local header before the compressor refuses the level, leaving a
  // header no directory record points to (and its record buffer leaked); refuse it beforehand,
  // after closing an open entry as the library does first.
  if (h.method == Z_DEFLATED && (h.level < Z_DEFAULT_COMPRESSION || h.level > Z_BEST_COMPRESSION)) {
    const int closed = zipCloseFileInZip(zip_);
    return closed == ZIP_OK || closed == ZIP_PARAMERROR ? Z_STREAM_ERROR : closed;
  }
  const char* password = h.password ? h.password->c_str() : nullptr;
  const char* comment = h.comment ? h.comment->c_str() : nullptr;
  return zipOpenNewFileInZip4_64(zip_, h.name.c_str(), &h.info, nullptr, 0, nullptr, 0, comment,
                                 h.method, h.level, 0, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, password,
                                 h.crcForCrypting, kMadeBy, 0, h.zip64 ? 1 : 0);
}

int ZipArchive::write(const char* data, unsigned count) {
  return zipWriteInFileInZip(zip_, data, count);
}

int ZipArchive::closeEntry() {
  return zipCloseFileInZip(zip_);
}

int ZipArchive::close(const std::string* comment) {
  zipFile zip = zip_;
  zip_ = nullptr;
  return zipClose(zip, comment ? comment->c_str() : nullptr);
}

}  // namespace qb
