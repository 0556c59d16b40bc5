#pragma once
// A registry key object: the part the processor-name probe uses (win32 only: the native build
// reads the processor's name where Linux keeps it).

#include <windows.h>

#include <optional>
#include <string>

namespace qb::platform {

class TReg32 {
 public:
  // Opens root\cRegKey with full access (64-bit view under WOW64), else read-only. The flag
  // that would show errors is accepted and not used.
  TReg32& New(HKEY root, const std::string& key, bool showErrors = false);
  // The value as text without any NUL; "" when it is missing, longer than 1024 bytes or unread.
  std::string Get(const std::string& name);
  void Close();

  std::string cRegKey;
  HKEY nHandle = nullptr;
  long nError = 0;
  std::optional<bool> lError;  // none until New; when true, Get and Close do nothing
};

}  // namespace qb::platform
