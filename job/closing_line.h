#pragma once
// The dump client ends every complete dump with a line that begins "-- Dump completed". A dump
// cut short (the client killed, the server gone) lacks it, whatever the exit code said.

#include <cstddef>
#include <string>
#include <string_view>

namespace qb {

// How much of a dump's end is read for its last line. The closing line is far shorter: a last
// line that does not even start within it is not one.
inline constexpr std::size_t kDumpTail = 4096;

// True when the last line of the text begins with "-- Dump completed"; a final line break ends
// that line rather than starting an empty one. `tail` is the end of the dump, `whole` tells
// whether it is all of it.
bool endsWithClosingLine(std::string_view tail, bool whole);

// The same for the file, of which only the tail is read; false when it cannot be read.
bool dumpIsComplete(const std::string& name);

}  // namespace qb
