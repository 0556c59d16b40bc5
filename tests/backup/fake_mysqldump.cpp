// Stands in for the dump client in the system tests. What it does comes from the environment,
// so tests running at the same time do not clash:
//   QB_DUMP_MODE      "canned" (the default): a small dump naming its arguments; "large": some
//                     megabytes of rows, "large:N" about N MiB of them; all end with the closing
//                     line a complete dump has.
//                     "fail:N": nothing, exit code N; "half:N": half of the canned dump, then
//                     exit code N; "empty": nothing, exit code 0; "unclosed": the canned dump
//                     without its closing line, exit code 0; "byte": one byte, exit code 0;
//                     "hang": half of the canned dump, then a wait of ten minutes for someone to
//                     kill it, exit code 0 should nobody; "leave:cut" and "leave:add": the large
//                     dump, exit code 0, and a process left running that cuts the dump to half,
//                     or adds a statement after its closing line, a moment later (while a run
//                     would still be packing what it read)
//   QB_DUMP_DELAY_MS  waits this long before writing, so that runs overlap
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

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

// The left process's work, on the standard output it shares with the client, once the client has
// long ended.
void changeLater(const std::string& how, long half) {
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  if (how == "add") {
    write("INSERT INTO `clientes` VALUES (41,'tarde');\n");
    return;
  }
#ifdef _WIN32
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  SetFilePointer(out, half, nullptr, FILE_BEGIN);
  SetEndOfFile(out);
#else
  if (::ftruncate(STDOUT_FILENO, half) != 0) std::perror("fixture: ftruncate");
#endif
}

// Starts a process that outlives this one and changes the dump after it.
void leaveBehind(const std::string& how, long half) {
#ifdef _WIN32
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  SetEnvironmentVariableA("QB_DUMP_MODE", ("later:" + how + ":" + std::to_string(half)).c_str());
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(self, self, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
    std::fputs("fixture: cannot start the left process\n", stderr);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
#else
  if (::fork() == 0) {
    changeLater(how, half);
    std::_Exit(0);
  }
#endif
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
  } else if (mode.starts_with("leave:")) {
    writeLarge(150000);
    write(kClosingLine);
    leaveBehind(mode.substr(6), 4 << 20);
  } else if (mode.starts_with("later:")) {
    const auto cut = mode.rfind(':');
    changeLater(mode.substr(6, cut - 6), std::atol(mode.c_str() + cut + 1));
  } else if (mode != "empty") {
    std::fputs(("fixture: unknown QB_DUMP_MODE " + mode + "\n").c_str(), stderr);
    return 100;
  }
  return code;
}
