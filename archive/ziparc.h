#pragma once
// The archive builder: packs files into a zip archive, one deflated entry each, creating the
// archive or adding to an existing one. Two module settings shape every call: the read-buffer
// size and the archive comment.

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "archive/file_packing.h"
#include "platform/files.h"
#include "runtime/value.h"

namespace qb {

// 1: archive name (".zip" added when it has no extension); 2: file name or pattern, or a list of
// them; 3: level; 4: per-file callback (name, ordinal); 5: overwrite; 6: password; 7: keep the
// folder in stored names; 8: with drive (no effect: stored names never carry a drive); 9:
// per-chunk callback (bytes read so far, file size); 10: reserved; 11: exclusions, like 2.
// False only when the archive cannot be opened or created.
Value HB_ZIPFILE(std::span<const Value> params);

// Only the third argument counts: a positive size, capped at 32768, for the read buffer.
Value HB_SETBUFFER(std::span<const Value> params);

// The archive comment of later calls; nil clears it, other non-texts leave it.
Value HB_SETZIPCOMMENT(std::span<const Value> params);

// HB_ZIPFILE without this call's seventh argument; returns nil.
Value HB_ZIPFILEBYTDSPAN(std::span<const Value> params);

// HB_ZIPFILE with the same arguments; returns nil.
Value HB_ZIPFILEBYPKSPAN(std::span<const Value> params);

// One file packed into a new archive exactly as HB_ZIPFILE(zipName, fileName) packs it into a new
// one, with the module settings of the moment the archive is created. Its data may come from any
// input, a file still being written included, read on whichever one thread packs it: the entry's
// header is that of a file of the size read in the end, 4 GiB and more too.
class OneFileArchive {
 public:
  // Creates the archive under the name as given, or empties the file that has it; null when
  // that fails.
  static std::unique_ptr<OneFileArchive> create(const std::string& zipName,
                                                const std::string& fileName);
  ~OneFileArchive();
  OneFileArchive(const OneFileArchive&) = delete;
  OneFileArchive& operator=(const OneFileArchive&) = delete;

  // Packs what input gives, until a read gives nothing, as the archive's one entry, and closes
  // the archive; once. Nothing when a read failed or the archive could not be completed.
  std::optional<PackedFile> pack(platform::InputFile& input);
  // Why the archive could not be completed, when a write of it failed: the system's words.
  const std::string& writeFailure() const;

 private:
  OneFileArchive(std::shared_ptr<ZipArchive> archive, std::string fileName, std::size_t bufferSize,
                 std::optional<std::string> comment);
  std::shared_ptr<ZipArchive> archive_;
  std::string fileName_;
  std::size_t bufferSize_;
  std::optional<std::string> comment_;
};

}  // namespace qb
