#include "platform/files.h"

#include <errno.h>
#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qb::platform {

namespace {
std::string baseName(const std::string& path) {
  const auto cut = path.find_last_of('/');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// Dot files play the part of hidden files.
bool isHidden(const std::string& path) {
  return baseName(path).starts_with('.');
}

class PosixInputFile : public InputFile {
 public:
  explicit PosixInputFile(int fd) : fd_(fd) {}
  ~PosixInputFile() override { ::close(fd_); }
  std::size_t read(char* buffer, std::size_t count) override {
    while (true) {
      const ssize_t n = ::read(fd_, buffer, count);
      if (n >= 0) return static_cast<std::size_t>(n);
      if (errno != EINTR) {
        failed_ = true;
        return 0;
      }
    }
  }
  bool failed() const override { return failed_; }
  std::uint64_t size() const override {
    struct stat st {};
    return ::fstat(fd_, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
  }

 private:
  int fd_;
  bool failed_ = false;
};
}  // namespace

char pathSeparator() { return '/'; }

std::vector<DirEntry> listFiles(const std::string& pattern) {
  std::vector<DirEntry> out;
  glob_t g{};
  if (::glob(pattern.c_str(), GLOB_NOSORT | GLOB_NOESCAPE, nullptr, &g) == 0) {
    for (std::size_t i = 0; i < g.gl_pathc; ++i) {
      const std::string path = g.gl_pathv[i];
      struct stat st {};
      if (isHidden(path) || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
      out.push_back({baseName(path), static_cast<std::uint64_t>(st.st_size)});
    }
  }
  ::globfree(&g);
  return out;
}

bool fileExists(const std::string& name) {
  return !listFiles(name).empty();
}

bool isPlainFile(const std::string& name) {
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool deleteFile(const std::string& name) {
  return ::unlink(name.c_str()) == 0;
}

bool createNewFile(const std::string& name) {
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool writeNewFile(const std::string& name, const std::string& bytes, bool* complete) {
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (complete) *complete = false;
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  const bool closed = ::close(fd) == 0;
  if (complete) *complete = closed && done == bytes.size();
  return true;
}

std::unique_ptr<InputFile> InputFile::open(const std::string& name) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixInputFile>(fd);
}

}  // namespace qb::platform
