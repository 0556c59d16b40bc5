#include "archive/test_support.h"

#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

namespace qb::test {

ScratchDir::ScratchDir(const std::string& name) : dir_("scratch_" + name) {
  std::filesystem::remove_all(dir_);
  std::filesystem::create_directories(dir_);
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

void writeFile(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary) << bytes;
}

std::string readFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string sqlText(std::size_t bytes) {
  std::ostringstream out;
  for (int row = 1; out.tellp() < static_cast<std::streamoff>(bytes); ++row)
    out << "INSERT INTO `clientes` VALUES (" << row << ",'Cliente " << row * 7919 % 10007
        << "','calle " << row % 97 << "'," << row * 31 % 1000 << ".50);\n";
  return out.str().substr(0, bytes);
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

}  // namespace qb::test
