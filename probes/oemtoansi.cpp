#include "probes/oemtoansi.h"

#include "platform/win32/wide.h"

namespace qb {

std::string OEMTOANSI(const Value& text) {
  if (!text.isText()) return {};
  const std::string& source = text.text();
  const auto end = source.find('\0');
  if (end == std::string::npos) return platform::oemToAnsi(source);
  return platform::oemToAnsi(source.substr(0, end)) + source.substr(end);
}

}  // namespace qb
