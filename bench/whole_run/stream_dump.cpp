// Stands in for the dump client when the win32 program's whole run under Wine is set beside the
// native one: it writes the file named by QB_BENCH_DUMP, a dump the real client made, to standard
// output, byte for byte, so both programs pack the same dump. Built by bench/whole_run/run for
// both targets.
#include <cstdio>
#include <cstdlib>
#include <vector>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main() {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);  // no CR before each LF
#endif
  const char* name = std::getenv("QB_BENCH_DUMP");
  std::FILE* in = name ? std::fopen(name, "rb") : nullptr;
  if (!in) {
    std::fprintf(stderr, "stream_dump: cannot open QB_BENCH_DUMP\n");
    return 1;
  }
  std::vector<char> buffer(1 << 20);
  std::size_t got = 0;
  bool written = true;
  while (written && (got = std::fread(buffer.data(), 1, buffer.size(), in)) > 0)
    written = std::fwrite(buffer.data(), 1, got, stdout) == got;
  const bool ok = written && !std::ferror(in) && std::fflush(stdout) == 0;
  std::fclose(in);
  return ok ? 0 : 1;
}
