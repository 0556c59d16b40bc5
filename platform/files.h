#pragma once
// Files as the program sees them. Names are byte texts in the system's ANSI code page; the
// Windows side converts them to UTF-16 for the wide file functions.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qb::platform {

struct DirEntry {
  std::string name;  // without any folder
  std::uint64_t size = 0;
};

// The separator between a folder and a name: '\\' on Windows, '/' elsewhere.
char pathSeparator();

// The ordinary files a pattern (a name that may hold '*' and '?') matches, in the order the
// system lists them: no directories, no hidden or system entries.
std::vector<DirEntry> listFiles(const std::string& pattern);

// The existence test: some entry matching the name that is neither a directory nor hidden nor
// system.
bool fileExists(const std::string& name);

// True when the name exists and is neither a directory nor a device (hidden files count).
bool isPlainFile(const std::string& name);

bool deleteFile(const std::string& name);

// Creates the file only when no file of that name exists; false otherwise or on failure.
bool createNewFile(const std::string& name);

// Creates or truncates the file, shared with nobody while open, and writes the bytes. False when
// the file could not be created; `complete` tells whether every byte was written.
bool writeNewFile(const std::string& name, const std::string& bytes, bool* complete = nullptr);

// A file opened for reading while others may still read and write it.
class InputFile {
 public:
  static std::unique_ptr<InputFile> open(const std::string& name);  // null when it cannot
  virtual ~InputFile() = default;
  // Up to count bytes; 0 at the end of the file and on a read error (then failed() is true).
  virtual std::size_t read(char* buffer, std::size_t count) = 0;
  virtual bool failed() const = 0;
  virtual std::uint64_t size() const = 0;
};

}  // namespace qb::platform
