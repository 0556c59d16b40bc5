#include "platform/files.h"

#include <windows.h>

#include "platform/win32/system_words.h"
#include "platform/win32/wide.h"

namespace qb::platform {

namespace {
constexpr DWORD kSkipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

class Win32InputFile : public InputFile {
 public:
  explicit Win32InputFile(HANDLE h) : h_(h) {}
  ~Win32InputFile() override { CloseHandle(h_); }
  bool seek(std::uint64_t offset) override {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(h_, to, nullptr, FILE_BEGIN) != 0;
  }
  std::size_t read(char* buffer, std::size_t count) override {
    DWORD got = 0;
    if (!ReadFile(h_, buffer, static_cast<DWORD>(count), &got, nullptr)) {
      failed_ = true;
      return 0;
    }
    return got;
  }
  bool failed() const override { return failed_; }
  std::uint64_t size() const override {
    LARGE_INTEGER s;
    return GetFileSizeEx(h_, &s) ? static_cast<std::uint64_t>(s.QuadPart) : 0;
  }

 private:
  HANDLE h_;
  bool failed_ = false;
};
}  // namespace

char pathSeparator() {
  return '\\';
}

std::vector<DirEntry> listFiles(const std::string& pattern) {
  std::vector<DirEntry> out;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(widen(pattern).c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    if (fd.dwFileAttributes & (kSkipped | FILE_ATTRIBUTE_DEVICE)) continue;
    out.push_back({narrow(fd.cFileName),
                   (static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow});
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return out;
}

bool fileExists(const std::string& name) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(widen(name).c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool found = false;
  do {
    found = (fd.dwFileAttributes & kSkipped) == 0;
  } while (!found && FindNextFileW(h, &fd));
  FindClose(h);
  return found;
}

bool isPlainFile(const std::string& name) {
  const DWORD a = GetFileAttributesW(widen(name).c_str());
  return a != INVALID_FILE_ATTRIBUTES &&
         (a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

bool nameTaken(const std::string& name) {
  return GetFileAttributesW(widen(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {
// Done, or the words for the thread's last error.
Outcome outcome(bool done) {
  return {done ? std::string() : systemWords(GetLastError())};
}
}  // namespace

Outcome deleteFile(const std::string& name) {
  return outcome(DeleteFileW(widen(name).c_str()) != 0);
}

std::vector<FolderEntry> folderEntries(const std::string& folder) {
  std::vector<FolderEntry> out;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(widen(folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    const std::string name = narrow(fd.cFileName);
    if (name == "." || name == "..") continue;
    const DWORD a = fd.dwFileAttributes;
    out.push_back({name,
                   (a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                         FILE_ATTRIBUTE_DEVICE)) == 0,
                   (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0, std::nullopt});
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return out;
}

namespace {
// Opened, and closed again at once; false when it cannot be opened so.
bool opens(const std::string& name, DWORD access, DWORD share) {
  HANDLE h = CreateFileW(widen(name).c_str(), access, share, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
}  // namespace

Outcome syncFile(const std::string& name) {
  HANDLE h = CreateFileW(widen(name).c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return outcome(false);
  const Outcome flushed = outcome(FlushFileBuffers(h) != 0);
  CloseHandle(h);
  return flushed;
}

Outcome startWriteBack(std::FILE*) {
  return {};
}

// The C runtime's stream calls end in the system's, which leave their error as the last one.
Outcome writeToStream(std::FILE* stream, const void* bytes, std::size_t count) {
  return outcome(std::fwrite(bytes, 1, count, stream) == count);
}

Outcome seekStream(std::FILE* stream, std::int64_t offset, int origin) {
  return outcome(_fseeki64(stream, offset, origin) == 0);
}

Outcome closeStream(std::FILE* stream) {
  return outcome(std::fclose(stream) == 0);
}

Outcome renameToFree(const std::string& from, const std::string& to) {
  // Without MOVEFILE_REPLACE_EXISTING any entry at the new name makes the move fail.
  return outcome(MoveFileExW(widen(from).c_str(), widen(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0);
}

std::optional<unsigned> unixMode(const std::string&) {
  return std::nullopt;
}

std::optional<std::uint64_t> roomLeft(const std::string& folder) {
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExW(widen(folder + "\\").c_str(), &available, nullptr, nullptr))
    return std::nullopt;
  return available.QuadPart;
}

Outcome syncFolder(const std::string&) {
  return {};
}

Outcome setHidden(const std::string& name, bool hidden) {
  const std::wstring wide = widen(name);
  const DWORD a = GetFileAttributesW(wide.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return outcome(false);
  const DWORD changed = hidden ? a | FILE_ATTRIBUTE_HIDDEN : a & ~FILE_ATTRIBUTE_HIDDEN;
  return outcome(changed == a ||
                 SetFileAttributesW(wide.c_str(), changed ? changed : FILE_ATTRIBUTE_NORMAL));
}

bool fileInUse(const std::string& name) {
  // Sharing nothing fails while any other handle with access to the data is open.
  return !opens(name, GENERIC_READ, 0) && GetLastError() == ERROR_SHARING_VIOLATION;
}

std::unique_ptr<ClaimedFile> ClaimedFile::create(const std::string& name, std::string* why) {
  HANDLE h = CreateFileW(widen(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    if (why) *why = outcome(false).why;
    return nullptr;
  }
  CloseHandle(h);
  return std::unique_ptr<ClaimedFile>(new ClaimedFile(name, -1));
}

ClaimedFile::~ClaimedFile() {
  if (held_) CloseHandle(held_);
}

void ClaimedFile::hold() {
  // Another run that looks whether the file is in use opens it alone for that moment: an unheld
  // file would then look free to every run after.
  for (int tries = 0; !held_ && tries < 100; ++tries) {
    HANDLE h = CreateFileW(widen(name_).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE)
      held_ = h;
    else if (GetLastError() == ERROR_SHARING_VIOLATION)
      Sleep(10);
    else
      return;
  }
}

bool ClaimedFile::stillNamed() const {
  return fileExists(name_);
}

std::FILE* openFileStream(const std::string& name, const char* mode, std::string* why) {
  std::FILE* stream = std::fopen(name.c_str(), mode);
  if (!stream && why) *why = outcome(false).why;
  return stream;
}

bool writeNewFile(const std::string& name, const std::string& bytes, bool* complete) {
  if (complete) *complete = false;
  HANDLE h = CreateFileW(widen(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = bytes.empty() ||
                  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  const BOOL closed = CloseHandle(h);
  if (complete) *complete = ok && closed && written == bytes.size();
  return true;
}

std::unique_ptr<InputFile> InputFile::open(const std::string& name) {
  HANDLE h = CreateFileW(widen(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32InputFile>(h);
}

}  // namespace qb::platform
