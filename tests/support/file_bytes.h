#pragma once
// Whole files as byte texts, the way the tests set them up and read them back.

#include <string>

namespace qb::test {

// The file's bytes; "" when it cannot be read.
std::string readFile(const std::string& name);

// Creates or replaces the file with exactly these bytes; false when it could not.
bool writeFile(const std::string& name, const std::string& bytes);

}  // namespace qb::test
