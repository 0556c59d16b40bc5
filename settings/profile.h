#pragma once
// The profile primitives: the program's own names for the platform's profile functions. Each takes
// its arguments positionally; a name argument that is not text reaches the platform as a null
// name, a file argument that is not text as the system profile.

#include "runtime/value.h"

namespace qb {

// String reads into a 4096-byte buffer with a size of 4095: the text copied (at most 4094
// characters), "" when nothing was copied. A key that is not text lists the section's key names,
// a section that is not text the section names, each followed by a NUL. `unreadable`, where
// given, gets the system's words for why the file could not be read, or nothing when it was
// (platform/profile.h).
Value GETPVPROFSTRING(const Value& section, const Value& key, const Value& defaultText,
                      const Value& file, std::string* unreadable = nullptr);
Value GETPROFSTRING(const Value& section, const Value& key, const Value& defaultText,
                    std::string* unreadable = nullptr);

// Integer reads: a signed 32-bit number.
Value GETPVPROFINT(const Value& section, const Value& key, const Value& defaultNumber,
                   const Value& file, std::string* unreadable = nullptr);
Value GETPROFINT(const Value& section, const Value& key, const Value& defaultNumber,
                 std::string* unreadable = nullptr);

// Writes: logical success. A value that is not text deletes the key. `why`, where given, gets the
// system's words for a failure, or nothing.
Value WRITEPPROSTRING(const Value& section, const Value& key, const Value& value, const Value& file,
                      std::string* why = nullptr);
Value WRITEPROFSTRING(const Value& section, const Value& key, const Value& value,
                      std::string* why = nullptr);

// Deletes the whole section, or one key: logical success.
Value DELINISECTION(const Value& section, const Value& file);
Value DELINIENTRY(const Value& section, const Value& key, const Value& file);

// Places the section names into the text buffer (each followed by a NUL, the list ended by one
// more) within `size` characters and the buffer's length, and returns the number of characters
// placed before that last NUL; nil when the system's function could not be reached.
Value GETPVPRFSE(Value& buffer, const Value& size, const Value& file);

}  // namespace qb
