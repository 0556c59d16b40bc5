#include "archive/minizip_io.h"

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

// Creating opens the file as it stands, for writing from its start.
voidpf ZCALLBACK openStreamKeeping(voidpf opaque, const void* name, int mode) {
  if (mode & ZLIB_FILEFUNC_MODE_CREATE)
    mode = (mode & ~ZLIB_FILEFUNC_MODE_CREATE) | ZLIB_FILEFUNC_MODE_EXISTING;
  return openStream(opaque, name, mode);
}

const zlib_filefunc64_def& stdioFunctions() {
  static const zlib_filefunc64_def functions = [] {
    zlib_filefunc64_def stdio;
    fill_fopen64_filefunc(&stdio);
    return stdio;
  }();
  return functions;
}

// Called right after the failed call, before anything else can change the last error. Later
// failures are most often the first one's consequences.
void noteFailure(voidpf failure) {
  auto* text = static_cast<std::string*>(failure);
  if (text && text->empty()) *text = platform::lastErrorText();
}

// Each time the archive passes a multiple of this many bytes, what was written so far starts on
// its way to the disk while the packing goes on: forcing the archive to disk at the end then waits
// for little more than its last pages.
constexpr ZPOS64_T kWriteBehind = 8 << 20;

uLong ZCALLBACK writeStream(voidpf failure, voidpf stream, const void* buffer, uLong size) {
  const zlib_filefunc64_def& stdio = stdioFunctions();
  const uLong written = stdio.zwrite_file(stdio.opaque, stream, buffer, size);
  if (written != size) {
    noteFailure(failure);
  } else if (stdio.ztell64_file(stdio.opaque, stream) % kWriteBehind < written &&
             !platform::startWriteBack(static_cast<std::FILE*>(stream))) {
    noteFailure(failure);
    return 0;
  }
  return written;
}

long ZCALLBACK seekStream(voidpf failure, voidpf stream, ZPOS64_T offset, int origin) {
  const zlib_filefunc64_def& stdio = stdioFunctions();
  const long result = stdio.zseek64_file(stdio.opaque, stream, offset, origin);
  if (result != 0) noteFailure(failure);
  return result;
}

// Closing writes what the stream still buffers.
int ZCALLBACK closeStream(voidpf failure, voidpf stream) {
  const zlib_filefunc64_def& stdio = stdioFunctions();
  const int result = stdio.zclose_file(stdio.opaque, stream);
  if (result != 0) noteFailure(failure);
  return result;
}
}  // namespace

zlib_filefunc64_def minizipIo(std::string* failure, bool keepContent) {
  zlib_filefunc64_def functions = stdioFunctions();
  functions.zopen64_file = keepContent ? openStreamKeeping : openStream;
  functions.zwrite_file = writeStream;
  functions.zseek64_file = seekStream;
  functions.zclose_file = closeStream;
  functions.opaque = failure;
  return functions;
}

}  // namespace qb
