#pragma once
// The file functions minizip reads and writes archives through: its own stdio ones, with the
// opening left to the platform, which follows no link at the name and opens only a regular file.

#include <ioapi.h>

namespace qb {

zlib_filefunc64_def zipFileFunctions();

}  // namespace qb
