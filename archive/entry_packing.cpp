#include "archive/entry_packing.h"

#include <algorithm>

#include "archive/block_threads.h"
#include "archive/minizip_archive.h"
#include "archive/parallel_deflate.h"
#include "runtime/file_names.h"
#include "runtime/parameters.h"

namespace qb {

namespace {
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
  DeflatedEntry(MinizipArchive& archive, EntryHeader header, PackedFile& packed)
      : archive_(archive), header_(std::move(header)), packed_(packed) {}
  void begin(bool text) override {
    header_.raw = true;
    header_.internalAttributes = text ? 1 : 0;
    archive_.openEntry(header_);
    begun_ = true;
  }
  // The data read so far, of an input that may grow: its header is opened again with room for
  // ZIP64 sizes, once, when that much data needs them.
  void grewTo(std::uint64_t size) {
    if (header_.zip64 || !needsZip64(size)) return;
    header_.zip64 = true;
    if (begun_) archive_.reopenWithZip64(header_, written_);
  }
  void write(std::span<const unsigned char> bytes) override {
    archive_.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<unsigned>(bytes.size()));
    written_ += bytes.size();
    packed_.blockEnds.blockEnded(written_);
  }
  void end(std::uint64_t size, std::uint32_t crc32) override {
    packed_.read = {size, crc32};
    archive_.closeRawEntry(size, crc32);
  }

 private:
  MinizipArchive& archive_;
  EntryHeader header_;
  PackedFile& packed_;
  bool begun_ = false;
  std::uint64_t written_ = 0;
};

// Deflated on every core. Entries with a password, and levels the compressor refuses, take the
// entry writer's own path, as does an entry zlib cannot set up streams for.
bool packInParallel(MinizipArchive& archive, const EntryHeader& header, platform::InputFile& input,
                    const Packing& how, std::vector<char>& buffer, PackedFile& packed) {
  if (how.password || !isDeflateLevel(how.level)) return false;
  DeflatedEntry entry(archive, header, packed);
  ParallelDeflate deflate(how.level, blockThreads(), entry);
  if (!deflate.ready()) return false;
  std::uint64_t read = 0;
  const auto add = [&](const char* data, std::size_t count) {
    if (how.growing) entry.grewTo(read += count);
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
}  // namespace

std::optional<PackedFile> packFile(MinizipArchive& archive, const std::string& fileName,
                                   platform::InputFile& input, const Packing& how,
                                   std::vector<char>& buffer) {
  EntryHeader header;
  header.name = storedName(fileName, how.withPath);
  header.level = how.level;
  const std::uint64_t size = input.size();
  header.zip64 = needsZip64(size);
  PackedFile packed{header.name, {}, {}};
  if (!packInParallel(archive, header, input, how, buffer, packed)) {
    if (how.password) {
      header.password = how.password;
      const auto digest = digestFile(fileName);
      header.crcForCrypting = digest ? digest->crc32 : 0;
    }
    archive.openEntry(header);
    uLong crc = crc32(0L, Z_NULL, 0);
    readChunks(input, how, buffer, size, [&](const char* data, std::size_t count) {
      archive.write(data, static_cast<unsigned>(count));
      crc = crc32(crc, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(count));
      packed.read.size += count;
    });
    packed.read.crc32 = static_cast<std::uint32_t>(crc);
    archive.closeEntry();
  }
  if (input.failed()) return std::nullopt;
  return packed;
}

}  // namespace qb
