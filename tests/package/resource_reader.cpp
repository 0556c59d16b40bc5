// Reads an exe's resources the way Explorer's Properties, Event Viewer and the loader do, and
// prints what it finds for a test to judge: the fixed and the string version information, the
// icon group's image count, each event's text from the message table as Event Viewer formats it
// with one string, then the manifest's text.
//
//   resource_reader EXE
//
// Exit code 0 when the version information, the icon group, the two events' texts and the
// manifest were all found.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

int versionInformation(const char* path) {
  const DWORD size = GetFileVersionInfoSizeA(path, nullptr);
  std::vector<char> data(size);
  if (size == 0 || !GetFileVersionInfoA(path, 0, size, data.data())) return 1;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length)) return 1;
  std::printf("fixed file %lu.%lu.%lu.%lu product %lu.%lu.%lu.%lu\n", fixed->dwFileVersionMS >> 16,
              fixed->dwFileVersionMS & 0xffff, fixed->dwFileVersionLS >> 16,
              fixed->dwFileVersionLS & 0xffff, fixed->dwProductVersionMS >> 16,
              fixed->dwProductVersionMS & 0xffff, fixed->dwProductVersionLS >> 16,
              fixed->dwProductVersionLS & 0xffff);
  WORD* translation = nullptr;
  if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &length) ||
      length < 4)
    return 1;
  char block[64];
  std::snprintf(block, sizeof block, "\\StringFileInfo\\%04x%04x\\", translation[0],
                translation[1]);
  for (const char* name : {"FileDescription", "FileVersion", "InternalName", "OriginalFilename",
                           "ProductName", "ProductVersion"}) {
    char* value = nullptr;
    if (VerQueryValueA(data.data(), (block + std::string(name)).c_str(),
                       reinterpret_cast<void**>(&value), &length))
      std::printf("%s=%s\n", name, value);
  }
  return 0;
}

// The resource's bytes, empty when there is none.
std::string resource(HMODULE module, LPCSTR type) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), type);
  if (!found) return {};
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
  return bytes ? std::string(bytes, SizeofResource(module, found)) : std::string();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  int failures = versionInformation(argv[1]);
  HMODULE module = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return 1;
  // The group's header: reserved, type and the number of images.
  const std::string icons = resource(module, MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  if (icons.size() >= 6)
    std::printf("icon images %u\n",
                static_cast<unsigned char>(icons[4]) | static_cast<unsigned char>(icons[5]) << 8);
  else
    failures = 1;
  // The events the program reports, 1 and 2, as Event Viewer shows them: the string it inserts.
  for (DWORD id : {1, 2}) {
    DWORD_PTR strings[] = {reinterpret_cast<DWORD_PTR>(L"a line as the program wrote it")};
    wchar_t* text = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                           FORMAT_MESSAGE_ARGUMENT_ARRAY,
                       module, id, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                       reinterpret_cast<LPWSTR>(&text), 0, reinterpret_cast<va_list*>(strings));
    if (n == 0) failures = 1;
    std::printf("event %lu: %ls|\n", id, n ? text : L"(none)");
    LocalFree(text);
  }
  const std::string manifest = resource(module, MAKEINTRESOURCEA(24));  // RT_MANIFEST
  if (manifest.empty()) failures = 1;
  std::printf("manifest\n%s", manifest.c_str());
  FreeLibrary(module);
  return failures;
}
