#pragma once
// A fresh folder for one test's files, under the system's temporary folder.

#include <string>

namespace qb::test {

class ScratchFolder {
 public:
  // A new, empty folder named after the stem and made unique; it goes, with everything in it
  // (read-only entries too), when the object goes.
  explicit ScratchFolder(const std::string& stem);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder, without a trailing separator.
  const std::string& path() const { return path_; }
  // A name in the folder, joined with the system's separator.
  std::string operator/(const std::string& name) const;

 private:
  std::string path_;
};

}  // namespace qb::test
