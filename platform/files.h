#pragma once
// Files as the program sees them. Names are byte texts in the system's ANSI code page; the
// Windows side converts them to UTF-16 for the wide file functions.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/outcome.h"

namespace qb::platform {

struct DirEntry {
  std::string name;  // without any folder
  std::uint64_t size = 0;
};

// The separator between a folder and a name: '\\' on Windows, '/' elsewhere.
char pathSeparator();

// The ordinary files a pattern (a name that may hold '*' and '?', the only wild characters)
// matches, in the order the system lists them: no directories, no hidden or system entries. The
// folder part is taken literally.
std::vector<DirEntry> listFiles(const std::string& pattern);

// The existence test: some entry matching the name that is neither a directory nor hidden nor
// system.
bool fileExists(const std::string& name);

// True when the name exists and is neither a directory nor a device (hidden files count).
bool isPlainFile(const std::string& name);

// True when any directory entry holds the name, whatever it is: file, folder, link (a dangling
// one too), FIFO. Nothing is opened and no link is followed.
bool nameTaken(const std::string& name);

Outcome deleteFile(const std::string& name);

struct FolderEntry {
  std::string name;
  bool plain = false;   // a regular file: no folder, link, device or other special entry
  bool hidden = false;  // natively a name that begins with a dot; on Windows hidden or system
  // Natively the account that owns the entry (on media without owners, the mount's); Windows
  // lists none.
  std::optional<std::uint32_t> owner;
};

// Every entry of the folder but "." and "..", in the order the system lists them; none when the
// folder cannot be read. No link is followed.
std::vector<FolderEntry> folderEntries(const std::string& folder);

// Forces the file's content to disk.
Outcome syncFile(const std::string& name);

// Starts writing to disk what was written to the stream so far, without waiting for it, so that a
// later syncFile finds little left to do; it fails when the stream's buffer could not be written
// out. Natively the range is handed to the disk at once; on
// Windows nothing is done: its cache writes changed pages behind within seconds by itself, and
// its only call that forces them waits until every one is on disk.
Outcome startWriteBack(std::FILE* stream);

// The stream calls minizip's I/O table makes, each saying why it failed: writing all the bytes,
// moving (origin as fseek's), closing (which writes what the stream still buffers).
Outcome writeToStream(std::FILE* stream, const void* bytes, std::size_t count);
Outcome seekStream(std::FILE* stream, std::int64_t offset, int origin);
Outcome closeStream(std::FILE* stream);

// Gives the file at `from` the name `to` in the same folder, provided no entry of any kind holds
// `to`. On Windows the change is on disk when it returns; natively syncFolder puts it there. On a
// file system that can neither rename without replacing nor link (FAT, exFAT), the name is found
// free just before a plain rename takes it: the caller must hold it among its peers.
Outcome renameToFree(const std::string& from, const std::string& to);

// Natively the file's permission bits as the file system shows them (one that keeps no Unix
// modes shows the mount's); none where it cannot be read, and on Windows, which has no such modes.
std::optional<unsigned> unixMode(const std::string& name);

// Forces to disk what changed in the folder's list of names (natively; the Windows file systems
// keep their own journal of it).
Outcome syncFolder(const std::string& folder);

// The bytes this user may still write on the folder's file system; none when it cannot be told.
std::optional<std::uint64_t> roomLeft(const std::string& folder);

// The hidden attribute on Windows. Natively nothing changes: there names that begin with a dot
// are the hidden ones.
Outcome setHidden(const std::string& name, bool hidden);

// True while another holder has the file (see ClaimedFile::hold): natively its lock, on Windows
// any open handle, a scanner's too.
bool fileInUse(const std::string& name);

// A file made under a name that no entry held, readable and writable by its owner alone where the
// file system keeps such modes (where it refuses or ignores them, the file is made all the same).
// Natively it stays open while the object lives, so that a child can be handed this very file and
// the name be checked to still be it; on Windows, where CMD opens the name again for its
// redirection, only the name is kept until hold().
class ClaimedFile {
 public:
  // Null when an entry holds the name already or the folder cannot take the file; `why`, where
  // given, then says which.
  static std::unique_ptr<ClaimedFile> create(const std::string& name, std::string* why = nullptr);
  ~ClaimedFile();
  ClaimedFile(const ClaimedFile&) = delete;
  ClaimedFile& operator=(const ClaimedFile&) = delete;

  const std::string& name() const { return name_; }
  // Natively: the name leads to this file itself, not to a link nor to a file put in its place.
  // On Windows: the existence test of the name.
  bool stillNamed() const;
  // The open descriptor natively; -1 on Windows.
  int descriptor() const { return descriptor_; }
  // From now until the object goes, fileInUse() of the name is true for everyone else: other
  // runs leave alone what belongs to a run still going. On Windows the file may still be read,
  // written and deleted meanwhile.
  void hold();

 private:
  ClaimedFile(std::string name, int descriptor) : name_(std::move(name)), descriptor_(descriptor) {}
  std::string name_;
  int descriptor_;
  void* held_ = nullptr;  // Windows: the handle hold() opened
};

// A buffered stream in binary mode with the stdio open mode given ("rb", "r+b", "wb"), the
// name's bytes passed unchanged; null when it cannot be opened. Natively a link at the name is
// never followed and only a regular file is opened, so that a FIFO cannot block the opening.
// `why`, where given, says why it could not.
std::FILE* openFileStream(const std::string& name, const char* mode, std::string* why = nullptr);

// Creates or truncates the file, shared with nobody while open, and writes the bytes. False when
// the file could not be created; `complete` tells whether every byte was written.
bool writeNewFile(const std::string& name, const std::string& bytes, bool* complete = nullptr);

// A file opened for reading while others may still read and write it; natively, as for
// openFileStream, only a regular file and never through a link.
class InputFile {
 public:
  static std::unique_ptr<InputFile> open(const std::string& name);  // null when it cannot
  virtual ~InputFile() = default;
  // Reading goes on from this offset from the start; false when the file cannot move there.
  virtual bool seek(std::uint64_t offset) = 0;
  // Up to count bytes; 0 at the end of the file and on a read error (then failed() is true).
  virtual std::size_t read(char* buffer, std::size_t count) = 0;
  // count bytes, fewer only at the end of the file or on a read error.
  std::size_t readFully(char* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count)
      if (const std::size_t got = read(buffer + done, count - done))
        done += got;
      else
        break;
    return done;
  }
  virtual bool failed() const = 0;
  virtual std::uint64_t size() const = 0;
};

}  // namespace qb::platform
