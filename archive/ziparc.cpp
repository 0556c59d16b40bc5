#include "archive/ziparc.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "archive/arguments.h"
#include "archive/deflate_threads.h"
#include "archive/file_digest.h"
#include "archive/file_names.h"
#include "archive/parallel_deflate.h"
#include "archive/zip_archive.h"
#include "platform/files.h"
#include "runtime/error.h"
#include "runtime/frames.h"
#include "runtime/module_state.h"

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

// A kept folder is written as the zip format wants it: no drive, '/' between parts, not rooted.
std::string storedName(const std::string& fileName, bool withPath) {
  const FileNameParts parts = HB_FNAMESPLIT(fileName);
  if (!withPath) return HB_FNAMEMERGE("", parts.name, parts.extension, "");
  std::string name = HB_FNAMEMERGE(parts.directory, parts.name, parts.extension, parts.drive);
  if (!parts.drive.empty()) name.erase(0, parts.drive.size() + 1);
  std::replace(name.begin(), name.end(), '\\', '/');
  name.erase(0, name.find_first_not_of('/'));
  return name;
}

// Entries of 4 GiB and more need ZIP64 sizes in their local header, which only an entry opened
// for them has room for. Deflate may grow data slightly and encryption adds 12 bytes, so files
// just under the limit get the room too.
bool needsZip64(std::uint64_t size) {
  return size + size / 2048 + 64 >= 0xFFFFFFFFu;
}

void callBack(const Value& block, std::vector<Value> args) {
  if (const auto* body = std::get_if<Block>(&block); body && *body) (**body)(args);
}

struct Packing {
  int level;
  Value perFile;
  Value perChunk;
  std::optional<std::string> password;
  bool withPath;
};

// The data loop: the file in chunks of the buffer's size, each announced before it is used.
template <typename Use>
void readChunks(platform::InputFile& input, const Packing& how, std::vector<char>& buffer,
                std::uint64_t size, Use use) {
  double readSoFar = 0;
  while (const std::size_t got = input.read(buffer.data(), buffer.size())) {
    readSoFar += static_cast<double>(got);
    callBack(how.perChunk, {readSoFar, static_cast<double>(size)});
    use(buffer.data(), got);
  }
}

// A deflated entry into the archive, opened raw once the verdict on text is in.
class DeflatedEntry final : public DeflatedEntrySink {
 public:
  DeflatedEntry(ZipArchive& archive, EntryHeader header)
      : archive_(archive), header_(std::move(header)) {}
  void begin(bool text) override {
    header_.raw = true;
    header_.internalAttributes = text ? 1 : 0;
    archive_.openEntry(header_);
  }
  void write(std::span<const unsigned char> bytes) override {
    archive_.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<unsigned>(bytes.size()));
  }
  void end(std::uint64_t size, std::uint32_t crc32) override {
    archive_.closeRawEntry(size, crc32);
  }

 private:
  ZipArchive& archive_;
  EntryHeader header_;
};

// Deflated on every core. Entries with a password, and levels the compressor refuses, take the
// entry writer's own path, as does an entry zlib cannot set up streams for.
bool packInParallel(ZipArchive& archive, const EntryHeader& header, platform::InputFile& input,
                    const Packing& how, std::vector<char>& buffer) {
  if (how.password || !isDeflateLevel(how.level)) return false;
  DeflatedEntry entry(archive, header);
  ParallelDeflate deflate(how.level, deflateThreads(), entry);
  if (!deflate.ready()) return false;
  const auto add = [&](const char* data, std::size_t count) {
    deflate.add(reinterpret_cast<const unsigned char*>(data), count);
  };
  try {
    readChunks(input, how, buffer, input.size(), add);
  } catch (...) {
    // Unwinding from a callback: what was read stays a complete entry, as the entry writer's
    // open entry is completed when the archive is closed.
    deflate.finish();
    throw;
  }
  deflate.finish();
  return true;
}

void packFile(ZipArchive& archive, const Value& file, platform::InputFile& input,
              const Packing& how, std::vector<char>& buffer) {
  EntryHeader header;
  header.name = storedName(file.text(), how.withPath);
  header.level = how.level;
  const std::uint64_t size = input.size();
  header.zip64 = needsZip64(size);
  if (packInParallel(archive, header, input, how, buffer)) return;
  if (how.password) {
    header.password = how.password;
    const auto digest = digestFile(file.text());
    header.crcForCrypting = digest ? digest->crc32 : 0;
  }
  archive.openEntry(header);
  readChunks(input, how, buffer, size, [&](const char* data, std::size_t count) {
    archive.write(data, static_cast<unsigned>(count));
  });
  archive.closeEntry();
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
      ZipArchive::open(zipName, extend ? APPEND_STATUS_ADDINZIP : APPEND_STATUS_CREATE);
  if (!archive) return false;

  const auto exclusions = exclusionList(zipName, param(params, 11));
  const auto files = filesToProcess(param(params, 2), exclusions);
  Packing how{
      param(params, 3).isNumber() ? toInt32(param(params, 3).number()) : Z_DEFAULT_COMPRESSION,
      param(params, 4), param(params, 9), std::nullopt, param(params, 7).logical()};
  if (param(params, 6).isText() && !param(params, 6).text().empty())
    how.password = param(params, 6).text();

  std::vector<char> buffer(*g_bufferSize);
  int ordinal = 1;
  for (const Value& file : files) {
    const auto input = file.isText() ? platform::InputFile::open(file.text()) : nullptr;
    if (!input) continue;
    QB_AT(frame);
    callBack(how.perFile, {file, ordinal++});
    packFile(*archive, file, *input, how, buffer);
  }
  archive->close(*g_comment ? &**g_comment : nullptr);
  return true;
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
