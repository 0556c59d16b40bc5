#include "platform/search_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace qb::platform {

namespace {
bool runnable(const std::string& name) {
  struct stat st;
  return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(name.c_str(), X_OK) == 0;
}

// PATH, or the system's own default where it is unset, as the shell takes it.
std::string searchPath() {
  if (const char* path = std::getenv("PATH")) return path;
  std::string path(::confstr(_CS_PATH, nullptr, 0), '\0');
  if (!path.empty()) ::confstr(_CS_PATH, path.data(), path.size());
  return path.c_str();
}
}  // namespace

std::string findProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return runnable(name) ? name : std::string();
  const std::string path = searchPath();
  std::string_view rest = path;
  while (!rest.empty()) {
    const auto cut = rest.find(':');
    const std::string_view folder = rest.substr(0, cut);
    rest.remove_prefix(cut == std::string_view::npos ? rest.size() : cut + 1);
    // A folder relative to wherever the program was started from names no program of its own.
    if (!folder.starts_with('/')) continue;
    const std::string candidate = std::string(folder) + (folder.ends_with('/') ? "" : "/") + name;
    if (runnable(candidate)) return candidate;
  }
  return {};
}

}  // namespace qb::platform
