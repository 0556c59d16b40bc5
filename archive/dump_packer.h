#pragma once
// The backup run's packing of its dump: the dump file is packed into a new archive while the
// client still writes it, on one follower thread that reads what has arrived and hands it to the
// archiver's workers. The archive is byte for byte the one HB_ZIPFILE(zipName, dumpName) makes
// of the finished file in a new archive, with the module settings of the moment packing starts,
// however the client's writes fell in time: its entry's header is that of a file of the size read
// in the end, 4 GiB and more too.

#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "archive/entry_packing.h"
#include "archive/file_digest.h"

namespace qb {

// How much of the entry's end packing keeps: room for the dump's last line.
inline constexpr std::size_t kKeptTail = 4096;

// What packing the dump came to.
struct PackedDump {
  // The size and CRC-32 of everything read, when the archive holds exactly the dump.
  std::optional<FileDigest> digest;
  // When the archive could not be made or a write of it failed, the system's words for the first
  // call that did.
  std::string writeFailure;
  // The last bytes of what was read into the entry, kKeptTail at most: the dump's end as the
  // archive holds it, whatever the file holds by now.
  std::string tail;
};

class DumpPacker {
 public:
  // Starts following dumpName (which must exist) into a new archive zipName, created or emptied,
  // its one entry named after the dump. Null when the archive cannot be created, the dump not
  // opened or no thread started.
  static std::unique_ptr<DumpPacker> start(const std::string& zipName, const std::string& dumpName);
  // Abandons a packing not finished: the follower stops reading at once and closes the archive,
  // which then holds part of the dump and is the caller's to delete.
  ~DumpPacker();
  DumpPacker(const DumpPacker&) = delete;
  DumpPacker& operator=(const DumpPacker&) = delete;

  // The client has ended: reads the rest, finishes the entry and closes the archive, then reads
  // the archive back and compares it byte for byte with the dump as it stands; once. No digest
  // when a read failed, the archive could not be completed or the dump changed after it was read
  // (pack it again then, with packFinishedDump).
  PackedDump finish();

 private:
  class Followed;
  DumpPacker(std::string zipName, std::string dumpName, std::unique_ptr<Followed> followed);

  const std::string zipName_;
  const std::string dumpName_;
  std::unique_ptr<Followed> followed_;
  // Written by the follower, read once it has been joined.
  std::optional<PackedFile> packed_;
  std::string writeFailure_;
  std::string tail_;
  std::thread follower_;
};

// Packs the finished dump from its start into a new archive, as DumpPacker would have, and checks
// it as DumpPacker::finish does: for a dump whose followed archive failed its check. No digest as
// for finish, or when the dump cannot be opened.
PackedDump packFinishedDump(const std::string& zipName, const std::string& dumpName);

}  // namespace qb
