// Stands in, in the install scripts' test, for a Windows command that Wine lacks or cannot run as
// Windows does: appends its own name and the arguments cmd gave it, as one line, to the file
// QB_COMMAND_LOG, and ends with the exit code in QB_COMMAND_EXIT_<NAME> (0 when unset). Copied as
// fltmc.exe, icacls.exe, schtasks.exe and powershell.exe into a folder that comes first in PATH.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

int main() {
  // The first word is the program as cmd found it; the rest is what the script wrote.
  const std::string line = GetCommandLineA();
  std::size_t at = line.empty() || line[0] != '"' ? line.find_first_of(" \t") : line.find('"', 1);
  if (at != std::string::npos && line[at] == '"') ++at;
  std::string rest = at == std::string::npos ? "" : line.substr(at);
  rest.erase(0, rest.find_first_not_of(" \t"));
  rest.erase(rest.find_last_not_of(" \t") + 1);

  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name(path, n);
  name = name.substr(name.find_last_of("\\/") + 1);
  name = name.substr(0, name.rfind('.'));
  std::string upper;
  for (char& c : name) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }

  const char* log = std::getenv("QB_COMMAND_LOG");
  FILE* f = log ? std::fopen(log, "ab") : nullptr;
  if (!f) return 99;
  std::fprintf(f, "%s%s%s\n", name.c_str(), rest.empty() ? "" : " ", rest.c_str());
  std::fclose(f);
  const char* code = std::getenv(("QB_COMMAND_EXIT_" + upper).c_str());
  return code ? std::atoi(code) : 0;
}
