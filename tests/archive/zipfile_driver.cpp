// Packs one file the way the backup run does: HB_ZIPFILE with the archive and the file, nothing
// else. Exit code 0 when HB_ZIPFILE said true.

#include <cstdio>
#include <vector>

#include "archive/ziparc.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: zipfile_driver ARCHIVE FILE\n");
    return 2;
  }
  const std::vector<qb::Value> args{argv[1], argv[2]};
  return qb::HB_ZIPFILE(args).logical() ? 0 : 1;
}
