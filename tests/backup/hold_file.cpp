// Holds a file open as another program would (an editor, a scanner, a sync tool), for the system
// tests under Wine:  hold_file FOLDER PATTERN SHARING MILLISECONDS
// Prints "watching" once it runs, then waits until a file of FOLDER matching the wildcard PATTERN
// holds something and opens for reading with the sharing given ("none", or "read": others may read
// it too, but neither write nor delete it), prints "held NAME" and keeps it open that long. A file
// still being written does not open so; one just created is empty. Gives up after two minutes
// without one, with exit code 3.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) return 2;
  const std::wstring folder = argv[1];
  const DWORD share = std::wstring(argv[3]) == L"read" ? FILE_SHARE_READ : 0;
  std::printf("watching\n");
  std::fflush(stdout);
  for (const DWORD start = GetTickCount(); GetTickCount() - start < 120000;) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\" + argv[2]).c_str(), &found);
    const bool any = search != INVALID_HANDLE_VALUE;
    if (any) FindClose(search);
    if (any && (found.nFileSizeLow || found.nFileSizeHigh)) {
      HANDLE h = CreateFileW((folder + L"\\" + found.cFileName).c_str(), GENERIC_READ, share,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (h != INVALID_HANDLE_VALUE) {
        std::printf("held %ls\n", found.cFileName);
        std::fflush(stdout);
        Sleep(static_cast<DWORD>(std::wcstoul(argv[4], nullptr, 10)));
        CloseHandle(h);
        return 0;
      }
    }
    Sleep(5);
  }
  return 3;
}
