#pragma once
// A registry key object: the part the processor-name probe uses.

#include <string>

#include "platform/registry.h"
#include "runtime/value.h"

namespace qb {

class TReg32 {
 public:
  // Opens root\cRegKey with full access (64-bit view under WOW64), else read-only. The flag
  // that would show errors is accepted and not used.
  TReg32& New(platform::RegKey root, const std::string& key, bool showErrors = false);
  // The value as text without any NUL; "" when it is missing, longer than 1024 bytes or unread.
  std::string Get(const std::string& name);
  void Close();

  std::string cRegKey;
  platform::RegKey nHandle = 0;
  long nError = 0;
  Value lError;  // nil until New; when true, Get and Close do nothing
};

}  // namespace qb
