#pragma once
// How the archive builder packs one file: one entry, named after the file, its data read in
// chunks and deflated on the worker threads wherever the entry allows it.

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/block_ends.h"
#include "archive/file_digest.h"
#include "platform/files.h"
#include "runtime/value.h"

namespace qb {

class MinizipArchive;

struct Packing {
  int level = Z_DEFAULT_COMPRESSION;
  Value perChunk;  // called with (bytes read so far, the file's size) before each chunk is used
  std::optional<std::string> password;
  bool withPath = false;  // the stored name keeps the file's folder
  // The input may still grow while it is read, into a new archive of this one entry: once what
  // was read needs ZIP64 sizes, the entry is given the header a file of that size gets. Only where
  // the workers deflate it: an entry the entry writer deflated never passes the run's read-back
  // check, which goes by the workers' blocks, and is packed again.
  bool growing = false;
};

// What packing one file made of it.
struct PackedFile {
  std::string entryName;
  FileDigest read;  // the size and CRC-32 of what was read, from the same read
  // For an entry deflated on the workers: where its blocks' deflated bytes end in the entry's
  // data. No blocks when the entry writer deflated it.
  BlockEnds blockEnds;
};

// Packs what input gives, read in chunks of the buffer's size until a read gives nothing, as one
// entry of the archive named after fileName. Nothing when a read failed.
std::optional<PackedFile> packFile(MinizipArchive& archive, const std::string& fileName,
                                   platform::InputFile& input, const Packing& how,
                                   std::vector<char>& buffer);

}  // namespace qb
