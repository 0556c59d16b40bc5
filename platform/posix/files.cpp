#include "platform/files.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstring>

#include "platform/wildcard.h"

namespace qb::platform {

namespace {
// Done, or errno's words.
Outcome outcome(bool done) {
  return {done ? std::string() : std::strerror(errno)};
}

// Dot files play the part of hidden files.
bool isHidden(const std::string& name) {
  return name.starts_with('.');
}

// The open(2) flags of a stdio mode; -1 for a mode this program does not use.
int openFlags(const char* mode) {
  const bool update = std::strchr(mode, '+') != nullptr;
  switch (mode[0]) {
    case 'r':
      return update ? O_RDWR : O_RDONLY;
    case 'w':
      return (update ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
    default:
      return -1;
  }
}

// What this program creates holds a database: for its owner's eyes only, whatever the umask. FAT
// and exFAT refuse the mode and NTFS through FUSE ignores it; a backup there beats none, and the
// run says what the archive's mode came to.
int createPrivate(const std::string& name, int flags) {
  const int fd = ::open(name.c_str(), flags | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) (void)::fchmod(fd, 0600);
  return fd;
}

// Never through a link at the name, and only a regular file: O_NONBLOCK keeps a FIFO from
// blocking the opening, and is dropped again once the file is known to be regular. A file that
// is created is private; one that is truncated keeps its mode.
int openRegular(const std::string& name, int flags) {
  int fd = -1;
  if (flags & O_CREAT) {
    fd = createPrivate(name, flags & ~(O_CREAT | O_TRUNC));
    if (fd >= 0 || errno != EEXIST) return fd;
    flags &= ~O_CREAT;
  }
  fd = ::open(name.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  const int status = ::fcntl(fd, F_GETFL);
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || status < 0 ||
      ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
    ::close(fd);
    errno = EINVAL;
    return -1;
  }
  return fd;
}

// Opens the name with the flags and forces what it names to disk; false, errno kept, when either
// fails. Some file systems cannot sync a folder (EINVAL): their names are as durable as they make
// them. A folder the account may write but not read cannot be opened: then everything the system
// holds is forced to disk.
bool synced(const std::string& name, int flags) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | flags);
  if (fd < 0 && (flags & O_DIRECTORY) && errno == EACCES) {
    ::sync();
    return true;
  }
  if (fd < 0) return false;
  const bool done = ::fsync(fd) == 0 || ((flags & O_DIRECTORY) && errno == EINVAL);
  const int error = errno;
  ::close(fd);
  errno = error;
  return done;
}

class PosixInputFile : public InputFile {
 public:
  explicit PosixInputFile(int fd) : fd_(fd) {}
  ~PosixInputFile() override { ::close(fd_); }
  bool seek(std::uint64_t offset) override {
    return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) >= 0;
  }
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

char pathSeparator() {
  return '/';
}

// Done here rather than by glob(), which would also take '[' and ']' as wild, in the folder part
// too.
std::vector<DirEntry> listFiles(const std::string& pattern) {
  const auto cut = pattern.find_last_of('/');
  const std::string folder = cut == std::string::npos ? std::string() : pattern.substr(0, cut + 1);
  const std::string namePattern = pattern.substr(folder.size());
  std::vector<DirEntry> out;
  const auto take = [&](const std::string& name) {
    struct stat st {};
    if (isHidden(name) || ::stat((folder + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
    out.push_back({name, static_cast<std::uint64_t>(st.st_size)});
  };
  if (!hasWildcard(namePattern)) {
    take(namePattern);
    return out;
  }
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return out;
  while (const dirent* entry = ::readdir(dir))
    if (wildcardMatch(entry->d_name, namePattern, false)) take(entry->d_name);
  ::closedir(dir);
  return out;
}

bool fileExists(const std::string& name) {
  return !listFiles(name).empty();
}

bool isPlainFile(const std::string& name) {
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool nameTaken(const std::string& name) {
  struct stat st {};
  return ::lstat(name.c_str(), &st) == 0;
}

Outcome deleteFile(const std::string& name) {
  return outcome(::unlink(name.c_str()) == 0);
}

std::vector<FolderEntry> folderEntries(const std::string& folder) {
  std::vector<FolderEntry> out;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return out;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat st {};
    const bool known = ::lstat((folder + "/" + name).c_str(), &st) == 0;
    out.push_back({name, known && S_ISREG(st.st_mode), isHidden(name),
                   known ? std::optional<std::uint32_t>(st.st_uid) : std::nullopt});
  }
  ::closedir(dir);
  return out;
}

Outcome syncFile(const std::string& name) {
  return outcome(synced(name, O_NOFOLLOW));
}

Outcome startWriteBack(std::FILE* stream) {
  if (std::fflush(stream) != 0) return outcome(false);
  // Only a hint: a file system that cannot take it writes the pages later, as it would anyway.
  ::sync_file_range(::fileno(stream), 0, 0, SYNC_FILE_RANGE_WRITE);
  return {};
}

Outcome writeToStream(std::FILE* stream, const void* bytes, std::size_t count) {
  return outcome(std::fwrite(bytes, 1, count, stream) == count);
}

Outcome seekStream(std::FILE* stream, std::int64_t offset, int origin) {
  return outcome(::fseeko(stream, static_cast<off_t>(offset), origin) == 0);
}

Outcome closeStream(std::FILE* stream) {
  return outcome(std::fclose(stream) == 0);
}

namespace {
bool renamed(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL) return false;
  // A file system that cannot rename without replacing may still link: that fails on any entry at
  // the name as well.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return true;
  }
  if (errno == EEXIST) return false;
  if (nameTaken(to)) {
    errno = EEXIST;
    return false;
  }
  return ::rename(from.c_str(), to.c_str()) == 0;
}
}  // namespace

Outcome renameToFree(const std::string& from, const std::string& to) {
  return outcome(renamed(from, to));
}

std::optional<unsigned> unixMode(const std::string& name) {
  struct stat st {};
  if (::lstat(name.c_str(), &st) != 0) return std::nullopt;
  return static_cast<unsigned>(st.st_mode & 07777);
}

std::optional<std::uint64_t> roomLeft(const std::string& folder) {
  struct statvfs fs {};
  if (::statvfs(folder.c_str(), &fs) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
}

Outcome syncFolder(const std::string& folder) {
  return outcome(synced(folder, O_DIRECTORY));
}

Outcome setHidden(const std::string&, bool) {
  return {};
}

bool fileInUse(const std::string& name) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  const bool locked = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return locked;
}

std::unique_ptr<ClaimedFile> ClaimedFile::create(const std::string& name, std::string* why) {
  // O_EXCL fails on any entry at the name, a link included, and follows none.
  const int fd = createPrivate(name, O_WRONLY);
  if (fd < 0) {
    if (why) *why = outcome(false).why;
    return nullptr;
  }
  return std::unique_ptr<ClaimedFile>(new ClaimedFile(name, fd));
}

ClaimedFile::~ClaimedFile() {
  ::close(descriptor_);
}

void ClaimedFile::hold() {
  // The lock goes with the open file itself, so a child writing into it keeps it held as well.
  while (::flock(descriptor_, LOCK_EX) != 0 && errno == EINTR) {
  }
}

bool ClaimedFile::stillNamed() const {
  struct stat named {
  }, own{};
  return ::lstat(name_.c_str(), &named) == 0 && ::fstat(descriptor_, &own) == 0 &&
         S_ISREG(named.st_mode) && named.st_dev == own.st_dev && named.st_ino == own.st_ino;
}

std::FILE* openFileStream(const std::string& name, const char* mode, std::string* why) {
  const int flags = openFlags(mode);
  if (flags < 0) errno = EINVAL;
  const int fd = flags < 0 ? -1 : openRegular(name, flags);
  std::FILE* stream = fd < 0 ? nullptr : ::fdopen(fd, mode);
  if (!stream && why) *why = outcome(false).why;
  if (!stream && fd >= 0) ::close(fd);
  return stream;
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
  const int fd = openRegular(name, O_RDONLY);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixInputFile>(fd);
}

}  // namespace qb::platform
