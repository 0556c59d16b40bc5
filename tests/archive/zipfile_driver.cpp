// Packs one file the way the backup run does: HB_ZIPFILE with the archive and the file, nothing
// else. Exit code 0 when HB_ZIPFILE said true. With --check it then reads the archive back and
// prints whether the entry holds the file whole ("intact"), failing when it does not.

#include <cstdio>
#include <string>
#include <vector>

#include "archive/archive_check.h"
#include "archive/file_digest.h"
#include "archive/file_names.h"
#include "archive/ziparc.h"

int main(int argc, char** argv) {
  const bool check = argc == 4 && std::string(argv[1]) == "--check";
  if (argc != (check ? 4 : 3)) {
    std::fprintf(stderr, "usage: zipfile_driver [--check] ARCHIVE FILE\n");
    return 2;
  }
  const std::string zip = argv[check ? 2 : 1];
  const std::string file = argv[check ? 3 : 2];
  const auto digest = check ? qb::digestFile(file) : std::nullopt;
  const std::vector<qb::Value> args{zip, file};
  if (!qb::HB_ZIPFILE(args).logical()) return 1;
  if (!check) return 0;
  const auto parts = qb::HB_FNAMESPLIT(file);
  const bool intact =
      digest && qb::archiveHoldsIntact(zip, qb::HB_FNAMEMERGE("", parts.name, parts.extension, ""),
                                       digest->size, digest->crc32);
  std::printf("%s\n", intact ? "intact" : "damaged");
  return intact ? 0 : 3;
}
