#pragma once
// The archive builder: packs files into a zip archive, one deflated entry each, creating the
// archive or adding to an existing one. Two module settings shape every call: the read-buffer
// size and the archive comment.

#include <cstddef>
#include <optional>
#include <span>
#include <string>

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

// The module settings of the moment: what HB_ZIPFILE would read the files with and close the
// archive with.
struct ZipSettings {
  std::size_t bufferSize;
  std::optional<std::string> comment;
};
ZipSettings zipSettings();

}  // namespace qb
