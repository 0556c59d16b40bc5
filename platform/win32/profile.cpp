#include "platform/profile.h"

#include <windows.h>

#include <vector>

namespace qb::platform {

namespace {

const char* orNull(const ProfileName& text) {
  return text ? text->c_str() : nullptr;
}

}  // namespace

std::string readProfileString(const ProfileName& section, const ProfileName& key,
                              const ProfileName& defaultText, unsigned size,
                              const ProfileName& file) {
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
  const UINT n =
      file ? GetPrivateProfileIntA(orNull(section), orNull(key), defaultValue, file->c_str())
           : GetProfileIntA(orNull(section), orNull(key), defaultValue);
  return static_cast<std::int32_t>(n);
}

bool writeProfileString(const ProfileName& section, const ProfileName& key,
                        const ProfileName& value, const ProfileName& file) {
  return (file ? WritePrivateProfileStringA(orNull(section), orNull(key), orNull(value),
                                            file->c_str())
               : WriteProfileStringA(orNull(section), orNull(key), orNull(value))) != FALSE;
}

std::optional<std::string> readProfileSectionNames(unsigned size, const ProfileName& file) {
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
