// Packs one file the way the backup run does: HB_ZIPFILE with the archive and the file, nothing
// else. Exit code 0 when HB_ZIPFILE said true. Options:
//   --threads N  N workers deflate the entry instead of one per hardware thread;
//   --follow     the file is packed while another program writes it, as the run packs its dump:
//                the driver prints "following" once it follows, and the writer's end is the end
//                of its standard input; the archive is then read back and compared with the file
//                as it stands, as the run checks it, and is never packed again;
//   --check      the archive is read back; prints whether the entry holds the file whole
//                ("intact"), failing when it does not.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/archive_check.h"
#include "archive/block_threads.h"
#include "archive/dump_packer.h"
#include "archive/ziparc.h"
#include "runtime/file_names.h"

namespace {
bool follow(const std::string& zip, const std::string& file) {
  auto packer = qb::DumpPacker::start(zip, file);
  if (!packer) return false;
  std::printf("following\n");
  std::fflush(stdout);
  while (std::fgetc(stdin) != EOF) {
  }
  return packer->finish().digest.has_value();
}
}  // namespace

int main(int argc, char** argv) {
  bool check = false, following = false;
  std::vector<std::string> names;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--check")
      check = true;
    else if (arg == "--follow")
      following = true;
    else if (arg == "--threads" && i + 1 < argc)
      qb::blockThreads().count = static_cast<unsigned>(std::atoi(argv[++i]));
    else
      names.push_back(arg);
  }
  if (names.size() != 2) {
    std::fprintf(stderr, "usage: zipfile_driver [--check] [--threads N] [--follow] ARCHIVE FILE\n");
    return 2;
  }
  const std::string& zip = names[0];
  const std::string& file = names[1];
  const std::vector<qb::Value> params{zip, file};
  if (following ? !follow(zip, file) : !qb::HB_ZIPFILE(params).logical()) return 1;
  if (!check) return 0;
  const auto parts = qb::HB_FNAMESPLIT(file);
  const bool intact =
      qb::archiveHoldsWholeFile(zip, qb::HB_FNAMEMERGE("", parts.name, parts.extension, ""), file);
  std::printf("%s\n", intact ? "intact" : "damaged");
  return intact ? 0 : 3;
}
