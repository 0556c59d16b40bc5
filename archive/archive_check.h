#pragma once
// Reads an archive back to prove that an entry holds a file's content whole.

#include <cstdint>
#include <string>

#include "archive/block_ends.h"

namespace qb {

// True when the file opens as a zip archive: its directory can be found and read.
bool opensAsArchive(const std::string& zipName);

// True when the archive opens, its last entry named entryName is deflated and records the file's
// size, and inflating it to its end yields, byte for byte, the file's bytes as they stand now,
// with the CRC-32 the entry records.
bool archiveHoldsWholeFile(const std::string& zipName, const std::string& entryName,
                           const std::string& fileName);

// The same for an entry the workers deflated, whose packing read size bytes with that CRC-32: the
// entry must record them, and the file must hold exactly those bytes now, so a file changed after
// it was packed fails, wherever the change lies. blockEnds says where the blocks' deflated bytes
// end in the entry's data, as the packing wrote them; the groups of blocks are inflated and
// compared on the worker threads at once.
bool archiveHoldsFile(const std::string& zipName, const std::string& entryName,
                      const std::string& fileName, std::uint64_t size, std::uint32_t crc32,
                      const BlockEnds& blockEnds);

}  // namespace qb
