#pragma once
// The few registry calls the processor-name probe makes, with the system's status codes
// (0 = success).

#include <cstdint>
#include <string>

namespace qb::platform {

using RegKey = std::uintptr_t;

inline constexpr RegKey kLocalMachine = 0x80000002;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWow64_64Key = 0x0100;

// Opens root\path; `handle` receives whatever the system stores there, success or not.
long regOpenKey(RegKey root, const std::string& path, std::uint32_t access, RegKey& handle);

// Reads a value's data into buffer; `size` is the buffer's size on entry and the data's size
// on return (also when the buffer is too small, with a non-zero status).
long regQueryValue(RegKey key, const std::string& name, char* buffer, std::uint32_t& size);

long regCloseKey(RegKey key);

// True when a 32-bit process runs on 64-bit Windows (IsWow64Process, looked up by name).
bool runsUnderWow64();

}  // namespace qb::platform
