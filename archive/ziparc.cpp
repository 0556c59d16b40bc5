#include "archive/ziparc.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "archive/entry_packing.h"
#include "archive/minizip_archive.h"
#include "platform/files.h"
#include "runtime/error.h"
#include "runtime/file_names.h"
#include "runtime/frames.h"
#include "runtime/module_state.h"
#include "runtime/parameters.h"

namespace qb {

namespace {
constexpr std::size_t kMaxBuffer = 32768;
ModuleStatic<std::size_t> g_bufferSize(StateOf::Program, kMaxBuffer);
ModuleStatic<std::optional<std::string>> g_comment(StateOf::Program);

// One text, or the items of a list; anything else gives nothing.
std::vector<Value> listOf(const Value& v) {
  if (v.isText()) return {v};
  if (const auto* items = std::get_if<Array>(&v); items && *items) return **items;
  return {};
}

bool excluded(const Value& name, const std::vector<Value>& exclusions) {
  return std::any_of(exclusions.begin(), exclusions.end(),
                     [&](const Value& e) { return HB_FILEMATCH(name, e); });
}

// Headed by the archive's own name, so a pattern that finds the archive does not store it.
std::vector<Value> exclusionList(const std::string& zipName, const Value& exclusions) {
  const FileNameParts own = HB_FNAMESPLIT(zipName);
  std::vector<Value> out{HB_FNAMEMERGE("", own.name, own.extension, "")};
  for (const Value& e : listOf(exclusions)) {
    if (!e.isText() || !isWildcard(e.text())) {
      out.push_back(e);
      continue;
    }
    for (const auto& found : platform::listFiles(e.text())) out.push_back(found.name);
  }
  return out;
}

// A listing gives bare names: they are matched bare, and opened in their pattern's folder.
std::vector<Value> filesToProcess(const Value& files, const std::vector<Value>& exclusions) {
  std::vector<Value> out;
  for (const Value& f : listOf(files)) {
    if (!f.isText() || !isWildcard(f.text())) {
      if (!excluded(f, exclusions)) out.push_back(f);
      continue;
    }
    const std::string folder = HB_FNAMESPLIT(f.text()).directory;
    for (const auto& found : platform::listFiles(f.text()))
      if (!excluded(found.name, exclusions)) out.push_back(folder + found.name);
  }
  return out;
}

}  // namespace

Value HB_ZIPFILE(std::span<const Value> params) {
  Frame frame("HB_ZIPFILE", "ziparc", framed(params));
  QB_AT(frame);
  const Value& nameArg = param(params, 1);
  if (!nameArg.isText()) {
    raiseArgumentError("HB_ZIPFILE", {params.begin(), params.end()});
    return false;
  }
  std::string zipName = nameArg.text();
  if (HB_FNAMESPLIT(zipName).extension.empty()) zipName += ".zip";

  const bool overwrite = param(params, 5).logical();
  if (overwrite && platform::isPlainFile(zipName)) platform::deleteFile(zipName);
  const bool extend = !overwrite && platform::isPlainFile(zipName);
  const auto archive =
      MinizipArchive::open(zipName, extend ? APPEND_STATUS_ADDINZIP : APPEND_STATUS_CREATE);
  if (!archive) return false;

  const auto exclusions = exclusionList(zipName, param(params, 11));
  const auto files = filesToProcess(param(params, 2), exclusions);
  Packing how;
  if (param(params, 3).isNumber()) how.level = toInt32(param(params, 3).number());
  how.perChunk = param(params, 9);
  if (param(params, 6).isText() && !param(params, 6).text().empty())
    how.password = param(params, 6).text();
  how.withPath = param(params, 7).logical();

  std::vector<char> buffer(*g_bufferSize);
  int ordinal = 1;
  for (const Value& file : files) {
    const auto input = file.isText() ? platform::InputFile::open(file.text()) : nullptr;
    if (!input) continue;
    QB_AT(frame);
    callBack(param(params, 4), {file, ordinal++});
    packFile(*archive, file.text(), *input, how, buffer);
  }
  archive->close(*g_comment ? &**g_comment : nullptr);
  return true;
}

ZipSettings zipSettings() {
  return {*g_bufferSize, *g_comment};
}

Value HB_SETBUFFER(std::span<const Value> params) {
  const Value& size = param(params, 3);
  if (size.isNumber() && size.number() >= 1)
    *g_bufferSize =
        static_cast<std::size_t>(std::min(size.number(), static_cast<double>(kMaxBuffer)));
  return {};
}

Value HB_SETZIPCOMMENT(std::span<const Value> params) {
  const Value& comment = param(params, 1);
  if (comment.isNil()) g_comment->reset();
  if (comment.isText()) *g_comment = comment.text();
  return {};
}

Value HB_ZIPFILEBYTDSPAN(std::span<const Value> params) {
  std::vector<Value> args(params.begin(), params.end());
  if (args.size() >= 7) args.erase(args.begin() + 6);
  HB_ZIPFILE(args);
  return {};
}

Value HB_ZIPFILEBYPKSPAN(std::span<const Value> params) {
  HB_ZIPFILE(params);
  return {};
}

}  // namespace qb
