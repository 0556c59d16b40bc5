#include "tests/support/scratch_folder.h"

#include <filesystem>
#include <random>
#include <stdexcept>

namespace qb::test {

namespace fs = std::filesystem;

namespace {
// Tests take folders away from themselves (no write, no search): they are given back first, or
// nothing below them could be removed.
void makeRemovable(const fs::path& folder) {
  std::error_code ignored;
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (fs::directory_iterator it(folder, ignored), end; !ignored && it != end;
       it.increment(ignored))
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) makeRemovable(it->path());
}
}  // namespace

ScratchFolder::ScratchFolder(const std::string& stem) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path folder = fs::temp_directory_path() / (stem + "_" + std::to_string(random()));
    if (fs::create_directory(folder)) {
      path_ = folder.string();
      return;
    }
  }
  throw std::runtime_error("no scratch folder for " + stem);
}

ScratchFolder::~ScratchFolder() {
  makeRemovable(path_);
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string ScratchFolder::operator/(const std::string& name) const {
  return path_ + static_cast<char>(fs::path::preferred_separator) + name;
}

}  // namespace qb::test
