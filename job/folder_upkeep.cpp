#include "job/folder_upkeep.h"

#include <algorithm>

#include "archive/archive_check.h"
#include "job/backup_names.h"
#include "platform/console.h"
#include "platform/files.h"

namespace qb {

namespace {
using Kind = BackupFileName::Kind;

struct Found {
  BackupFileName name;
  platform::FolderEntry entry;
};

// The folder's plain files that bear one of this program's names. A hidden archive or dump is
// none; a temporary archive is one, hidden or not, since a run hides it only once it is made.
std::vector<Found> backupFiles(const std::string& folder) {
  std::vector<Found> out;
  for (auto& entry : platform::folderEntries(folder)) {
    const auto name = parseBackupFileName(entry.name);
    if (entry.plain && name && (name->kind == Kind::temporary || !entry.hidden))
      out.push_back({*name, std::move(entry)});
  }
  return out;
}

// The number of newest archives a folder keeps, from the keep values that apply to it: the larger
// of those set. `invalid` names one set that is not a whole number of at least 1.
struct KeepRule {
  std::optional<std::size_t> count;
  std::string invalid;
};

// False when the file could not be read.
bool readKeepRule(TIni& ini, const std::vector<std::string>& keys, KeepRule& rule) {
  rule = {};
  for (const std::string& key : keys) {
    std::string unreadable;
    const std::string text = ini.Get("CONFIG", key, {}, {}, &unreadable).text();
    if (!unreadable.empty()) return false;
    if (text.empty()) continue;
    const auto count = keepCount(text);
    if (!count) {
      rule = {std::nullopt, key + "=" + text};
      return true;
    }
    rule.count = std::max(rule.count.value_or(0), *count);
  }
  return true;
}

bool present(const std::vector<Found>& files, const std::string& baseName, Kind kind) {
  return std::any_of(files.begin(), files.end(), [&](const Found& f) {
    return f.name.kind == kind && f.name.baseName == baseName;
  });
}
}  // namespace

void removeLeftovers(const std::string& folder) {
  const std::string in = folder + platform::pathSeparator();
  const auto files = backupFiles(folder);
  for (const Found& f : files) {
    const std::string dump = in + f.name.baseName + ".sql";
    if (f.name.kind == Kind::archive || platform::fileInUse(dump)) continue;  // a run still going
    if (f.name.kind == Kind::temporary) {
      platform::deleteFile(in + f.entry.name);
    } else if (present(files, f.name.baseName, Kind::archive)) {
      if (archiveHoldsWholeFile(in + f.name.baseName + ".zip", f.entry.name, dump))
        platform::deleteFile(dump);
    }
  }
}

std::optional<std::size_t> keepCount(const std::string& text) {
  if (text.empty() || text.size() > 9 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const auto n = static_cast<std::size_t>(std::stoul(text));
  return n >= 1 ? std::optional(n) : std::nullopt;
}

std::vector<std::string> pruneArchives(const std::string& folder, std::size_t keep,
                                       const std::string& ownArchive) {
  const std::string in = folder + platform::pathSeparator();
  std::vector<Found> archives = backupFiles(folder);
  std::erase_if(archives, [](const Found& f) { return f.name.kind != Kind::archive; });
  const auto own = std::find_if(archives.begin(), archives.end(),
                                [&](const Found& f) { return f.entry.name == ownArchive; });
  if (own == archives.end()) return {};
  const Found ours = *own;
  // A planted empty file or a stray download under an archive's name, or another account's file in
  // a shared folder, is none of this run's to count or delete. Dated after this run's own, an
  // archive is kept and not counted: the clock once ran ahead, and counted it would push out the
  // real ones.
  std::vector<std::string> later;
  std::erase_if(archives, [&](const Found& f) {
    if (f.entry.owner != ours.entry.owner || !opensAsArchive(in + f.entry.name)) return true;
    if (f.name.stamp <= ours.name.stamp) return false;
    later.push_back(f.entry.name);
    return true;
  });
  std::sort(archives.begin(), archives.end(),
            [](const Found& a, const Found& b) { return a.name.stamp > b.name.stamp; });
  for (std::size_t i = keep; i < archives.size(); ++i)
    if (archives[i].entry.name != ownArchive) platform::deleteFile(in + archives[i].entry.name);
  std::sort(later.begin(), later.end());
  return later;
}

void pruneAsAsked(BackupHost& host, TIni& ini, const std::string& destination, bool sharedFolder,
                  const std::string& folder, const std::string& ownArchive,
                  const std::string& timestamp) {
  std::vector<std::string> keys{destination + ".keep"};
  if (sharedFolder)
    keys.push_back(destination == "principal" ? "secundario.keep" : "principal.keep");
  KeepRule rule;
  if (!retried(host, [&] { return readKeepRule(ini, keys, rule); })) return;
  if (!rule.invalid.empty()) {
    platform::writeDiagnostic(platform::Diagnostic::warning,
                              timestamp + ": " + rule.invalid +
                                  " is not a whole number of at least 1: no archive is deleted\n");
    return;
  }
  if (!rule.count) return;
  std::string later;
  for (const auto& name : pruneArchives(folder, *rule.count, ownArchive))
    later += (later.empty() ? "" : ", ") + name;
  if (!later.empty())
    platform::writeDiagnostic(platform::Diagnostic::warning,
                              timestamp + ": archives in " + folder +
                                  " dated after this run are kept and not counted among the " +
                                  std::to_string(*rule.count) +
                                  " newest (move them away if the clock once ran ahead): " + later +
                                  "\n");
}

}  // namespace qb
