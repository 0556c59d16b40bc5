#include "job/backup_names.h"

#include <cstdio>

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
}  // namespace

std::string clockText(const platform::LocalTime& reading) {
  return twoDigits(reading.hour) + ":" + twoDigits(reading.minute) + ":" +
         twoDigits(reading.second);
}

std::string backupBaseName(const NameStamp& s) {
  return "resp_quolmer_" + std::to_string(s.year) + "_" + std::to_string(s.month) + "_" +
         std::to_string(s.day) + "_" + s.hours + s.minutes + s.seconds;
}

std::string backupTimestamp(const NameStamp& s) {
  return std::to_string(s.year) + "-" + std::to_string(s.month) + "-" + std::to_string(s.day) +
         " " + s.hours + ":" + s.minutes + ":" + s.seconds;
}

DumpNames dumpNames(platform::Shell shell, const std::string& folder, const std::string& baseName) {
  const bool cmd = shell == platform::Shell::Cmd;
  const std::string stem = folder + (cmd ? "\\" : "/") + baseName;
  const std::string sql = stem + ".sql";
  const std::string command =
      cmd ? "CMD.EXE /C c:\\xampp\\mysql\\bin\\mysqldump.exe -uroot quolmer > " + cmdTarget(sql)
          : "/opt/lampp/bin/mysqldump -uroot quolmer";
  return {command, sql, stem + ".zip"};
}

bool folderFitsCommand(platform::Shell shell, const std::string& folder) {
  if (shell == platform::Shell::Posix) return true;
  for (unsigned char c : folder)
    if (c == '"' || c == '%' || c == '!' || c < 0x20 || c == 0x7F) return false;
  return true;
}

}  // namespace qb
