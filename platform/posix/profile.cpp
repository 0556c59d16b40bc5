#include "platform/profile.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>

#include "platform/files.h"
#include "platform/profile_engine.h"

namespace qb::platform {

namespace {

// The system profile lives in the user's configuration folder; a name without a folder is looked
// for there too, as Windows looks for it in its own folder.
std::string profileFolder() {
  if (const char* xdg = ::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') return xdg;
  if (const char* home = ::getenv("HOME"); home && *home) return std::string(home) + "/.config";
  return ".";
}

std::string profilePath(const ProfileName& file) {
  if (!file || file->empty()) return profileFolder() + "/win.ini";
  if (file->find('/') == std::string::npos) return profileFolder() + "/" + *file;
  return *file;
}

std::string folderOf(const std::string& path) {
  const auto cut = path.find_last_of('/');
  if (cut == std::string::npos) return ".";
  return cut == 0 ? "/" : path.substr(0, cut);
}

struct Fd {
  int fd;
  explicit Fd(int f) : fd(f) {}
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

// The functions below answer with the error they met, 0 where they did their work.

// The whole file. A file that is not there (see missing()) reads as empty.
int load(const std::string& path, std::string& bytes) {
  bytes.clear();
  Fd f(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (f.fd < 0) return errno;
  struct stat st {};
  if (::fstat(f.fd, &st) != 0) return errno;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  char chunk[65536];
  while (true) {
    const ssize_t n = ::read(f.fd, chunk, sizeof chunk);
    if (n == 0) return 0;
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
}

bool missing(int loadError) {
  return loadError == ENOENT || loadError == ENOTDIR;
}

// Writes from the start of the file, as far as it goes.
int writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n =
        ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

struct Replaced {
  int error = 0;
  bool refused = false;  // the folder stood in the way: it may still take a rewrite in place
};

// The folder's permissions, or a file mounted on its own, stand in the way of the replace.
Replaced refusedOrFailed(int error) {
  return {error, error == EACCES || error == EPERM || error == EBUSY};
}

// Replaces the file all at once: a temporary file in the same folder takes the bytes and is
// synced to disk, then renamed over the original. Until the rename the original is untouched, so
// a crash or a full disk never leaves half a file. Refused when the folder takes no temporary
// file or no rename over the file.
Replaced replaceFile(const std::string& path, const std::string& bytes) {
  struct stat old {};
  const bool existed = ::stat(path.c_str(), &old) == 0;
  if (existed && ::access(path.c_str(), W_OK) != 0) return {errno};  // stays read-only
  const std::string folder = folderOf(path);
  std::string temp = folder + "/." + path.substr(path.find_last_of('/') + 1) + ".XXXXXX";
  Fd f(::mkstemp(temp.data()));
  if (f.fd < 0) return refusedOrFailed(errno);
  mode_t mode = 0666;
  if (existed) {
    mode = old.st_mode & 07777;
    if (::fchown(f.fd, old.st_uid, old.st_gid) != 0) {
      // Not ours to give away; the file keeps our ownership.
    }
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  int error = ::fchmod(f.fd, mode) == 0 ? writeAll(f.fd, bytes) : errno;
  if (error == 0 && ::fsync(f.fd) != 0) error = errno;
  if (::close(f.fd) != 0 && error == 0) error = errno;
  f.fd = -1;
  if (error != 0) {
    ::unlink(temp.c_str());
    return {error};
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    error = errno;
    ::unlink(temp.c_str());
    return refusedOrFailed(error);
  }
  // The rename itself reaches the disk with the folder.
  syncFolder(folder);
  return {};
}

// Where the folder refuses the replace, the file itself is rewritten, as the Windows functions
// do. Room for longer text is taken first, so a full disk fails before anything changes, and a
// write that fails later puts the old bytes back. Not atomic: a crash half-way, or a failure that
// also stops the old bytes going back, can leave a mix of both; a reader at that moment sees one.
// A file that is not a plain one stays refused.
int rewriteInPlace(const std::string& path, const std::string& before, const std::string& after,
                   int refusal) {
  Fd f(::open(path.c_str(), O_RDWR | O_CLOEXEC));
  struct stat st {};
  if (f.fd < 0 || ::fstat(f.fd, &st) != 0) return errno;
  if (!S_ISREG(st.st_mode)) return refusal;
  const auto size = [](const std::string& bytes) { return static_cast<off_t>(bytes.size()); };
  int error = after.size() <= before.size() ? 0 : ::posix_fallocate(f.fd, 0, size(after));
  if (error == 0) error = writeAll(f.fd, after);
  if (error == 0 && ::ftruncate(f.fd, size(after)) != 0) error = errno;
  if (error == 0 && ::fsync(f.fd) != 0) error = errno;
  if (error != 0 && writeAll(f.fd, before) == 0 && ::ftruncate(f.fd, size(before)) == 0)
    ::fsync(f.fd);
  return error;
}

// Writes go to the file a symbolic link points at, so the link stays a link.
std::string resolved(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  std::unique_ptr<char, decltype(&::free)> real(::realpath(path.c_str(), nullptr), &::free);
  return real ? std::string(real.get()) : path;
}

// The system's words for an error, nothing for none.
std::string words(int error) {
  return error == 0 ? std::string() : std::strerror(error);
}

ProfileDocument read(const ProfileName& file, std::string* unreadable) {
  std::string bytes;
  const int error = load(profilePath(file), bytes);  // a file that failed reads as empty
  if (unreadable) *unreadable = words(missing(error) ? 0 : error);
  return ProfileDocument(std::move(bytes));
}

// The write's error: 0 when the file holds the change, or needed none.
int write(const ProfileName& section, const ProfileName& key, const ProfileName& value,
          const ProfileName& file) {
  if (!section) return EINVAL;
  const std::string path = resolved(profilePath(file));
  std::string bytes;
  const int loaded = load(path, bytes);
  if (loaded != 0 && !missing(loaded)) return loaded;  // never replace what we could not read
  if (missing(loaded)) {
    struct stat st {};
    const std::string folder = folderOf(path);
    const bool systemProfile = !file || file->empty();
    if (systemProfile && ::stat(folder.c_str(), &st) != 0) ::mkdir(folder.c_str(), 0777);
    if (::stat(folder.c_str(), &st) != 0) return errno;
    if (!S_ISDIR(st.st_mode)) return ENOTDIR;
  }
  ProfileDocument doc(bytes);
  if (!doc.write(section, key, value)) return 0;  // nothing to change
  const Replaced replaced = replaceFile(path, doc.bytes());
  if (replaced.refused && loaded == 0)
    return rewriteInPlace(path, bytes, doc.bytes(), replaced.error);
  return replaced.error;
}

}  // namespace

std::string readProfileString(const ProfileName& section, const ProfileName& key,
                              const ProfileName& defaultText, unsigned size,
                              const ProfileName& file, std::string* unreadable) {
  return read(file, unreadable).getString(section, key, defaultText, size);
}

std::int32_t readProfileInt(const ProfileName& section, const ProfileName& key,
                            std::int32_t defaultValue, const ProfileName& file,
                            std::string* unreadable) {
  return read(file, unreadable).getInt(section, key, defaultValue);
}

Outcome writeProfileString(const ProfileName& section, const ProfileName& key,
                           const ProfileName& value, const ProfileName& file) {
  return {words(write(section, key, value, file))};
}

std::optional<std::string> readProfileSectionNames(unsigned size, const ProfileName& file) {
  return read(file, nullptr).sectionNames(size);
}

}  // namespace qb::platform
