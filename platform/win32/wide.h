#pragma once
// ANSI byte texts to and from the UTF-16 the wide Windows functions take.

#include <string>

namespace qb::platform {

std::wstring widen(const std::string& ansi);
std::string narrow(const std::wstring& wide);

}  // namespace qb::platform
