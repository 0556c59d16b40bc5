#include "archive/minizip_io.h"

#include "platform/files.h"

namespace qb {

namespace {
// The first failure is kept: later ones are most often its consequences.
void note(voidpf failure, const platform::Outcome& outcome) {
  auto* text = static_cast<std::string*>(failure);
  if (text && text->empty()) *text = outcome.why;
}

// The stdio modes minizip's own opening picks for its open modes.
voidpf ZCALLBACK openStream(voidpf failure, const void* name, int mode) {
  const char* stdioMode = nullptr;
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) == ZLIB_FILEFUNC_MODE_READ)
    stdioMode = "rb";
  else if (mode & ZLIB_FILEFUNC_MODE_EXISTING)
    stdioMode = "r+b";
  else if (mode & ZLIB_FILEFUNC_MODE_CREATE)
    stdioMode = "wb";
  if (!name || !stdioMode) return nullptr;
  platform::Outcome opened;
  std::FILE* stream =
      platform::openFileStream(static_cast<const char*>(name), stdioMode, &opened.why);
  note(failure, opened);
  return stream;
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

// Each time the archive passes a multiple of this many bytes, what was written so far starts on
// its way to the disk while the packing goes on: forcing the archive to disk at the end then waits
// for little more than its last pages.
constexpr ZPOS64_T kWriteBehind = 8 << 20;

uLong ZCALLBACK writeStream(voidpf failure, voidpf stream, const void* buffer, uLong size) {
  auto* file = static_cast<std::FILE*>(stream);
  platform::Outcome written = platform::writeToStream(file, buffer, size);
  const zlib_filefunc64_def& stdio = stdioFunctions();
  if (written && stdio.ztell64_file(stdio.opaque, stream) % kWriteBehind < size)
    written = platform::startWriteBack(file);
  note(failure, written);
  return written ? size : 0;
}

long ZCALLBACK seekStream(voidpf failure, voidpf stream, ZPOS64_T offset, int origin) {
  // minizip's origins are fseek's.
  static_assert(ZLIB_FILEFUNC_SEEK_SET == SEEK_SET && ZLIB_FILEFUNC_SEEK_CUR == SEEK_CUR &&
                ZLIB_FILEFUNC_SEEK_END == SEEK_END);
  const platform::Outcome moved = platform::seekStream(static_cast<std::FILE*>(stream),
                                                       static_cast<std::int64_t>(offset), origin);
  note(failure, moved);
  return moved ? 0 : -1;
}

int ZCALLBACK closeStream(voidpf failure, voidpf stream) {
  const platform::Outcome closed = platform::closeStream(static_cast<std::FILE*>(stream));
  note(failure, closed);
  return closed ? 0 : EOF;
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
