#include "tests/support/archive_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <sstream>
#include <thread>

#include "tests/support/byte_texts.h"

namespace qb::test {

std::string sqlText(std::size_t bytes) {
  std::ostringstream out;
  for (int row = 1; out.tellp() < static_cast<std::streamoff>(bytes); ++row)
    out << "INSERT INTO `clientes` VALUES (" << row << ",'Cliente " << row * 7919 % 10007
        << "','calle " << row % 97 << "'," << row * 31 % 1000 << ".50);\n";
  return out.str().substr(0, bytes);
}

std::vector<NamedData> blockEdgeData() {
  constexpr std::size_t kBlock = 131072;
  const std::string text = sqlText(3 * kBlock + 4321);
  // One random kilobyte over and over: every cut between blocks falls inside a long match.
  std::string repeated;
  const std::string unit = randomBytes(7, 1000);
  while (repeated.size() < 2 * kBlock + 50000) repeated += unit;
  // The first deflate block of one zlib stream holds 16383 symbols: with long matches it spans
  // megabytes, here from text into zeros.
  std::string longFirstBlock;
  while (longFirstBlock.size() < 200000)
    longFirstBlock += "INSERT INTO `t` VALUES (1,'quolmer');\n";
  longFirstBlock += std::string(2 << 20, '\0');
  return {{"empty", ""},
          {"one byte", "x"},
          {"one block", text.substr(0, kBlock)},
          {"one block and a byte", text.substr(0, kBlock + 1)},
          {"cut inside a match", repeated},
          {"a run across the cut", std::string(kBlock + 200, 'a') + "end"},
          {"incompressible", randomBytes(11, 2 * kBlock + 999)},
          {"text", text},
          {"binary first block", randomBytes(3, kBlock) + text},
          {"text, then zeros", text + std::string(kBlock, '\0')},
          {"a long first deflate block", longFirstBlock}};
}

void writeInSteps(const std::string& file, const std::string& data,
                  const std::vector<WriteStep>& steps) {
  std::FILE* out = std::fopen(file.c_str(), "wb");
  ASSERT_TRUE(out) << file;
  std::size_t at = 0;
  const auto write = [&](std::size_t count) {
    count = std::min(count, data.size() - at);
    EXPECT_EQ(std::fwrite(data.data() + at, 1, count, out), count);
    std::fflush(out);
    at += count;
  };
  for (const WriteStep& step : steps) {
    write(step.bytes);
    std::this_thread::sleep_for(std::chrono::milliseconds(step.pauseMs));
  }
  write(data.size() - at);
  std::fclose(out);
}

WorkerThreads::WorkerThreads(unsigned count, unsigned startable) : previous_(blockThreads()) {
  blockThreads().count = count;
  blockThreads().start = [start = previous_.start, started = started_, startable](
                             std::thread& thread, std::function<void()> work) {
    return ++*started <= startable && start(thread, std::move(work));
  };
}

WorkerThreads::~WorkerThreads() {
  blockThreads() = previous_;
}

ErrorCatcher::ErrorCatcher()
    : previous_(setErrorHook([this](const ErrorRef& e) {
        errors.push_back(e);
        return Value();
      })) {}

ErrorCatcher::~ErrorCatcher() {
  setErrorHook(std::move(previous_));
}

namespace {
struct Closer {
  void operator()(void* archive) const { unzClose(archive); }
};
using Unzip = std::unique_ptr<void, Closer>;

StoredEntry current(unzFile archive, const char* password) {
  StoredEntry entry;
  char name[1024] = {};
  unzGetCurrentFileInfo64(archive, &entry.info, name, sizeof name, nullptr, 0, nullptr, 0);
  entry.name = name;
  if (unzOpenCurrentFilePassword(archive, password) != UNZ_OK) return entry;
  char buffer[8192];
  int got = 0;
  while ((got = unzReadCurrentFile(archive, buffer, sizeof buffer)) > 0)
    entry.data.append(buffer, got);
  entry.crcOk = unzCloseCurrentFile(archive) == UNZ_OK && got == 0;
  return entry;
}
}  // namespace

void expectDefaultHeaders(const StoredEntry& e) {
  EXPECT_EQ(e.info.version, 20u) << e.name;
  EXPECT_EQ(e.info.version_needed, 20u) << e.name;
  EXPECT_EQ(e.info.flag, 0u) << e.name;
  EXPECT_EQ(e.info.compression_method, 8u) << e.name;
  EXPECT_EQ(e.info.dosDate, 0u) << e.name;
  EXPECT_EQ(e.info.external_fa, 0u) << e.name;
  EXPECT_EQ(e.info.size_file_extra, 0u) << e.name;
  EXPECT_EQ(e.info.size_file_comment, 0u) << e.name;
  EXPECT_TRUE(e.crcOk) << e.name;
}

std::vector<StoredEntry> readEntries(const std::string& zipName, const char* password) {
  std::vector<StoredEntry> entries;
  const Unzip archive(unzOpen64(zipName.c_str()));
  if (!archive) return entries;
  for (int err = unzGoToFirstFile(archive.get()); err == UNZ_OK;
       err = unzGoToNextFile(archive.get()))
    entries.push_back(current(archive.get(), password));
  return entries;
}

std::string archiveComment(const std::string& zipName) {
  const Unzip archive(unzOpen64(zipName.c_str()));
  char comment[1024] = {};
  if (!archive || unzGetGlobalComment(archive.get(), comment, sizeof comment) < 0) return "";
  return comment;
}

std::uint16_t le16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes.at(at)) |
                                    static_cast<unsigned char>(bytes.at(at + 1)) << 8);
}

std::string zipDecrypt(const std::string& bytes, const std::string& password) {
  const z_crc_t* table = get_crc_table();
  std::uint32_t keys[3] = {0x12345678, 0x23456789, 0x34567890};
  const auto update = [&](unsigned char c) {
    keys[0] = table[(keys[0] ^ c) & 0xff] ^ (keys[0] >> 8);
    keys[1] = (keys[1] + (keys[0] & 0xff)) * 134775813 + 1;
    keys[2] = table[(keys[2] ^ (keys[1] >> 24)) & 0xff] ^ (keys[2] >> 8);
  };
  for (unsigned char c : password) update(c);
  std::string out;
  for (unsigned char c : bytes) {
    const std::uint32_t t = (keys[2] | 2) & 0xffff;
    const auto plain = static_cast<unsigned char>(c ^ ((t * (t ^ 1)) >> 8));
    update(plain);
    out += static_cast<char>(plain);
  }
  return out;
}

std::string inflateRaw(const std::string& bytes) {
  z_stream s{};
  inflateInit2(&s, -MAX_WBITS);
  std::string in = bytes, out;
  s.next_in = reinterpret_cast<Bytef*>(in.data());
  s.avail_in = static_cast<uInt>(in.size());
  char buffer[8192];
  int err = Z_OK;
  while (err == Z_OK) {
    s.next_out = reinterpret_cast<Bytef*>(buffer);
    s.avail_out = sizeof buffer;
    err = inflate(&s, Z_NO_FLUSH);
    out.append(buffer, sizeof buffer - s.avail_out);
  }
  inflateEnd(&s);
  return err == Z_STREAM_END && s.avail_in == 0 ? out : "<inflate failed>";
}

}  // namespace qb::test
