#include "platform/win32/system_words.h"

#include <windows.h>

namespace qb::platform {

std::string systemWords(unsigned long error) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string out = length ? std::string(text, length) : "error " + std::to_string(error);
  LocalFree(text);
  // The system ends its sentences with a full stop and a line break; this one goes inside a line.
  while (!out.empty() &&
         (out.back() == '\n' || out.back() == '\r' || out.back() == '.' || out.back() == ' '))
    out.pop_back();
  return out;
}

}  // namespace qb::platform
