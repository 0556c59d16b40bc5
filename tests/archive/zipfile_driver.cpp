// Packs one file the way the backup run does: HB_ZIPFILE with the archive and the file, nothing
// else. Exit code 0 when HB_ZIPFILE said true. With --check it then reads the archive back and
// prints whether the entry holds the file whole ("intact"), failing when it does not. --threads N
// has N workers deflate the entry instead of one per hardware thread.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/archive_check.h"
#include "archive/deflate_threads.h"
#include "archive/file_digest.h"
#include "archive/file_names.h"
#include "archive/ziparc.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const bool check = !args.empty() && args[0] == "--check";
  if (check) args.erase(args.begin());
  if (args.size() == 4 && args[0] == "--threads") {
    qb::deflateThreads().count = static_cast<unsigned>(std::atoi(args[1].c_str()));
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: zipfile_driver [--check] [--threads N] ARCHIVE FILE\n");
    return 2;
  }
  const std::string& zip = args[0];
  const std::string& file = args[1];
  const auto digest = check ? qb::digestFile(file) : std::nullopt;
  const std::vector<qb::Value> params{zip, file};
  if (!qb::HB_ZIPFILE(params).logical()) return 1;
  if (!check) return 0;
  const auto parts = qb::HB_FNAMESPLIT(file);
  const bool intact =
      digest && qb::archiveHoldsIntact(zip, qb::HB_FNAMEMERGE("", parts.name, parts.extension, ""),
                                       digest->size, digest->crc32);
  std::printf("%s\n", intact ? "intact" : "damaged");
  return intact ? 0 : 3;
}
