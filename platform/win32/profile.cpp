#include "platform/profile.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/profile_engine.h"
#include "platform/win32/wide.h"

namespace qb::platform {

namespace {

const char* orNull(const ProfileName& text) {
  return text ? text->c_str() : nullptr;
}

unsigned readFailures = 0;

// Notepad saves UTF-8 without a byte order mark, which the system's functions take for ANSI text:
// they would hand its bytes over as they are and write ANSI bytes into it. Such a file, one that
// is valid UTF-8 and holds more than ASCII, is read and changed by our own engine instead, its
// texts converted. Nothing for every other file. A read counts a file that is there but cannot
// be opened; so does the system's function then, which it opens the same way.
std::optional<std::string> utf8File(const ProfileName& file, bool forRead) {
  if (!file) return std::nullopt;
  HANDLE h = CreateFileW(widen(*file).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (forRead && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) ++readFailures;
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

// The engine's change written over the file itself, as the system's functions write: the file
// keeps its permissions, and no other file is needed in its folder.
bool rewrite(const std::string& file, const std::string& bytes) {
  HANDLE h = CreateFileW(widen(file).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool done =
      WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size() && SetEndOfFile(h) && FlushFileBuffers(h);
  CloseHandle(h);
  return done;
}

}  // namespace

std::string readProfileString(const ProfileName& section, const ProfileName& key,
                              const ProfileName& defaultText, unsigned size,
                              const ProfileName& file) {
  if (const auto bytes = utf8File(file, true))
    return ansi(
        ProfileDocument(*bytes).getString(utf8(section), utf8(key), utf8(defaultText), size));
  std::vector<char> buffer(size + 1, '\0');
  const DWORD count =
      file ? GetPrivateProfileStringA(orNull(section), orNull(key), orNull(defaultText),
                                      buffer.data(), size, file->c_str())
           : GetProfileStringA(orNull(section), orNull(key), orNull(defaultText), buffer.data(),
                               size);
  return std::string(buffer.data(), count < size ? count : size);
}

std::int32_t readProfileInt(const ProfileName& section, const ProfileName& key,
                            std::int32_t defaultValue, const ProfileName& file) {
  if (const auto bytes = utf8File(file, true))
    return ProfileDocument(*bytes).getInt(utf8(section), utf8(key), defaultValue);
  const UINT n =
      file ? GetPrivateProfileIntA(orNull(section), orNull(key), defaultValue, file->c_str())
           : GetProfileIntA(orNull(section), orNull(key), defaultValue);
  return static_cast<std::int32_t>(n);
}

unsigned failedProfileReads() {
  return readFailures;
}

bool writeProfileString(const ProfileName& section, const ProfileName& key,
                        const ProfileName& value, const ProfileName& file) {
  if (const auto bytes = utf8File(file, false)) {
    ProfileDocument doc(*bytes);
    if (!section) return false;
    return !doc.write(utf8(section), utf8(key), utf8(value)) || rewrite(*file, doc.bytes());
  }
  return (file ? WritePrivateProfileStringA(orNull(section), orNull(key), orNull(value),
                                            file->c_str())
               : WriteProfileStringA(orNull(section), orNull(key), orNull(value))) != FALSE;
}

std::optional<std::string> readProfileSectionNames(unsigned size, const ProfileName& file) {
  if (const auto bytes = utf8File(file, true))
    return ansi(ProfileDocument(*bytes).sectionNames(size));
  // Bound at run time from the system library, loaded by name and freed again.
  HMODULE library = LoadLibraryA("Kernel32.dll");
  if (library == nullptr) {
    const std::string text = "Error code: " + std::to_string(reinterpret_cast<UINT_PTR>(library)) +
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
    const DWORD count = call(buffer.data(), size, orNull(file));
    names.assign(buffer.data(), count < size ? count : size);
  }
  FreeLibrary(library);
  return names;
}

}  // namespace qb::platform
