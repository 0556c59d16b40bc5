#include "job/closing_line.h"

#include <algorithm>

#include "platform/files.h"

namespace qb {

bool endsWithClosingLine(std::string_view tail, bool whole) {
  if (tail.ends_with('\n')) tail.remove_suffix(1);
  const auto cut = tail.rfind('\n');
  if (cut == std::string_view::npos && !whole) return false;
  const std::string_view last = cut == std::string_view::npos ? tail : tail.substr(cut + 1);
  return last.starts_with("-- Dump completed");
}

bool dumpIsComplete(const std::string& name) {
  const auto file = platform::InputFile::open(name);
  if (!file) return false;
  const std::uint64_t size = file->size();
  const std::uint64_t from = size - std::min<std::uint64_t>(size, kDumpTail);
  if (!file->seek(from)) return false;
  std::string tail(kDumpTail, '\0');
  tail.resize(file->readFully(tail.data(), tail.size()));
  return !file->failed() && endsWithClosingLine(tail, from == 0);
}

}  // namespace qb
