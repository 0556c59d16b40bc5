#pragma once
// minizip's I/O table, the file functions it reads and writes archives through: its own stdio ones,
// with the opening left to the platform, which follows no link at the name and opens only a regular
// file.

#include <ioapi.h>

#include <string>

namespace qb {

// Given a text, the first write, seek or close that fails leaves in it the system's words for
// that failure, taken on the thread that met it: the writes may run on any thread, and the
// system's last error is each thread's own. keepContent: a new archive is written over the
// file's bytes from its start instead of emptying it first.
zlib_filefunc64_def minizipIo(std::string* failure = nullptr, bool keepContent = false);

}  // namespace qb
