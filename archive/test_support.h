#pragma once
// What the archive tests share: a scratch folder, file helpers, an error catcher, and a reader
// that lists an archive's entries through minizip's unzip side.

#include <unzip.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/error.h"

namespace qb::test {

// A fresh folder below the current one, removed again at the end of the test.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& name);
  ~ScratchDir();
  // The path of a file in the folder, with '/' separators.
  std::string operator/(const std::string& file) const { return dir_ + "/" + file; }

 private:
  std::string dir_;
};

void writeFile(const std::string& name, const std::string& bytes);
std::string readFile(const std::string& name);

// Lines of INSERT statements: text data as the dump gives it.
std::string sqlText(std::size_t bytes);

// Records every error raised while it lives; the hook substitutes nil.
class ErrorCatcher {
 public:
  ErrorCatcher();
  ~ErrorCatcher();
  std::vector<ErrorRef> errors;

 private:
  ErrorHook previous_;
};

struct StoredEntry {
  std::string name;
  unz_file_info64 info{};
  std::string data;
  bool crcOk = false;  // the library's check of the inflated data
};

// Expects the header values of an entry written with only its name: version made by and needed
// 20, no flags, deflate, DOS date and time 0, no attributes, extra field or comment; data intact.
void expectDefaultHeaders(const StoredEntry& entry);

// Every entry in directory order; empty when the archive cannot be read.
std::vector<StoredEntry> readEntries(const std::string& zipName, const char* password = nullptr);

// The archive's global comment, or "" when it has none.
std::string archiveComment(const std::string& zipName);

// A little-endian 16-bit field of raw archive bytes.
std::uint16_t le16(const std::string& bytes, std::size_t at);

// The zip format's traditional decryption (minizip's reader cannot decrypt), and raw inflation.
std::string zipDecrypt(const std::string& bytes, const std::string& password);
std::string inflateRaw(const std::string& bytes);

}  // namespace qb::test
