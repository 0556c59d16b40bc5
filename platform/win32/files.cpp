#include "platform/files.h"

#include <windows.h>

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

bool deleteFile(const std::string& name) {
  return DeleteFileW(widen(name).c_str()) != 0;
}

std::unique_ptr<ClaimedFile> ClaimedFile::create(const std::string& name) {
  HANDLE h = CreateFileW(widen(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  CloseHandle(h);
  return std::unique_ptr<ClaimedFile>(new ClaimedFile(name, -1));
}

ClaimedFile::~ClaimedFile() = default;

bool ClaimedFile::stillNamed() const {
  return fileExists(name_);
}

std::FILE* openFileStream(const std::string& name, const char* mode) {
  return std::fopen(name.c_str(), mode);
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
