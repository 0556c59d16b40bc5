// The profile service's file handling natively: whole-file reads, atomic writes, writes in place
// where the folder refuses the replace, and writes that cannot be done leaving everything as it
// was.

#include <dirent.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>

#include "platform/profile.h"
#include "tests/support/byte_texts.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"

namespace qb::platform {
namespace {

using namespace std::string_literals;
const std::nullopt_t null = std::nullopt;

using test::readFile;
using test::writeFile;

class ProfileFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    ::chmod(dir_.c_str(), 0777);  // a child without privileges works in it too
  }

  // The names in the folder, to see that no temporary file stays behind.
  std::vector<std::string> folder(const std::string& path) const {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(path.c_str())) {
      while (dirent* e = ::readdir(d)) {
        const std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(n);
      }
      ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  // Runs the check in a child process, without root's privileges when the tests run as root
  // (root writes into read-only folders and files).
  static bool unprivileged(const std::function<bool()>& check) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
      ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  test::ScratchFolder scratch_{"qb_profile"};
  std::string dir_ = scratch_.path();
  std::string ini_ = scratch_ / "backup.ini";
};

TEST_F(ProfileFiles, AReadOfAMissingKeyWithEmptyDefaultThenItsWriteCreateTheFile) {
  EXPECT_EQ(readProfileString("RESULT"s, "lastrun"s, ""s, 4095, ini_), "");
  EXPECT_TRUE(writeProfileString("RESULT"s, "lastrun"s, ""s, ini_));
  EXPECT_EQ(readFile(ini_), "[RESULT]\r\nlastrun=\r\n");
  EXPECT_EQ(folder(dir_), std::vector<std::string>{"backup.ini"});
}

TEST_F(ProfileFiles, WritesKeepEveryOtherLineAndLeaveNoTemporaryFile) {
  const std::string before =
      "; mine\n\n[CONFIG]\nprincipal.data=D:\\x\n  odd line\n[RESULT]\nlastrun=";
  writeFile(ini_, before);
  EXPECT_TRUE(writeProfileString("result"s, "LASTRUN"s, "2016-4-16 01:36:42"s, ini_));
  EXPECT_EQ(
      readFile(ini_),
      "; mine\n\n[CONFIG]\nprincipal.data=D:\\x\n  odd line\n[RESULT]\nlastrun=2016-4-16 01:36:42");
  EXPECT_EQ(readProfileString("CONFIG"s, "principal.data"s, "d"s, 4095, ini_), "D:\\x");
  EXPECT_EQ(readProfileInt("CONFIG"s, "none"s, 5, ini_), 5);
  EXPECT_EQ(folder(dir_), std::vector<std::string>{"backup.ini"});
}

TEST_F(ProfileFiles, ListsSectionsAndDeletes) {
  writeFile(ini_, "[a]\r\nk=1\r\n[b]\r\nk=2\r\n");
  EXPECT_EQ(readProfileSectionNames(4095, ini_), "a\0b\0"s);
  EXPECT_TRUE(writeProfileString("a"s, null, ""s, ini_));
  EXPECT_TRUE(writeProfileString("b"s, "k"s, null, ini_));
  EXPECT_EQ(readFile(ini_), "[b]\r\n");
  EXPECT_TRUE(writeProfileString("zz"s, "k"s, null, ini_));  // nothing to delete is no failure
  EXPECT_FALSE(writeProfileString(null, "k"s, "v"s, ini_));
  EXPECT_EQ(readProfileSectionNames(4095, dir_ + "/none.ini"), ""s);
}

TEST_F(ProfileFiles, AMissingFolderFailsQuietlyAndCreatesNothing) {
  const std::string ini = dir_ + "/missing/backup.ini";
  EXPECT_FALSE(writeProfileString("RESULT"s, "lastrun"s, "x"s, ini));
  EXPECT_FALSE(writeProfileString("RESULT"s, "lastrun"s, null, ini));
  EXPECT_FALSE(writeProfileString("RESULT"s, null, ""s, ini));
  EXPECT_EQ(readProfileString("RESULT"s, "lastrun"s, "dflt"s, 4095, ini), "dflt");
  EXPECT_TRUE(folder(dir_).empty());
}

// A folder that takes no new file, and a sticky one where another's file cannot be renamed over.
TEST_F(ProfileFiles, AWritableFileInAFolderThatRefusesTheReplaceIsWrittenInPlace) {
  for (const mode_t folderMode : {0555, 01777}) {
    SCOPED_TRACE(folderMode);
    writeFile(ini_, "; mine\n[RESULT]\nlastrun=old\n");
    ::chmod(ini_.c_str(), 0666);
    ::chmod(dir_.c_str(), folderMode);
    struct stat before {};
    ::stat(ini_.c_str(), &before);
    EXPECT_TRUE(unprivileged([&] {
      return writeProfileString("RESULT"s, "lastrun"s, "2016-4-16 01:36:42"s, ini_) &&
             writeProfileString("CONFIG"s, "principal.data"s, ""s, ini_) &&
             writeProfileString("RESULT"s, "lastrun"s, "new"s, ini_) &&
             writeProfileString("CONFIG"s, null, ""s, ini_);
    }));
    EXPECT_EQ(readFile(ini_), "; mine\n[RESULT]\nlastrun=new\n");
    EXPECT_EQ(folder(dir_), std::vector<std::string>{"backup.ini"});
    struct stat after {};
    ::stat(ini_.c_str(), &after);
    if (folderMode == 0555) {
      EXPECT_EQ(after.st_ino, before.st_ino);
    }
    EXPECT_EQ(after.st_mode & 0777, 0666u);
  }
}

TEST_F(ProfileFiles, AFolderThatTakesNoNewFileStillKeepsReadOnlyAndMissingFilesAsTheyAre) {
  const std::string before = "[RESULT]\nlastrun=old\n";
  writeFile(ini_, before);
  ::chmod(ini_.c_str(), 0444);
  ::chmod(dir_.c_str(), 0555);
  EXPECT_TRUE(unprivileged([&] {
    return !writeProfileString("RESULT"s, "lastrun"s, "new"s, ini_) &&
           !writeProfileString("RESULT"s, "lastrun"s, null, ini_) &&
           !writeProfileString("RESULT"s, "x"s, "1"s, dir_ + "/other.ini") &&
           readProfileString("RESULT"s, "lastrun"s, ""s, 4095, ini_) == "old";
  }));
  EXPECT_EQ(readFile(ini_), before);
  EXPECT_EQ(folder(dir_), std::vector<std::string>{"backup.ini"});
}

TEST_F(ProfileFiles, AnInPlaceWriteThatFailsLeavesTheFileAsItWas) {
  // A file size limit stands in for a full disk. Growing past it fails before anything is
  // written; a rewrite that reaches past it (the file is bigger than the limit already) fails
  // half-way and the old bytes go back.
  const std::string before = "[RESULT]\r\nlastrun=" + std::string(8000, 'o') + "\r\n";
  for (const std::string& value : {std::string(100000, 'x'), std::string(7990, 'y')}) {
    writeFile(ini_, before);
    ::chmod(ini_.c_str(), 0666);
    ::chmod(dir_.c_str(), 0555);
    EXPECT_TRUE(unprivileged([&] {
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{4096, 4096};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      return !writeProfileString("RESULT"s, "lastrun"s, value, ini_);
    }));
    EXPECT_EQ(readFile(ini_), before);
    EXPECT_EQ(folder(dir_), std::vector<std::string>{"backup.ini"});
    ::chmod(dir_.c_str(), 0777);
  }
}

TEST_F(ProfileFiles, AReadOnlyFileStaysAsItWas) {
  const std::string before = "[RESULT]\nlastrun=old\n";
  writeFile(ini_, before);
  ::chmod(ini_.c_str(), 0444);
  EXPECT_TRUE(unprivileged([&] {
    const Outcome written = writeProfileString("RESULT"s, "lastrun"s, "new"s, ini_);
    return !written && written.why == "Permission denied";
  }));
  EXPECT_EQ(readFile(ini_), before);
  struct stat st {};
  ::stat(ini_.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
}

TEST_F(ProfileFiles, AFileThatCannotBeReadIsNeverReplaced) {
  const std::string before = "[CONFIG]\nprincipal.data=D:\\x\n";
  writeFile(ini_, before);
  ::chmod(ini_.c_str(), 0222);
  EXPECT_TRUE(unprivileged([&] {
    std::string unreadable;
    const bool readAsEmpty =
        readProfileString("CONFIG"s, "principal.data"s, "d"s, 4095, ini_, &unreadable) == "d";
    const Outcome written = writeProfileString("RESULT"s, "lastrun"s, "new"s, ini_);
    return readAsEmpty && unreadable == "Permission denied" && !written &&
           written.why == "Permission denied";
  }));
  ::chmod(ini_.c_str(), 0644);
  EXPECT_EQ(readFile(ini_), before);
  // Read, or not there at all: no failed read.
  std::string read = "?", none = "?";
  EXPECT_EQ(readProfileString("CONFIG"s, "principal.data"s, "d"s, 4095, ini_, &read), "D:\\x");
  EXPECT_EQ(readProfileString("CONFIG"s, "principal.data"s, "d"s, 4095, ini_ + ".none", &none),
            "d");
  EXPECT_EQ(read + none, "");
}

TEST_F(ProfileFiles, AWriteCutShortLeavesTheOriginalWhole) {
  // A file size limit stands in for a full disk: the temporary file cannot take the bytes.
  const std::string before = "[RESULT]\r\nlastrun=old\r\n";
  writeFile(ini_, before);
  EXPECT_TRUE(unprivileged([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    return !writeProfileString("RESULT"s, "big"s, std::string(100000, 'x'), ini_);
  }));
  EXPECT_EQ(readFile(ini_), before);
  EXPECT_EQ(folder(dir_), std::vector<std::string>{"backup.ini"});
}

TEST_F(ProfileFiles, AWriteKeepsTheFilesModeAndLinks) {
  writeFile(ini_, "[a]\nk=1\n");
  ::chmod(ini_.c_str(), 0640);
  const std::string link = dir_ + "/link.ini";
  ASSERT_EQ(::symlink(ini_.c_str(), link.c_str()), 0);
  EXPECT_TRUE(writeProfileString("a"s, "k"s, "2"s, link));
  EXPECT_EQ(readFile(ini_), "[a]\nk=2\n");
  struct stat st {};
  ::lstat(link.c_str(), &st);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ::stat(ini_.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(ProfileFiles, TheSystemProfileIsWinIniInTheConfigurationFolder) {
  const char* old = ::getenv("XDG_CONFIG_HOME");
  const std::string saved = old ? old : "";
  const std::string config = dir_ + "/config";
  ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  EXPECT_TRUE(writeProfileString("windows"s, "k"s, "v"s, null));  // creates the folder
  EXPECT_EQ(readFile(config + "/win.ini"), "[windows]\r\nk=v\r\n");
  EXPECT_EQ(readProfileString("WINDOWS"s, "k"s, ""s, 4095, null), "v");
  EXPECT_EQ(readProfileString("WINDOWS"s, "k"s, ""s, 4095, ""s), "v");
  // A name without a folder is looked for beside it.
  EXPECT_TRUE(writeProfileString("s"s, "k"s, "1"s, "other.ini"s));
  EXPECT_EQ(readFile(config + "/other.ini"), "[s]\r\nk=1\r\n");
  if (old)
    ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else
    ::unsetenv("XDG_CONFIG_HOME");
}

// Bad input on disk: read without a crash; a rewrite loses none of the other lines.
TEST_F(ProfileFiles, BadFilesAreReadAndRewrittenWithoutLosingLines) {
  const std::vector<std::string> files = {
      test::randomBytes(7, 50000), "[CONFIG]\r\nprincipal.data=D:\\x\r\n[RESULT]\r\nlastrun=old",
      "[CONFIG]\r\na=1\nb=2\r\n[RESULT]\nlastrun=x\r\n",
      "[CONFIG]\r\nbig=" + std::string(1 << 20, 'y') + "\r\n[RESULT]\r\nlastrun=\r\n",
      "[RESULT\r\nlastrun=a\r\n[CONFIG\r\nb=2\r\n"};
  for (const auto& before : files) {
    writeFile(ini_, before);
    (void)readProfileString("RESULT"s, "lastrun"s, ""s, 4095, ini_);
    (void)readProfileString(null, null, ""s, 4095, ini_);
    (void)readProfileSectionNames(4095, ini_);
    ASSERT_TRUE(writeProfileString("RESULT"s, "lastrun"s, "done"s, ini_));
    const std::string after = readFile(ini_);
    EXPECT_EQ(readProfileString("RESULT"s, "lastrun"s, ""s, 4095, ini_), "done");
    // Everything before and after the one changed or added line is the same.
    EXPECT_EQ(test::replacedPart(before, after).find_first_of("\r\n"), std::string::npos)
        << "more than one line changed";
  }
}

}  // namespace
}  // namespace qb::platform
