#include "job/backup_names.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace qb {

namespace {
std::string twoDigits(int n) {
  char text[4];
  std::snprintf(text, sizeof text, "%02d", n % 100);
  return text;
}

// CMD splits the redirection target at a blank and acts on these outside double quotes.
std::string cmdTarget(const std::string& name) {
  return name.find_first_of(" &|<>^(),;=") == std::string::npos ? name : "\"" + name + "\"";
}

// One word for /bin/sh whatever it holds: within single quotes, each one of its own closed,
// escaped and opened again.
std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A program's name as one word for /bin/sh, quoted only where it needs to be.
std::string shellWord(const std::string& text) {
  const bool plain = !text.empty() && text.find_first_not_of(
                                          "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                          "0123456789/._+-") == std::string::npos;
  return plain ? text : shellQuoted(text);
}
}  // namespace

RunStamp runStamp(const platform::LocalTime& reading) {
  const std::string hours = twoDigits(reading.hour), minutes = twoDigits(reading.minute),
                    seconds = twoDigits(reading.second);
  const std::string date = std::to_string(reading.year) + "_" + std::to_string(reading.month) +
                           "_" + std::to_string(reading.day);
  std::string dashed = date;
  std::replace(dashed.begin(), dashed.end(), '_', '-');
  return {reading,
          hours,
          minutes,
          seconds,
          hours + ":" + minutes + ":" + seconds,
          "resp_quolmer_" + date + "_" + hours + minutes + seconds,
          dashed + " " + hours + ":" + minutes + ":" + seconds};
}

DumpNames dumpNames(platform::Shell shell, const DumpClient& client, const std::string& folder,
                    const std::string& baseName) {
  const bool cmd = shell == platform::Shell::Cmd;
  const std::string stem = folder + (cmd ? "\\" : "/") + baseName;
  const std::string sql = stem + ".sql";
  // The option file first, as the client requires. CMD leaves what stands within double quotes
  // alone but for %NAME% (folderFitsCommand), and the client's own parsing drops the quotes.
  const std::string options = (client.optionFile.empty() ? ""
                               : cmd ? " --defaults-extra-file=\"" + client.optionFile + "\""
                                     : " --defaults-extra-file=" + shellQuoted(client.optionFile)) +
                              " -uroot quolmer";
  const std::string command =
      cmd ? "CMD.EXE /C " + client.program + options + " > " + cmdTarget(sql)
          : shellWord(client.program) + options;
  return {command, sql, stem + ".zip", folder + (cmd ? "\\." : "/.") + baseName + ".zip.tmp"};
}

namespace {
// A whole number in plain decimal within [low, high], without a leading zero; -1 otherwise.
int numberIn(std::string_view digits, int low, int high) {
  if (digits.empty() || digits.size() > 4 || (digits[0] == '0' && digits.size() > 1)) return -1;
  int n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n >= low && n <= high ? n : -1;
}
}  // namespace

std::optional<BackupFileName> parseBackupFileName(const std::string& name) {
  using Kind = BackupFileName::Kind;
  std::string_view rest = name;
  Kind kind;
  if (rest.starts_with('.') && rest.ends_with(".zip.tmp")) {
    kind = Kind::temporary;
    rest = rest.substr(1, rest.size() - 9);
  } else if (rest.ends_with(".zip") || rest.ends_with(".sql")) {
    kind = rest.ends_with(".zip") ? Kind::archive : Kind::dump;
    rest.remove_suffix(4);
  } else {
    return std::nullopt;
  }
  const std::string_view baseName = rest;
  constexpr std::string_view kPrefix = "resp_quolmer_";
  if (!rest.starts_with(kPrefix)) return std::nullopt;
  rest.remove_prefix(kPrefix.size());
  // year_month_day_hhmmss
  std::array<std::string_view, 4> fields;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const auto cut = i + 1 < fields.size() ? rest.find('_') : rest.size();
    if (cut == std::string_view::npos) return std::nullopt;
    fields[i] = rest.substr(0, cut);
    rest.remove_prefix(std::min(cut + 1, rest.size()));
  }
  const std::string_view time = fields[3];
  const int year = numberIn(fields[0], 1, 9999), month = numberIn(fields[1], 1, 12),
            day = numberIn(fields[2], 1, 31);
  if (year < 0 || month < 0 || day < 0 || time.size() != 6) return std::nullopt;
  int hhmmss = 0;
  for (std::size_t i = 0; i < 6; i += 2) {  // two digits each, leading zero kept
    const auto digit = [&](std::size_t at) { return time[at] >= '0' && time[at] <= '9'; };
    const int part = (time[i] - '0') * 10 + (time[i + 1] - '0');
    if (!digit(i) || !digit(i + 1) || part > (i ? 59 : 23)) return std::nullopt;
    hhmmss = hhmmss * 100 + part;
  }
  return BackupFileName{kind, std::string(baseName), {year, month, day, hhmmss}};
}

bool folderFitsCommand(platform::Shell shell, const std::string& folder) {
  if (shell == platform::Shell::Posix) return true;
  for (unsigned char c : folder)
    if (c == '"' || c == '%' || c == '!' || c == '*' || c == '?' || c < 0x20 || c == 0x7F)
      return false;
  return true;
}

}  // namespace qb
