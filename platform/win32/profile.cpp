#include "platform/profile.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "platform/profile_engine.h"
#include "platform/win32/system_words.h"
#include "platform/win32/wide.h"

namespace qb::platform {

namespace {

const char* orNull(const ProfileName& text) {
  return text ? text->c_str() : nullptr;
}

// Our runs take turns at a profile file. The system's functions rewrite the file in place, and
// under Wine a read that meets another run's rewrite can find the file cut short, without any
// error: its folders would read as empty and be written back so. Other programs are not held up;
// a turn not had within seconds (a run stuck while holding it) is done without.
class ProfileTurn {
 public:
  explicit ProfileTurn(const ProfileName& file) {
    if (!file) return;
    std::string key = *file;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::wstring name =
        L"Local\\quolmerBackup-profile-" + std::to_wstring(std::hash<std::string>{}(key));
    mutex_ = CreateMutexW(nullptr, FALSE, name.c_str());
    const DWORD waited = mutex_ ? WaitForSingleObject(mutex_, 10000) : WAIT_FAILED;
    owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  }
  ~ProfileTurn() {
    if (owned_) ReleaseMutex(mutex_);
    if (mutex_) CloseHandle(mutex_);
  }
  ProfileTurn(const ProfileTurn&) = delete;
  ProfileTurn& operator=(const ProfileTurn&) = delete;

 private:
  HANDLE mutex_ = nullptr;
  bool owned_ = false;
};

// The error where the file is there, but another program holds it, or nobody may read it; else
// ERROR_SUCCESS.
DWORD unopenable(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                 error == ERROR_ACCESS_DENIED
             ? error
             : ERROR_SUCCESS;
}

// Notepad saves UTF-8 without a byte order mark, which the system's functions take for ANSI text:
// they would hand its bytes over as they are and write ANSI bytes into it. Such a file, one that
// is valid UTF-8 and holds more than ASCII, is read and changed by our own engine instead, its
// texts converted. Nothing for every other file; `unopened` gets the error of one that cannot be
// opened now (see unopenable()).
std::optional<std::string> utf8File(const ProfileName& file, DWORD& unopened) {
  unopened = ERROR_SUCCESS;
  if (!file) return std::nullopt;
  HANDLE h = CreateFileW(widen(*file).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    unopened = unopenable(GetLastError());
    return std::nullopt;
  }
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(h);
  const bool marked = bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") ||
                      bytes.starts_with("\xFE\xFF");
  const bool beyondAscii =
      std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
  if (marked || !beyondAscii || !ansiFromUtf8(bytes)) return std::nullopt;
  return bytes;
}

ProfileName utf8(const ProfileName& text) {
  return text ? ProfileName(utf8FromAnsi(*text)) : std::nullopt;
}

std::string ansi(const std::string& utf8Text) {
  return ansiFromUtf8(utf8Text).value_or(std::string());
}

// A read: of a UTF-8 file by our engine, of any other by the system's function. One that cannot
// open the file gives what an empty file gives, as the system's function does, and says why; the
// system's function tells it in the thread's last error, which a read that went well leaves
// alone. The read that gave the value is the one judged: the file may be held or free again a
// moment after our own look at it.
template <typename Engine, typename System>
auto profileRead(const ProfileName& file, std::string* unreadable, Engine engine, System system) {
  DWORD unopened = ERROR_SUCCESS;
  const auto result = [&] {
    if (const auto bytes = utf8File(file, unopened)) return engine(ProfileDocument(*bytes));
    if (unopened) return engine(ProfileDocument(std::string()));
    SetLastError(ERROR_SUCCESS);
    const auto given = system();
    unopened = unopenable(GetLastError());
    return given;
  }();
  if (unreadable) *unreadable = unopened ? systemWords(unopened) : std::string();
  return result;
}

// The thread's last error just after a call that failed; where the call left none, the generic
// one for a write that did not happen.
DWORD failure() {
  const DWORD error = GetLastError();
  return error ? error : ERROR_WRITE_FAULT;
}

// The engine's change written over the file itself, as the system's functions write: the file
// keeps its permissions, and no other file is needed in its folder. The error met, else
// ERROR_SUCCESS.
DWORD rewrite(const std::string& file, const std::string& bytes) {
  HANDLE h = CreateFileW(widen(file).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return failure();
  SetLastError(ERROR_SUCCESS);
  DWORD written = 0;
  const bool done =
      WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size() && SetEndOfFile(h) && FlushFileBuffers(h);
  const DWORD error = done ? ERROR_SUCCESS : failure();
  CloseHandle(h);
  return error;
}

// The write's error: ERROR_SUCCESS when the file holds the change, or needed none.
DWORD write(const ProfileName& section, const ProfileName& key, const ProfileName& value,
            const ProfileName& file) {
  DWORD unopened = ERROR_SUCCESS;
  if (const auto bytes = utf8File(file, unopened)) {
    ProfileDocument doc(*bytes);
    if (!section) return ERROR_INVALID_PARAMETER;
    if (!doc.write(utf8(section), utf8(key), utf8(value))) return ERROR_SUCCESS;
    return rewrite(*file, doc.bytes());
  }
  // Not left to the system's function: freed a moment later, a UTF-8 file would get ANSI bytes.
  if (unopened) return unopened;
  SetLastError(ERROR_SUCCESS);
  const BOOL written =
      file ? WritePrivateProfileStringA(orNull(section), orNull(key), orNull(value), file->c_str())
           : WriteProfileStringA(orNull(section), orNull(key), orNull(value));
  return written ? ERROR_SUCCESS : failure();
}

}  // namespace

std::string readProfileString(const ProfileName& section, const ProfileName& key,
                              const ProfileName& defaultText, unsigned size,
                              const ProfileName& file, std::string* unreadable) {
  const ProfileTurn turn(file);
  const auto engine = [&](const ProfileDocument& doc) {
    return ansi(doc.getString(utf8(section), utf8(key), utf8(defaultText), size));
  };
  const auto system = [&] {
    std::vector<char> buffer(size + 1, '\0');
    const DWORD count =
        file ? GetPrivateProfileStringA(orNull(section), orNull(key), orNull(defaultText),
                                        buffer.data(), size, file->c_str())
             : GetProfileStringA(orNull(section), orNull(key), orNull(defaultText), buffer.data(),
                                 size);
    return std::string(buffer.data(), count < size ? count : size);
  };
  return profileRead(file, unreadable, engine, system);
}

std::int32_t readProfileInt(const ProfileName& section, const ProfileName& key,
                            std::int32_t defaultValue, const ProfileName& file,
                            std::string* unreadable) {
  const ProfileTurn turn(file);
  const auto engine = [&](const ProfileDocument& doc) {
    return doc.getInt(utf8(section), utf8(key), defaultValue);
  };
  const auto system = [&] {
    return static_cast<std::int32_t>(
        file ? GetPrivateProfileIntA(orNull(section), orNull(key), defaultValue, file->c_str())
             : GetProfileIntA(orNull(section), orNull(key), defaultValue));
  };
  return profileRead(file, unreadable, engine, system);
}

Outcome writeProfileString(const ProfileName& section, const ProfileName& key,
                           const ProfileName& value, const ProfileName& file) {
  const ProfileTurn turn(file);
  const DWORD error = write(section, key, value, file);
  return {error ? systemWords(error) : std::string()};
}

std::optional<std::string> readProfileSectionNames(unsigned size, const ProfileName& file) {
  const ProfileTurn turn(file);
  const auto engine = [&](const ProfileDocument& doc) -> std::optional<std::string> {
    return ansi(doc.sectionNames(size));
  };
  const auto system = [&]() -> std::optional<std::string> {
    // Bound at run time from the system library, loaded by name and freed again.
    HMODULE library = LoadLibraryA("Kernel32.dll");
    if (library == nullptr) {
      const std::string text =
          "Error code: " + std::to_string(reinterpret_cast<UINT_PTR>(library)) +
          " loading Kernel32.dll";
      MessageBoxA(nullptr, text.c_str(), "Alert", MB_OK | MB_ICONWARNING | MB_TASKMODAL);
      return std::nullopt;
    }
    using SectionNames = DWORD(WINAPI*)(LPSTR, DWORD, LPCSTR);
    const auto call = reinterpret_cast<SectionNames>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "GetPrivateProfileSectionNamesA")));
    std::string names;
    if (call != nullptr) {
      std::vector<char> buffer(size + 1, '\0');
      SetLastError(ERROR_SUCCESS);
      const DWORD count = call(buffer.data(), size, orNull(file));
      names.assign(buffer.data(), count < size ? count : size);
    }
    const DWORD error = GetLastError();
    FreeLibrary(library);
    SetLastError(error);
    return names;
  };
  return profileRead(file, nullptr, engine, system);
}

}  // namespace qb::platform
