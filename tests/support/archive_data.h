#pragma once
// What the archive tests share besides the other helpers here: dump-like data, the worker threads'
// setting, an error catcher, and a reader that lists an archive's entries through minizip's unzip
// side.

#include <unzip.h>

#include <cstdint>
#include <string>
#include <vector>

#include "archive/block_threads.h"
#include "runtime/error.h"

namespace qb::test {

// Lines of INSERT statements: text data as the dump gives it.
std::string sqlText(std::size_t bytes);

// Data at the edges of the archiver's blocks (128 KiB, primed with the 32 KiB before them), by
// name.
struct NamedData {
  std::string name;
  std::string bytes;
};
std::vector<NamedData> blockEdgeData();

// A client writing its dump: each step writes its count of the data's next bytes and then pauses
// for its milliseconds; one last write gives what the steps left. The file is created or emptied
// first, as a shell's redirection does.
struct WriteStep {
  std::size_t bytes;
  int pauseMs;
};
void writeInSteps(const std::string& file, const std::string& data,
                  const std::vector<WriteStep>& steps);

// Sets the archiver's worker threads while it lives: count of them, of which only the first
// startable start (the rest fail as a start refused by the system would).
class WorkerThreads {
 public:
  explicit WorkerThreads(unsigned count, unsigned startable = 16);
  ~WorkerThreads();
  // How many workers were asked to start so far.
  unsigned started() const { return *started_; }

 private:
  BlockThreads previous_;
  std::shared_ptr<unsigned> started_ = std::make_shared<unsigned>(0);
};

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

// The zip format's traditional decryption (minizip's reader cannot decrypt), and raw inflation
// of exactly one stream, nothing after it.
std::string zipDecrypt(const std::string& bytes, const std::string& password);
std::string inflateRaw(const std::string& bytes);

}  // namespace qb::test
