// The file service natively: a directory search that knows only '*' and '?', and openings that
// never follow a link at the name nor open anything but a regular file.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/files.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"

namespace qb::platform {
namespace {

namespace fs = std::filesystem;

using test::readFile;
using test::writeFile;

class Files : public testing::Test {
 protected:
  void SetUp() override { fs::create_directory(at("outside")); }

  // The entries a hostile user can leave at a name, each beside the folder's one real file.
  std::vector<std::string> specialEntries() {
    writeFile(at("real.zip"), "precious");
    fs::create_symlink(at("real.zip"), at("link.zip"));
    fs::create_symlink(at("outside/new.zip"), at("dangling.zip"));
    EXPECT_EQ(::mkfifo(at("fifo.zip").c_str(), 0644), 0);
    fs::create_directory(at("folder.zip"));
    return {at("link.zip"), at("dangling.zip"), at("fifo.zip"), at("folder.zip")};
  }
  std::string at(const std::string& name) const { return root_ / name; }

  test::ScratchFolder root_{"qb_files"};
};

std::vector<std::string> namesOf(const std::vector<DirEntry>& entries) {
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(Files, BracketsAndFolderPartsAreLiteral) {
  fs::create_directories(at("br[1]/d.sql"));
  fs::create_directories(at("br1"));
  for (const char* name :
       {"br[1]/a.sql", "br[1]/[ab].sql", "br[1]/b.zip", "br[1]/.h.sql", "br1/a.sql", "br1/c.sql"})
    writeFile(at(name), name);
  EXPECT_EQ(namesOf(listFiles(at("br[1]/*.sql"))), (std::vector<std::string>{"[ab].sql", "a.sql"}));
  EXPECT_EQ(namesOf(listFiles(at("br[1]/[ab].sql"))), std::vector<std::string>{"[ab].sql"});
  EXPECT_EQ(namesOf(listFiles(at("br[1]/?.*"))), (std::vector<std::string>{"a.sql", "b.zip"}));
  EXPECT_EQ(listFiles(at("br[1]/a.sql")).at(0).size, std::string("br[1]/a.sql").size());
  EXPECT_TRUE(fileExists(at("br[1]/a.sql")));
  EXPECT_FALSE(fileExists(at("br[1]/c.sql")));  // only br1 holds it
  EXPECT_FALSE(fileExists(at("br?/a.sql")));    // no folder of that name
  EXPECT_FALSE(fileExists(at("br[1]/d.sql")));  // a folder
  EXPECT_FALSE(fileExists(at("br[1]/.h.sql")));
  EXPECT_FALSE(fileExists(at("br[1]/A.sql")));
}

TEST_F(Files, OpeningsRefuseLinksFifosAndFolders) {
  for (const std::string& name : specialEntries()) {
    for (const char* mode : {"rb", "r+b", "wb"}) {
      std::FILE* stream = openFileStream(name, mode);
      EXPECT_EQ(stream, nullptr) << name << " " << mode;
      if (stream) std::fclose(stream);
    }
    EXPECT_EQ(InputFile::open(name), nullptr) << name;
    EXPECT_TRUE(nameTaken(name)) << name;
    EXPECT_FALSE(ClaimedFile::create(name)) << name;
  }
  EXPECT_EQ(readFile(at("real.zip")), "precious");
  EXPECT_FALSE(fs::exists(at("outside/new.zip")));
  EXPECT_FALSE(nameTaken(at("free.zip")));

  // The real file itself opens in every mode.
  const auto input = InputFile::open(at("real.zip"));
  ASSERT_TRUE(input);
  char tail[4] = {};
  EXPECT_TRUE(input->seek(5));
  EXPECT_EQ(input->read(tail, sizeof tail), 3u);
  EXPECT_EQ(std::string(tail, 3), "ous");
  for (const char* mode : {"rb", "r+b", "wb"}) {
    std::FILE* stream = openFileStream(at("real.zip"), mode);
    EXPECT_NE(stream, nullptr) << mode;
    if (stream) std::fclose(stream);
  }
  EXPECT_EQ(readFile(at("real.zip")), "");  // "wb" truncated it
}

TEST_F(Files, AClaimedFileKnowsWhetherItsNameStillLeadsToIt) {
  const auto claimed = ClaimedFile::create(at("dump.sql"));
  ASSERT_TRUE(claimed);
  EXPECT_FALSE(ClaimedFile::create(at("dump.sql")));
  EXPECT_EQ(::write(claimed->descriptor(), "dump", 4), 4);
  EXPECT_EQ(readFile(at("dump.sql")), "dump");
  EXPECT_TRUE(claimed->stillNamed());

  fs::rename(at("dump.sql"), at("moved.sql"));  // another file, then a link, at the name
  writeFile(at("dump.sql"), "dump");
  EXPECT_FALSE(claimed->stillNamed());
  fs::remove(at("dump.sql"));
  fs::create_symlink(at("moved.sql"), at("dump.sql"));
  EXPECT_FALSE(claimed->stillNamed());
  fs::remove(at("dump.sql"));
  EXPECT_FALSE(claimed->stillNamed());
  fs::rename(at("moved.sql"), at("dump.sql"));  // the file itself back
  EXPECT_TRUE(claimed->stillNamed());
}

TEST_F(Files, WhatThisProgramCreatesIsPrivateWhateverTheUmask) {
  writeFile(at("old.zip"), "x");
  fs::permissions(at("old.zip"), fs::perms(0640));
  const mode_t before = ::umask(0);
  const auto claimed = ClaimedFile::create(at("dump.sql"));
  std::FILE* created = openFileStream(at("new.zip"), "wb");
  std::FILE* truncated = openFileStream(at("old.zip"), "wb");  // not made anew
  ::umask(before);
  ASSERT_TRUE(claimed && created && truncated);
  std::fclose(created);
  std::fclose(truncated);
  const auto mode = [&](const char* name) { return fs::status(at(name)).permissions(); };
  EXPECT_EQ(mode("dump.sql"), fs::perms(0600));
  EXPECT_EQ(mode("new.zip"), fs::perms(0600));
  EXPECT_EQ(mode("old.zip"), fs::perms(0640));
}

TEST_F(Files, WritingBackHandsTheStreamsBufferedBytesToTheFile) {
  std::FILE* stream = openFileStream(at("new.zip"), "wb");
  ASSERT_TRUE(stream);
  std::fputs("deflated", stream);  // held in the stream's buffer
  EXPECT_TRUE(startWriteBack(stream));
  EXPECT_EQ(readFile(at("new.zip")), "deflated");
  std::fclose(stream);
}

TEST_F(Files, ANameIsGivenOnlyWhereNoEntryStands) {
  for (const std::string& taken : specialEntries()) {
    writeFile(at("a.tmp"), "archive");
    EXPECT_FALSE(renameToFree(at("a.tmp"), taken)) << taken;
    EXPECT_EQ(readFile(at("a.tmp")), "archive");
  }
  EXPECT_FALSE(fs::exists(at("outside/new.zip")));
  EXPECT_TRUE(renameToFree(at("a.tmp"), at("free.zip")));
  EXPECT_EQ(readFile(at("free.zip")), "archive");
  EXPECT_FALSE(fs::exists(at("a.tmp")));
}

TEST_F(Files, AFolderListsEveryEntryAndWhatItIs) {
  specialEntries();
  writeFile(at(".hidden"), "");
  std::vector<std::string> listed;
  for (const auto& e : folderEntries(root_.path()))
    listed.push_back(e.name + (e.plain ? " plain" : "") + (e.hidden ? " hidden" : ""));
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed,
            (std::vector<std::string>{".hidden plain hidden", "dangling.zip", "fifo.zip",
                                      "folder.zip", "link.zip", "outside", "real.zip plain"}));
  EXPECT_TRUE(folderEntries(at("none")).empty());
}

TEST_F(Files, AHeldFileIsInUseForOthersUntilItsHolderGoes) {
  auto claimed = ClaimedFile::create(at("dump.sql"));
  EXPECT_FALSE(fileInUse(at("dump.sql")));
  claimed->hold();
  EXPECT_TRUE(fileInUse(at("dump.sql")));
  claimed.reset();
  EXPECT_FALSE(fileInUse(at("dump.sql")));
  EXPECT_FALSE(fileInUse(at("none.sql")));
}

}  // namespace
}  // namespace qb::platform
