#pragma once
// The zip entry writer: the callables through which the program writes zip archives. Results are
// minizip's codes (0 success, -1 file error, -102 wrong parameter, ...); wrongly typed arguments
// and handles that are not open archives raise BASE/3012 "Argument error" and give nil.

#include <span>

#include "runtime/value.h"

namespace qb {

// 1: archive name; 2: mode 0 create, 1 create after, 2 add (absent = 0). An archive handle, or
// nil when the archive cannot be opened. In mode 2 the existing comment goes to *comment when
// the caller passes one.
Value HB_ZIPOPEN(std::span<const Value> params, Value* comment = nullptr);

// 1: handle; 2: entry name; 3: date or timestamp; 4: time text; 5, 6: internal and external
// attributes; 7: method (absent = 8); 8: level (absent = -1); 9: password; 10: CRC-32 for the
// encryption header; 11: entry comment.
Value HB_ZIPFILECREATE(std::span<const Value> params);

// 1: handle; 2: bytes; 3: count, used when smaller than the bytes' length.
Value HB_ZIPFILEWRITE(std::span<const Value> params);

// 1: handle.
Value HB_ZIPFILECLOSE(std::span<const Value> params);

// 1: handle; 2: archive comment. Empties the handle.
Value HB_ZIPCLOSE(std::span<const Value> params);

// 1: file name. The CRC-32 of the whole file, 0 when it cannot be opened or read.
Value HB_ZIPFILECRC32(std::span<const Value> params);

}  // namespace qb
