#include "archive/zip_files.h"

#include "platform/files.h"

namespace qb {

namespace {
// The stdio modes minizip's own opening picks for its open modes.
voidpf ZCALLBACK openStream(voidpf, const void* name, int mode) {
  const char* stdioMode = nullptr;
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) == ZLIB_FILEFUNC_MODE_READ)
    stdioMode = "rb";
  else if (mode & ZLIB_FILEFUNC_MODE_EXISTING)
    stdioMode = "r+b";
  else if (mode & ZLIB_FILEFUNC_MODE_CREATE)
    stdioMode = "wb";
  if (!name || !stdioMode) return nullptr;
  return platform::openFileStream(static_cast<const char*>(name), stdioMode);
}
}  // namespace

zlib_filefunc64_def zipFileFunctions() {
  zlib_filefunc64_def functions;
  fill_fopen64_filefunc(&functions);
  functions.zopen64_file = openStream;
  return functions;
}

}  // namespace qb
