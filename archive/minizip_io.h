#pragma once
// minizip's I/O table, the file functions it reads and writes archives through: the platform's
// stream calls, which say why they fail; the opening follows no link at the name and opens only a
// regular file.

#include <ioapi.h>

#include <string>

namespace qb {

// Given a text, the first opening, write, seek or close that fails leaves in it the system's
// words for that failure; the writes may run on any thread. keepContent: a new archive is written
// over the file's bytes from its start instead of emptying it first.
zlib_filefunc64_def minizipIo(std::string* failure = nullptr, bool keepContent = false);

}  // namespace qb
