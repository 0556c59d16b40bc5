#pragma once
// One open zip archive over minizip: the collectable an archive handle refers to. It is closed
// by close() or, still open, when the last reference goes away.

#include <zip.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "archive/time_text.h"
#include "runtime/value.h"

namespace qb {

// What an entry's headers are made of. The library packs date and time into the DOS date and
// time; no date (all zero) gives 0 and 0.
struct EntryHeader {
  std::string name;
  int year = 0;
  int month = 0;  // 1 to 12
  int day = 0;
  TimeOfDay time;
  std::uint32_t internalAttributes = 0;
  std::uint32_t externalAttributes = 0;
  int method = Z_DEFLATED;
  int level = Z_DEFAULT_COMPRESSION;
  std::optional<std::string> password;
  std::uint32_t crcForCrypting = 0;
  std::optional<std::string> comment;
  // Room in the local header for sizes of 4 GiB and more; only for entries that need it.
  bool zip64 = false;
  // The data written is deflated already: one raw deflate stream, ended by closeRawEntry. The
  // library then sets no text flag of its own; internalAttributes says it.
  bool raw = false;
};

// Levels the compressor takes: 0 to 9, or -1 for its default.
inline bool isDeflateLevel(int level) {
  return level >= Z_DEFAULT_COMPRESSION && level <= Z_BEST_COMPRESSION;
}

// Entries of 4 GiB and more need ZIP64 sizes in their local header, which only an entry opened
// for them has room for. Deflate may grow data slightly and encryption adds 12 bytes, so files
// just under the limit get the room too.
inline bool needsZip64(std::uint64_t size) {
  return size + size / 2048 + 64 >= 0xFFFFFFFFu;
}

class MinizipArchive : public Collectable {
 public:
  // Mode 0 creates (truncating), 1 writes a new archive after the file's content, 2 adds to an
  // existing archive, whose comment then lands in existingComment. Null when that fails; `why`,
  // where given, then holds the system's words when the file itself could not be opened.
  static std::shared_ptr<MinizipArchive> open(const std::string& name, int mode,
                                              std::optional<std::string>* existingComment = nullptr,
                                              std::string* why = nullptr);
  ~MinizipArchive() override;
  MinizipArchive(const MinizipArchive&) = delete;
  MinizipArchive& operator=(const MinizipArchive&) = delete;

  bool isOpen() const { return zip_ != nullptr; }

  // The library's result codes. Opening an entry closes one still open.
  int openEntry(const EntryHeader& header);
  int write(const char* data, unsigned count);
  int closeEntry();
  // Ends an entry opened raw, with the size and CRC-32 of the data before it was deflated.
  int closeRawEntry(std::uint64_t size, std::uint32_t crc32);
  // Gives the archive's one entry, open raw with `written` deflated bytes in the file, the header
  // of an entry opened for ZIP64 sizes (header.zip64) as though it had been opened so: the
  // archive is ended as it stands, then written anew over the same file, the new header first
  // and those bytes copied in behind it, moved once. For an entry whose data outgrew the header
  // it was opened with. The library's result code; the entry stays open, raw.
  int reopenWithZip64(const EntryHeader& header, std::uint64_t written);
  // Writes the directory and ends the archive; the handle is empty afterwards even on failure.
  int close(const std::string* comment);

  // The system's words for the first write, seek or close of the file that failed; empty while
  // none has. The library's codes cannot say why.
  const std::string& writeFailure() const { return writeFailure_; }

 private:
  explicit MinizipArchive(std::string name) : name_(std::move(name)) {}
  std::string name_;
  zipFile zip_ = nullptr;
  std::string writeFailure_;  // the library's file functions note it here
};

}  // namespace qb
