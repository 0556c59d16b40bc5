#pragma once
// The runtime's file-name helpers: splitting a name, joining one back, and whole-name matching
// with '*' and '?'.

#include <string>

#include "runtime/value.h"

namespace qb {

struct FileNameParts {
  std::string directory;  // up to and including the last '\', '/' or ':'; keeps the drive
  std::string name;
  std::string extension;  // from the last '.' that is not the first character; "" when none
  std::string drive;      // text before the first ':' within the directory's first ten characters
};

FileNameParts HB_FNAMESPLIT(const std::string& fileName);

// Directory, name and extension joined; the drive takes no part in the result.
std::string HB_FNAMEMERGE(const std::string& directory, const std::string& name,
                          const std::string& extension, const std::string& drive);

// True when the whole name matches the pattern, letters compared without regard to case; false
// when either value is not text.
bool HB_FILEMATCH(const Value& name, const Value& pattern);

// True when the text holds '*' or '?'.
bool isWildcard(const std::string& text);

}  // namespace qb
