// Stands in for the dump client in the benchmark's runs without a server: it writes the file
// named by QB_BENCH_DUMP to standard output, byte for byte. With QB_BENCH_RATE (bytes a second)
// it keeps to that steady rate, as a slow server would, in writes of 64 KiB; without, it writes
// as fast as it can in writes of 1 MiB. Built by bench/whole_run/run for both targets.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
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
  const char* rateText = std::getenv("QB_BENCH_RATE");
  const double rate = rateText ? std::atof(rateText) : 0;
  std::FILE* in = name ? std::fopen(name, "rb") : nullptr;
  if (!in || (rateText && rate <= 0)) {
    std::fprintf(stderr, "stream_dump: cannot open QB_BENCH_DUMP, or QB_BENCH_RATE not positive\n");
    return 1;
  }
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::vector<char> buffer(rate > 0 ? 1 << 16 : 1 << 20);
  const auto start = std::chrono::steady_clock::now();
  double sent = 0;
  std::size_t got = 0;
  bool written = true;
  while (written && (got = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
    written = std::fwrite(buffer.data(), 1, got, stdout) == got;
    sent += static_cast<double>(got);
    // The next write waits until the rate allows it.
    if (rate > 0)
      std::this_thread::sleep_until(start + std::chrono::duration_cast<std::chrono::nanoseconds>(
                                                std::chrono::duration<double>(sent / rate)));
  }
  const bool ok = written && !std::ferror(in);
  std::fclose(in);
  return ok ? 0 : 1;
}
