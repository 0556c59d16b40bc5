// Stands in for the dump client in the system tests. What it does comes from the environment,
// so tests running at the same time do not clash:
//   QB_DUMP_MODE      "canned" (the default): a small dump naming its arguments; "large": some
//                     megabytes of rows, "large:N" about N MiB of them; all end with the closing
//                     line a complete dump has.
//                     "fail:N": nothing, exit code N; "half:N": half of the canned dump, then
//                     exit code N; "empty": nothing, exit code 0; "unclosed": the canned dump
//                     without its closing line, exit code 0; "byte": one byte, exit code 0;
//                     "hang": half of the canned dump, then a wait of ten minutes for someone to
//                     kill it, exit code 0 should nobody
//   QB_DUMP_DELAY_MS  waits this long before writing, so that runs overlap
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {
std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

const std::string kClosingLine = "-- Dump completed on 2016-04-16  1:36:42\n";

// Without the closing line.
std::string cannedDump(int argc, char** argv) {
  std::string dump = "-- fixture dump of";
  for (int i = 1; i < argc; ++i) dump += std::string(" ") + argv[i];
  dump += "\nCREATE TABLE `clientes` (`id` int NOT NULL, `nombre` varchar(40));\n";
  for (int i = 1; i <= 40; ++i)
    dump += "INSERT INTO `clientes` VALUES (" + std::to_string(i) + ",'cliente " +
            std::to_string(i * 7919 % 1000) + "');\n";
  return dump;
}

// Rows whose values vary enough that the archive is several megabytes too; 150000 rows are 9 MiB.
void writeLarge(int rows) {
  std::uint32_t state = 12345;
  std::string row;
  for (int i = 0; i < rows; ++i) {
    row = "INSERT INTO `documentos` VALUES (" + std::to_string(i) + ",'";
    for (int j = 0; j < 40; ++j) {
      state = state * 1103515245u + 12345u;
      row += static_cast<char>('a' + (state >> 16) % 26);
    }
    row += "');\n";
    std::fwrite(row.data(), 1, row.size(), stdout);
  }
}

void write(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}
}  // namespace

int main(int argc, char** argv) {
  if (const std::string delay = env("QB_DUMP_DELAY_MS"); !delay.empty())
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(delay.c_str())));
  const std::string mode = env("QB_DUMP_MODE");
  // The number after the colon: an exit code, or the size in MiB of a large dump.
  const int number =
      mode.find(':') == std::string::npos ? 0 : std::atoi(mode.c_str() + mode.find(':') + 1);
  const int code = mode.starts_with("large") ? 0 : number;
  const std::string canned = cannedDump(argc, argv);
  if (mode.empty() || mode == "canned") {
    write(canned + kClosingLine);
  } else if (mode == "large" || mode.starts_with("large:")) {
    writeLarge(mode == "large" ? 150000 : number * 16500);
    write(kClosingLine);
  } else if (mode.starts_with("fail:")) {
    std::fputs("mysqldump: Got error: 2002: Can't connect to server\n", stderr);
  } else if (mode.starts_with("half:")) {
    write(canned.substr(0, canned.size() / 2));
  } else if (mode == "unclosed") {
    write(canned);
  } else if (mode == "byte") {
    write("-");
  } else if (mode == "hang") {
    write(canned.substr(0, canned.size() / 2));
    std::this_thread::sleep_for(std::chrono::minutes(10));
  } else if (mode != "empty") {
    std::fputs(("fixture: unknown QB_DUMP_MODE " + mode + "\n").c_str(), stderr);
    return 100;
  }
  return code;
}
