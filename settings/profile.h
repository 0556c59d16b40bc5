#pragma once
// The profile primitives: the program's own names for the platform's profile functions. Each takes
// its arguments positionally; a name argument that is not text reaches the platform as a null
// name, a file argument that is not text as the system profile.

#include "runtime/value.h"

namespace qb {

// String reads into a 4096-byte buffer with a size of 4095: the text copied (at most 4094
// characters), "" when nothing was copied. A key that is not text lists the section's key names,
// a section that is not text the section names, each followed by a NUL. `fileRead`, where given,
// says whether the file could be read (platform/profile.h).
Value GETPVPROFSTRING(const Value& section, const Value& key, const Value& defaultText,
                      const Value& file, bool* fileRead = nullptr);
Value GETPROFSTRING(const Value& section, const Value& key, const Value& defaultText,
                    bool* fileRead = nullptr);

// Integer reads: a signed 32-bit number.
Value GETPVPROFINT(const Value& section, const Value& key, const Value& defaultNumber,
                   const Value& file, bool* fileRead = nullptr);
Value GETPROFINT(const Value& section, const Value& key, const Value& defaultNumber,
                 bool* fileRead = nullptr);

// Writes: logical success. A value that is not text deletes the key.
Value WRITEPPROSTRING(const Value& section, const Value& key, const Value& value,
                      const Value& file);
Value WRITEPROFSTRING(const Value& section, const Value& key, const Value& value);

// Deletes the whole section, or one key: logical success.
Value DELINISECTION(const Value& section, const Value& file);
Value DELINIENTRY(const Value& section, const Value& key, const Value& file);

// Places the section names into the text buffer (each followed by a NUL, the list ended by one
// more) within `size` characters and the buffer's length, and returns the number of characters
// placed before that last NUL; nil when the system's function could not be reached.
Value GETPVPRFSE(Value& buffer, const Value& size, const Value& file);

}  // namespace qb
