#include "job/command_line.h"

#include <optional>

namespace qb {

namespace {
constexpr std::size_t kMaxArguments = 127;  // the vector's 128 slots less the program's own

bool isBlankOrTab(char c) {
  return c == ' ' || c == '\t';
}
bool isSeparator(char c) {
  return isBlankOrTab(c) || c == '\r' || c == '\n';
}

// Where the argument text starts: after the program name and the blanks that follow it.
std::size_t argumentStart(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && isBlankOrTab(line[i])) ++i;
  if (i < line.size() && line[i] == '"') {
    ++i;
    while (i < line.size() && line[i] != '"' && line[i] != '\t') ++i;
    if (i < line.size() && line[i] == '"') ++i;
  } else {
    while (i < line.size() && !isBlankOrTab(line[i])) ++i;
  }
  while (i < line.size() && isBlankOrTab(line[i])) ++i;
  return i;
}
}  // namespace

std::vector<std::string> splitCommandLine(std::string_view commandLine) {
  std::vector<std::string> args;
  std::optional<std::string> open;
  bool quoted = false;
  for (std::size_t i = argumentStart(commandLine);
       i < commandLine.size() && args.size() < kMaxArguments; ++i) {
    const char c = commandLine[i];
    if (c == '"') {
      quoted = !quoted;
      if (!open) open.emplace();
    } else if (!quoted && isSeparator(c)) {
      if (open) args.push_back(std::move(*open)), open.reset();
    } else {
      if (!open) open.emplace();
      open->push_back(c);
    }
  }
  if (open && args.size() < kMaxArguments) args.push_back(std::move(*open));
  return args;
}

bool isRuntimeSwitch(std::string_view argument) {
  if (argument.starts_with("//")) return true;
  if (argument.size() < 5) return false;
  static constexpr std::string_view kPrefix = "--hb:";
  for (std::size_t i = 0; i < kPrefix.size(); ++i) {
    char c = argument[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kPrefix[i]) return false;
  }
  return true;
}

}  // namespace qb
