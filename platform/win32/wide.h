#pragma once
// ANSI byte texts to and from the UTF-16 the wide Windows functions take, and from the OEM code
// page.

#include <optional>
#include <string>

namespace qb::platform {

std::wstring widen(const std::string& ansi);
std::string narrow(const std::wstring& wide);

// UTF-8 bytes to and from ANSI text. A character the code page lacks becomes "?", never a
// look-alike: a folder name must not turn into another folder's. Nothing when the bytes are not
// UTF-8.
std::optional<std::string> ansiFromUtf8(const std::string& utf8);
std::string utf8FromAnsi(const std::string& ansi);

// OEM code page to ANSI, byte for byte (the text holds no NUL).
std::string oemToAnsi(const std::string& text);

}  // namespace qb::platform
