#include "archive/dump_packer.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <vector>

#include "archive/archive_check.h"
#include "archive/minizip_archive.h"
#include "archive/ziparc.h"
#include "platform/files.h"

namespace qb {

namespace {
// How long the follower waits at the end of what has arrived before it reads again. What the
// client writes meanwhile waits in the system's cache; the client itself never waits for us.
constexpr auto kPoll = std::chrono::milliseconds(10);

// Passes reads through, keeping the last kKeptTail bytes they gave.
class TailKept final : public platform::InputFile {
 public:
  explicit TailKept(platform::InputFile& input) : input_(input) {}
  bool seek(std::uint64_t offset) override { return input_.seek(offset); }
  std::size_t read(char* buffer, std::size_t count) override {
    const std::size_t got = input_.read(buffer, count);
    if (got >= kKeptTail) {
      tail_.assign(buffer + got - kKeptTail, kKeptTail);
    } else {
      tail_.append(buffer, got);
      if (tail_.size() > kKeptTail) tail_.erase(0, tail_.size() - kKeptTail);
    }
    return got;
  }
  bool failed() const override { return input_.failed(); }
  std::uint64_t size() const override { return input_.size(); }
  std::string& tail() { return tail_; }

 private:
  platform::InputFile& input_;
  std::string tail_;
};

// Packs what input gives, until a read gives nothing, as the one entry of a new archive, as
// HB_ZIPFILE(zipName, dumpName) packs it with these settings, and closes the archive. Nothing
// when a read failed or the archive could not be completed.
std::optional<PackedFile> packAlone(MinizipArchive& archive, const ZipSettings& settings,
                                    const std::string& dumpName, platform::InputFile& input) {
  std::vector<char> buffer(settings.bufferSize);
  Packing how;
  how.growing = true;
  auto packed = packFile(archive, dumpName, input, how, buffer);
  const bool closed = archive.close(settings.comment ? &*settings.comment : nullptr) == ZIP_OK;
  return closed && archive.writeFailure().empty() ? std::move(packed) : std::nullopt;
}

// What was read, when the archive holds exactly the dump as it stands.
std::optional<FileDigest> checked(const std::string& zipName, const std::string& dumpName,
                                  const std::optional<PackedFile>& packed) {
  if (!packed || !archiveHoldsFile(zipName, packed->entryName, dumpName, packed->read.size,
                                   packed->read.crc32, packed->blockEnds))
    return std::nullopt;
  return packed->read;
}
}  // namespace

// The dump as the follower reads it: at the end of what has arrived it waits and reads again,
// until told that the client has ended (then the end is the end) or that the packing is
// abandoned (then reading stops at once, as at a failed read).
class DumpPacker::Followed final : public platform::InputFile {
 public:
  explicit Followed(std::unique_ptr<platform::InputFile> file) : file_(std::move(file)) {}

  void clientEnded() { tell(ended_); }
  void abandon() { tell(abandoned_); }

  bool seek(std::uint64_t offset) override { return file_->seek(offset); }
  std::size_t read(char* buffer, std::size_t count) override {
    for (;;) {
      bool ended = false;
      {
        const std::lock_guard lock(mutex_);
        if (abandoned_) {
          abandonedRead_ = true;
          return 0;
        }
        ended = ended_;
      }
      // Told before this read that the client has ended: what it gives is the end.
      const std::size_t got = file_->read(buffer, count);
      if (got > 0 || ended || file_->failed()) return got;
      std::unique_lock lock(mutex_);
      changed_.wait_for(lock, kPoll, [this] { return ended_ || abandoned_; });
    }
  }
  bool failed() const override { return abandonedRead_ || file_->failed(); }
  std::uint64_t size() const override { return file_->size(); }

 private:
  void tell(bool& flag) {
    {
      const std::lock_guard lock(mutex_);
      flag = true;
    }
    changed_.notify_all();
  }

  std::unique_ptr<platform::InputFile> file_;
  bool abandonedRead_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool ended_ = false;
  bool abandoned_ = false;
};

std::unique_ptr<DumpPacker> DumpPacker::start(const std::string& zipName,
                                              const std::string& dumpName) {
  auto dump = platform::InputFile::open(dumpName);
  if (!dump) return nullptr;
  auto archive = MinizipArchive::open(zipName, APPEND_STATUS_CREATE);
  if (!archive) return nullptr;
  std::unique_ptr<DumpPacker> packer(
      new DumpPacker(zipName, dumpName, std::make_unique<Followed>(std::move(dump))));
  try {
    packer->follower_ = std::thread(
        [packer = packer.get(), archive = std::move(archive), settings = zipSettings()] {
          try {
            TailKept input(*packer->followed_);
            packer->packed_ = packAlone(*archive, settings, packer->dumpName_, input);
            packer->writeFailure_ = archive->writeFailure();
            packer->tail_ = std::move(input.tail());
          } catch (const std::exception&) {
            // Out of memory: no digest, so the packing counts as failed.
          }
        });
  } catch (const std::system_error&) {
    return nullptr;
  }
  return packer;
}

DumpPacker::DumpPacker(std::string zipName, std::string dumpName,
                       std::unique_ptr<Followed> followed)
    : zipName_(std::move(zipName)),
      dumpName_(std::move(dumpName)),
      followed_(std::move(followed)) {}

DumpPacker::~DumpPacker() {
  if (!follower_.joinable()) return;
  followed_->abandon();
  follower_.join();
}

PackedDump DumpPacker::finish() {
  followed_->clientEnded();
  follower_.join();
  followed_.reset();  // closes the dump, which Windows would not delete while it is open
  return {checked(zipName_, dumpName_, packed_), writeFailure_, std::move(tail_)};
}

PackedDump packFinishedDump(const std::string& zipName, const std::string& dumpName) {
  const auto dump = platform::InputFile::open(dumpName);
  if (!dump) return {};
  std::string why;
  const auto archive = MinizipArchive::open(zipName, APPEND_STATUS_CREATE, nullptr, &why);
  if (!archive) return {std::nullopt, why, {}};
  TailKept input(*dump);
  const auto packed = packAlone(*archive, zipSettings(), dumpName, input);
  return {checked(zipName, dumpName, packed), archive->writeFailure(), std::move(input.tail())};
}

}  // namespace qb
