#include "runtime/file_names.h"

#include <string_view>

#include "platform/wildcard.h"

namespace qb {

namespace {
bool isSeparator(char c) {
  return c == '\\' || c == '/';
}
}  // namespace

FileNameParts HB_FNAMESPLIT(const std::string& fileName) {
  FileNameParts parts;
  const std::size_t cut = fileName.find_last_of("\\/:");
  const std::size_t rest = cut == std::string::npos ? 0 : cut + 1;
  parts.directory = fileName.substr(0, rest);
  const std::size_t colon = parts.directory.substr(0, 10).find(':');
  if (colon != std::string::npos) parts.drive = parts.directory.substr(0, colon);
  const std::size_t dot = fileName.find_last_of('.');
  if (dot != std::string::npos && dot > rest) {
    parts.name = fileName.substr(rest, dot - rest);
    parts.extension = fileName.substr(dot);
  } else {
    parts.name = fileName.substr(rest);
  }
  return parts;
}

std::string HB_FNAMEMERGE(const std::string& directory, const std::string& name,
                          const std::string& extension, const std::string& /*drive*/) {
  std::string out = directory;
  std::string_view base = name;
  if (!base.empty() && isSeparator(base.front())) base.remove_prefix(1);
  if (!out.empty() && !isSeparator(out.back()) && out.back() != ':') out += '\\';
  out += base;
  if (!extension.empty() && extension.front() != '.') out += '.';
  out += extension;
  return out;
}

bool HB_FILEMATCH(const Value& name, const Value& pattern) {
  return name.isText() && pattern.isText() &&
         platform::wildcardMatch(name.text(), pattern.text(), true);
}

bool isWildcard(const std::string& text) {
  return platform::hasWildcard(text);
}

}  // namespace qb
