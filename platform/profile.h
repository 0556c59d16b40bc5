#pragma once
// Profile files (sections of key=value lines) as the Windows profile functions treat them. Every
// call is one complete access to the file: it is read, and rewritten when a write changes it.
//
// A name or value given as std::nullopt is the functions' null: a null key lists key names, a
// null section lists section names, a null key in a write deletes the section, a null value
// deletes the key. A null file is the system profile.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/outcome.h"

namespace qb::platform {

using ProfileName = std::optional<std::string>;

// A read that finds its file there but cannot open it, as when another program holds it for a
// moment, gives what an empty file gives, as the system's functions do, and places the system's
// words for why into `unreadable` (where given); else empties it. A file that is not there is
// read, as an empty one.

// What a string read places into a buffer of `size` characters, cut to the count it reports:
// the value (blanks around it and one pair of enclosing quotes removed), at most size - 1
// characters; else the default without its trailing blanks. Name lists hold each name followed
// by a NUL.
std::string readProfileString(const ProfileName& section, const ProfileName& key,
                              const ProfileName& defaultText, unsigned size,
                              const ProfileName& file, std::string* unreadable = nullptr);

// The integer at the start of the value; the default when the key is absent or empty.
std::int32_t readProfileInt(const ProfileName& section, const ProfileName& key,
                            std::int32_t defaultValue, const ProfileName& file,
                            std::string* unreadable = nullptr);

// Sets, or deletes (see above); where the file could not be written it is as it was.
Outcome writeProfileString(const ProfileName& section, const ProfileName& key,
                           const ProfileName& value, const ProfileName& file);

// The section names in file order, each followed by a NUL, cut to fit `size` characters with the
// list's final NUL. Null when the system's function could not be reached (the user has been
// told).
std::optional<std::string> readProfileSectionNames(unsigned size, const ProfileName& file);

}  // namespace qb::platform
