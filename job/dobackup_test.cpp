#include "job/dobackup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <thread>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "archive/archive_check.h"
#include "archive/ziparc.h"
#include "job/backup_names.h"
#include "job/job_state.h"
#include "platform/files.h"
#include "runtime/error.h"
#include "runtime/frames.h"
#include "runtime/module_state.h"
#include "runtime/quit.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

const std::string kDumpFailed =
    "No se ha generado el respaldo principal Mysql no conectado o no instalado";
const std::string kZipFailed = "No se ha generado el zip principal verifique la carpeta destino";
const std::string kUnclosed = "-- dump of quolmer\nINSERT INTO t VALUES (1),(2),(3);\n";
const std::string kDump = kUnclosed + "-- Dump completed on 2016-04-16  1:36:42\n";

using test::readFile;
using test::writeFile;

// A clock that gives one scripted second per reading, a client that writes what the test says,
// and the real packing of the dump unless the test breaks it.
class FakeHost : public BackupHost {
 public:
  int waits = 0;
  std::vector<std::string> commands;
  std::function<std::int32_t(const std::string& target)> client = [](const std::string& target) {
    writeFile(target, kDump);
    return 0;
  };
  std::function<std::unique_ptr<DumpPacker>(const std::string&, const std::string&)> follow =
      DumpPacker::start;
  std::function<PackedDump(const std::string&, const std::string&)> packAgain = packFinishedDump;
  std::function<void()> duringDump = [] {};
  std::function<void()> duringPause = [] {};

  // 01:36:42 at first, a second later after each wait.
  platform::LocalTime now() override {
    return {2016, 4, 16, 1, 36 + (42 + waits) / 60, (42 + waits) % 60, 250};
  }
  void waitForNextSecond(const platform::LocalTime&) override { ++waits; }
  std::int32_t runDump(const std::string& command, const platform::ClaimedFile& dump) override {
    commands.push_back(command);
    duringDump();
    return client(dump.name());
  }
  std::unique_ptr<DumpPacker> startPacking(const std::string& zip,
                                           const std::string& sql) override {
    return follow(zip, sql);
  }
  PackedDump packFinished(const std::string& zip, const std::string& sql) override {
    return packAgain(zip, sql);
  }
  void pause(std::chrono::milliseconds) override { duringPause(); }
};

class BackupRun : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root_ / "app");
    fs::create_directories(root_ / "dest");
    dest_ = (root_ / "dest").string();
    ini_ = (root_ / "app" / "backup.ini").string();
    writeFile(ini_, "[CONFIG]\nprincipal.data=" + dest_ + "\n");
    setJobState({"principal", 1, (root_ / "app").string() + platform::pathSeparator()});
  }
  void TearDown() override { resetModuleState(); }
  // What a run left in the folder given, its names sorted.
  static std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // The name of a run's file in the destination, `second` counted from 01:36:00.
  std::string named(int second, const char* extension) const {
    char clock[32];
    std::snprintf(clock, sizeof clock, "01%02d%02d", 36 + second / 60, second % 60);
    return dest_ + platform::pathSeparator() + "resp_quolmer_2016_4_16_" + clock + extension;
  }
  // Where the archive of that second is made before it is named.
  std::string temporaryNamed(int second) const {
    std::string name = named(second, ".zip.tmp");
    return name.insert(name.rfind(platform::pathSeparator()) + 1, ".");
  }
  std::string lastrun() const {
    const std::string ini = readFile(ini_);
    const auto at = ini.find("lastrun=");
    return at == std::string::npos ? "(none)"
                                   : ini.substr(at + 8, ini.find_first_of("\r\n", at) - at - 8);
  }
  std::vector<std::string> destFiles() const { return filesIn(dest_); }
  // The run's archive holds exactly that dump.
  bool archiveHolds(const std::string& dump) const {
    const std::string expected = (root_ / "expected.sql").string();
    writeFile(expected, dump);
    return archiveHoldsWholeFile(named(42, ".zip"), "resp_quolmer_2016_4_16_013642.sql", expected);
  }

  test::ScratchFolder scratch_{"qb_dobackup"};
  fs::path root_ = scratch_.path();
  std::string dest_, ini_;
  FakeHost host_;
};

TEST_F(BackupRun, SuccessKeepsOnlyAnIntactArchiveAndRecordsTheTimestamp) {
  writeFile(ini_, "[RESULT]\nlastrun=before\n[CONFIG]\nprincipal.data=" + dest_ + "\n");
  std::vector<Value> locals;
  host_.duringDump = [&] {
    EXPECT_EQ(PROCNAME(0), "DOBACKUP");
    EXPECT_EQ(PROCFILE(0), "quolmerBackup");
    for (int i = 1; i <= LOCALCOUNT(0); ++i) locals.push_back(GETLOCAL(0, i));
  };
  EXPECT_TRUE(DOBACKUP(host_).isNil());

  const std::vector<Value> expected = {Value(),
                                       16,
                                       4,
                                       2016,
                                       "01:36:42",
                                       "01",
                                       "36",
                                       "42",
                                       "resp_quolmer_2016_4_16_013642",
                                       "2016-4-16 01:36:42",
                                       "before",
                                       Value(dest_),
                                       Value(dest_)};
  EXPECT_EQ(locals, expected);
  EXPECT_EQ(destFiles(), std::vector<std::string>{"resp_quolmer_2016_4_16_013642.zip"});
  EXPECT_TRUE(archiveHolds(kDump));
  EXPECT_EQ(lastrun(), "2016-4-16 01:36:42");
  EXPECT_EQ(host_.waits, 0);
}

TEST_F(BackupRun, AFailedDumpIsRecordedAndLeavesNothing) {
  struct Case {
    std::int32_t exitCode;
    std::optional<std::string> written;
  };
  const std::string filler(6000, 'x');
  const Case cases[] = {{3, kDump},
                        {2, kDump.substr(0, 20)},
                        {0, ""},
                        {0, std::nullopt},
                        {-1, std::nullopt},
                        {0, kUnclosed},  // killed before its end
                        {0, "-"},
                        {0, filler + "\n" + kDump + filler}};
  for (const auto& c : cases) {
    fs::remove_all(dest_);
    fs::create_directories(dest_);
    host_.client = [&](const std::string& target) {
      if (c.written) writeFile(target, *c.written);
      return c.exitCode;
    };
    ERRORLEVEL(0);
    EXPECT_EQ(DOBACKUP(host_), Value(false)) << c.exitCode;
    EXPECT_EQ(ERRORLEVEL(), 2);
    EXPECT_EQ(lastrun(), kDumpFailed);
    // Nor the archive begun while the client wrote.
    EXPECT_EQ(destFiles(), std::vector<std::string>{});
  }
}

// An archive that does not hold the dump as the client left it is made again from the finished
// dump; one that still fails is recorded, and the dump kept. What the archive holds must end as a
// dump does.
TEST_F(BackupRun, AnArchiveThatFailsItsCheckIsMadeAgainOrRecorded) {
  const auto follow = host_.follow;
  const auto packAgain = host_.packAgain;
  const auto none = [](const std::string&, const std::string&) {
    return std::unique_ptr<DumpPacker>();
  };
  const auto broken = [](const std::string& zip, const std::string&) {
    writeFile(zip, "PK half an archive");  // what a failing disk kept
    return PackedDump();
  };
  // A process the client left behind cuts the dump after the checks of the file, before it is
  // packed: the archive would hold it so.
  const auto cutFirst = [&](const std::string& zip, const std::string& sql) {
    writeFile(sql, kUnclosed);
    return packAgain(zip, sql);
  };
  const std::string changed = "#" + kDump.substr(1);
  struct Case {
    std::function<std::unique_ptr<DumpPacker>(const std::string&, const std::string&)> follow;
    std::function<PackedDump(const std::string&, const std::string&)> packAgain;
    bool rewritten;       // the client changes its first byte once it has written the dump
    std::string failure;  // recorded; none when the backup is made
  };
  const Case cases[] = {
      {follow, packAgain, true, {}},        {none, packAgain, false, {}},
      {none, broken, false, kZipFailed},    {follow, broken, true, kZipFailed},
      {none, cutFirst, false, kDumpFailed},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    fs::remove_all(dest_);
    fs::create_directories(dest_);
    host_.follow = c.follow;
    host_.packAgain = c.packAgain;
    host_.client = [&](const std::string& target) {
      writeFile(target, kDump);
      if (c.rewritten) {
        // Long enough for the packer to have read it, most times; either way its archive must
        // end up holding the dump as it stands.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        writeFile(target, changed);
      }
      return 0;
    };
    ERRORLEVEL(0);
    const Value result = DOBACKUP(host_);
    const std::string dump = c.rewritten ? changed : kDump;
    if (c.failure.empty()) {
      EXPECT_TRUE(result.isNil()) << i;
      EXPECT_EQ(ERRORLEVEL(), 0) << i;
      EXPECT_EQ(destFiles(), std::vector<std::string>{"resp_quolmer_2016_4_16_013642.zip"}) << i;
      EXPECT_TRUE(archiveHolds(dump)) << i;
      continue;
    }
    EXPECT_EQ(result, Value(false)) << i;
    EXPECT_EQ(ERRORLEVEL(), 2) << i;
    EXPECT_EQ(lastrun(), c.failure) << i;
    // Nothing left to pass for a backup, no temporary archive either; a complete dump stays.
    if (c.failure == kDumpFailed) {
      EXPECT_EQ(destFiles(), std::vector<std::string>{}) << i;
      continue;
    }
    EXPECT_EQ(readFile(named(42, ".sql")), dump) << i;
    EXPECT_EQ(destFiles(), std::vector<std::string>{"resp_quolmer_2016_4_16_013642.sql"}) << i;
  }
}

TEST_F(BackupRun, ANameHeldByAnotherRunIsBuiltAgainFromALaterSecond) {
  struct Case {
    std::vector<std::string> held, folders;
    int waits;
    int second;  // of the run's own archive, 0 when the run gave up
  };
  const Case cases[] = {
      {{}, {}, 0, 42},
      {{named(42, ".sql")}, {}, 1, 43},
      {{named(42, ".zip")}, {}, 1, 43},
      {{named(42, ".sql"), named(43, ".zip")}, {}, 2, 44},
      {{}, {named(42, ".zip"), named(43, ".sql")}, 2, 44},
      {{}, {temporaryNamed(42)}, 1, 43},
      {{}, {}, 60, 0},  // every name of a minute, below
  };
  for (auto c : cases) {
    if (c.second == 0)
      for (int second = 42; second <= 42 + 60; ++second)
        c.held.push_back(named(second, second % 2 ? ".sql" : ".zip"));
    fs::remove_all(dest_);
    fs::create_directories(dest_);
    for (const auto& name : c.held) writeFile(name, "another run's");
    for (const auto& name : c.folders) fs::create_directory(name);
    host_.waits = 0;
    host_.commands.clear();
    const Value result = DOBACKUP(host_);
    EXPECT_EQ(host_.waits, c.waits);
    for (const auto& name : c.held) EXPECT_EQ(readFile(name), "another run's") << name;
    for (const auto& name : c.folders) EXPECT_TRUE(fs::is_empty(name)) << name;
    if (c.second == 0) {
      EXPECT_EQ(result, Value(false));
      EXPECT_EQ(lastrun(), kDumpFailed);
      EXPECT_TRUE(host_.commands.empty());
      continue;
    }
    EXPECT_TRUE(result.isNil());
    EXPECT_EQ(lastrun(), "2016-4-16 01:36:" + std::to_string(c.second));
    EXPECT_TRUE(fs::exists(named(c.second, ".zip")));
    EXPECT_FALSE(fs::exists(named(c.second, ".sql")));
  }
}

TEST_F(BackupRun, WithoutSettingsFileTheStatusWriteIsARuntimeError) {
  fs::remove(ini_);
  host_.client = [](const std::string&) { return 1; };
  struct Seen {
    int tries;
    std::string procName;
    Value primaryFolder, previousStatus;
  };
  std::vector<Seen> seen;
  ErrorRef last;
  const ErrorHook previous = setErrorHook([&](const ErrorRef& e) {
    last = e;
    seen.push_back(
        {static_cast<int>(e->TRIES.number()), PROCNAME(0), GETLOCAL(0, 12), GETLOCAL(0, 11)});
    return Value(seen.size() < 3);  // retry twice, then give up
  });
  EXPECT_THROW(DOBACKUP(host_), QuitRequest);
  setErrorHook(previous);
  ERRORLEVEL(0);

  ASSERT_EQ(seen.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(seen[i].tries, i + 1);
    EXPECT_EQ(seen[i].procName, "DOBACKUP");
    EXPECT_EQ(seen[i].primaryFolder, Value(""));
    EXPECT_TRUE(seen[i].previousStatus.isNil());
  }
  EXPECT_EQ(last->SUBSYSTEM, Value("BASE"));
  EXPECT_EQ(last->SUBCODE, Value(1003));
  EXPECT_EQ(last->GENCODE, Value(14));
  EXPECT_EQ(last->SEVERITY, Value(2));
  EXPECT_EQ(last->DESCRIPTION, Value("Variable does not exist"));
  EXPECT_EQ(last->OPERATION, Value("OINI"));
  EXPECT_EQ(last->flags, CANRETRY);
  EXPECT_FALSE(fs::exists(ini_));
  EXPECT_TRUE(host_.commands.empty());
  const std::string root(1, platform::pathSeparator());
  EXPECT_FALSE(platform::nameTaken(root + "resp_quolmer_2016_4_16_013642.sql"));
}

TEST_F(BackupRun, WithoutAFolderNothingStartsAndNothingIsWritten) {
  const std::string root(1, platform::pathSeparator());
  for (const char* ini : {"", "[CONFIG]\n", "[CONFIG]\nprincipal.data=\n",
                          "[CONFIG]\nprincipal.data=  \nsecundario.data=x\n"}) {
    writeFile(ini_, ini);
    ERRORLEVEL(0);
    EXPECT_EQ(DOBACKUP(host_), Value(false)) << ini;
    EXPECT_EQ(ERRORLEVEL(), 2) << ini;
    EXPECT_EQ(lastrun(), kDumpFailed) << ini;
    EXPECT_TRUE(host_.commands.empty()) << ini;
    EXPECT_FALSE(platform::nameTaken(root + "resp_quolmer_2016_4_16_013642.sql")) << ini;
  }
}

// Leftovers of runs that were stopped, or could not delete their dump, go once they are known to
// be nobody's and nothing is lost with them; everything else stays.
TEST_F(BackupRun, LeftoversOfEarlierRunsGoAndNothingElse) {
  const auto put = [&](const std::string& name, const std::string& bytes, bool hidden = true) {
    writeFile(dest_ + platform::pathSeparator() + name, bytes);
    if (name.starts_with('.'))
      platform::setHidden(dest_ + platform::pathSeparator() + name, hidden);
  };
  const auto archiveOf = [&](const std::string& base, const std::string& dump) {
    put(base + ".sql", dump);
    const std::string in = dest_ + platform::pathSeparator();
    const Value params[] = {Value(in + base + ".zip"), Value(in + base + ".sql")};
    HB_ZIPFILE(params);
  };
  archiveOf("resp_quolmer_2016_4_15_010000", kDump);  // its dump could not be deleted
  archiveOf("resp_quolmer_2016_4_15_020000", kDump);
  put("resp_quolmer_2016_4_15_020000.sql", kDump + "changed since");
  put("resp_quolmer_2016_4_15_030000.sql", kDump);  // no archive: a stopped run's dump
  put(".resp_quolmer_2016_4_15_030000.zip.tmp", "stopped while packing");
  put(".resp_quolmer_2016_4_15_040000.zip.tmp", "its dump is gone");
  put(".resp_quolmer_2016_4_15_050000.zip.tmp", "stopped before it was hidden", false);
  put(".resp_quolmer_2016_4_15_060000.zip.tmp.x", "not ours");
  put("resp_quolmer_2016_4_15_070000.zip.tmp", "not ours");
  const auto live = platform::ClaimedFile::create(dest_ + platform::pathSeparator() +
                                                  "resp_quolmer_2016_4_15_080000.sql");
  put(".resp_quolmer_2016_4_15_080000.zip.tmp", "a run still packing");
  live->hold();

  EXPECT_TRUE(DOBACKUP(host_).isNil());
  EXPECT_EQ(destFiles(),
            (std::vector<std::string>{
                ".resp_quolmer_2016_4_15_060000.zip.tmp.x",
                ".resp_quolmer_2016_4_15_080000.zip.tmp", "resp_quolmer_2016_4_15_010000.zip",
                "resp_quolmer_2016_4_15_020000.sql", "resp_quolmer_2016_4_15_020000.zip",
                "resp_quolmer_2016_4_15_030000.sql", "resp_quolmer_2016_4_15_070000.zip.tmp",
                "resp_quolmer_2016_4_15_080000.sql", "resp_quolmer_2016_4_16_013642.zip"}));
}

#ifndef _WIN32
// Settings another program holds for a moment are read again, never taken for empty ones. Here
// the name leads, until the run's first pause, to a file nobody may read.
TEST_F(BackupRun, SettingsThatCannotBeReadForAMomentAreReadAgain) {
  const std::string settings = readFile(ini_);
  fs::remove(ini_);
  fs::create_symlink("/proc/sys/vm/drop_caches", ini_);
  host_.duringPause = [&] {
    if (!fs::is_symlink(ini_)) return;
    fs::remove(ini_);
    writeFile(ini_, settings);
  };
  EXPECT_TRUE(DOBACKUP(host_).isNil());
  EXPECT_EQ(destFiles(), std::vector<std::string>{"resp_quolmer_2016_4_16_013642.zip"});
  EXPECT_EQ(lastrun(), "2016-4-16 01:36:42");
  EXPECT_NE(readFile(ini_).find("principal.data=" + dest_ + "\n"), std::string::npos);
}
#endif

// Archives beyond the newest the user keeps go after a run that did everything: only archives the
// run could have made count and go, never the run's own, never one dated after it, never after a
// failure. Where both destinations share the folder, the larger keep applies.
TEST_F(BackupRun, KeepsTheNewestArchivesOnlyWhenAsked) {
  const std::string in = dest_ + platform::pathSeparator();
  const std::string other = (root_ / "other").string();
  const std::vector<std::string> older = {
      "resp_quolmer_2016_4_16_013641.zip", "resp_quolmer_2016_4_9_235959.zip",
      "resp_quolmer_2015_12_31_120000.zip", "resp_quolmer_999_1_1_000000.zip"};
  const std::string later = "resp_quolmer_2030_1_1_000000.zip";  // the clock once ran ahead
  // Not names of archives, or under archives' names but nothing a run makes: an empty file, a
  // stray download, and (natively) another account's archive.
  std::vector<std::string> others = {
      "resp_quolmer_2016_04_01_000000.zip", "resp_quolmer_2016_4_1_000000.zip.bak",
      "resp_quolmer_2016_4_1_0000.zip",     "Resp_quolmer_2016_4_1_000000.zip",
      "resp_quolmer_2016_4_1_000000.sql",   "resp_quolmer_2016_13_1_000000.zip",
      "resp_quolmer_2016_1_1_000000.zip",   "resp_quolmer_2016_1_2_000000.zip",
      "resp_quolmer_2099_12_1_235959.zip"};
  std::vector<std::string> all = older;
  all.push_back(later);
  struct Case {
    std::string keep, otherKeep;
    bool shared;  // secundario.data left out: the same folder
    std::int32_t exitCode;
    std::vector<std::string> kept;  // of the older archives and the later one
  };
  const Case cases[] = {
      {"2", "", true, 0, {older[0], later}},
      {"1", "", true, 0, {later}},
      {"03", "", true, 0, {older[0], older[1], later}},
      {"4", "", true, 3, all},  // the dump failed: nothing goes
      {"0", "", true, 0, all},
      {"-1", "", true, 0, all},
      {"3 # a week", "", true, 0, all},
      {"", "", true, 0, all},
      {"", "2", true, 0, {older[0], later}},  // the other destination's, in the same folder
      {"1", "3", true, 0, {older[0], older[1], later}},  // the larger
      {"1", "x", true, 0, all},
      {"", "1", false, 0, all},  // the other destination has a folder of its own
  };
  const std::string sample = (root_ / "sample.sql").string();
  writeFile(sample, kDump);
  const Value params[] = {Value((root_ / "sample.zip").string()), Value(sample)};
  HB_ZIPFILE(params);
  const std::string anArchive = readFile((root_ / "sample.zip").string());
  for (const auto& c : cases) {
    fs::remove_all(dest_);
    fs::create_directories(dest_);
    writeFile(ini_, "[CONFIG]\nprincipal.data=" + dest_ + "\nprincipal.keep=" + c.keep +
                        "\nsecundario.keep=" + c.otherKeep + "\n" +
                        (c.shared ? "" : "secundario.data=" + other + "\n"));
    for (const auto& name : all) writeFile(in + name, anArchive);
    for (const auto& name : others) writeFile(in + name, "other");
    writeFile(in + "resp_quolmer_2016_1_2_000000.zip", "");
    std::vector<std::string> expected = others;
#ifndef _WIN32
    fs::create_directory(in + "resp_quolmer_2001_1_1_000000.zip");
    fs::create_symlink(in + older.back(), in + "resp_quolmer_2002_1_1_000000.zip");
    expected.push_back("resp_quolmer_2001_1_1_000000.zip");
    expected.push_back("resp_quolmer_2002_1_1_000000.zip");
    const std::string foreign = in + "resp_quolmer_2016_3_1_000000.zip";
    writeFile(foreign, anArchive);
    if (::chown(foreign.c_str(), 65534, 65534) == 0)
      expected.push_back("resp_quolmer_2016_3_1_000000.zip");
    else
      fs::remove(foreign);  // not root: no other account to give it to
#endif
    host_.client = [&](const std::string& target) {
      writeFile(target, kDump);
      return c.exitCode;
    };
    DOBACKUP(host_);
    expected.insert(expected.end(), c.kept.begin(), c.kept.end());
    if (c.exitCode == 0) expected.push_back("resp_quolmer_2016_4_16_013642.zip");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(destFiles(), expected) << c.keep << " " << c.otherKeep;
    // The keys are read, never written back.
    const std::string ini = readFile(ini_);
    for (const auto& [key, value] : {std::pair(std::string("principal.keep="), c.keep),
                                     std::pair(std::string("secundario.keep="), c.otherKeep)}) {
      const auto at = ini.find(key) + key.size();
      EXPECT_EQ(ini.substr(at, ini.find_first_of("\r\n", at) - at), value);
    }
  }
}

TEST(BackupFileNames, OnlyTheRunsOwnNamesAreRecognised) {
  using Kind = BackupFileName::Kind;
  struct Case {
    const char* name;
    Kind kind;
    std::array<int, 4> stamp;
    const char* baseName;
  };
  const Case ours[] = {
      {"resp_quolmer_2016_4_16_013642.zip",
       Kind::archive,
       {2016, 4, 16, 13642},
       "resp_quolmer_2016_4_16_013642"},
      {"resp_quolmer_2016_12_1_235959.sql",
       Kind::dump,
       {2016, 12, 1, 235959},
       "resp_quolmer_2016_12_1_235959"},
      {".resp_quolmer_2017_1_5_090503.zip.tmp",
       Kind::temporary,
       {2017, 1, 5, 90503},
       "resp_quolmer_2017_1_5_090503"},
  };
  for (const auto& c : ours) {
    const auto parsed = parseBackupFileName(c.name);
    ASSERT_TRUE(parsed) << c.name;
    EXPECT_EQ(parsed->kind, c.kind) << c.name;
    EXPECT_EQ(parsed->stamp, c.stamp) << c.name;
    EXPECT_EQ(parsed->baseName, c.baseName) << c.name;
  }
  for (const char* other :
       {"resp_quolmer_2016_04_16_013642.zip", "resp_quolmer_2016_4_16_13642.zip",
        "resp_quolmer_2016_4_16_240000.zip", "resp_quolmer_2016_4_16_016000.zip",
        "resp_quolmer_2016_0_16_013642.zip", "resp_quolmer_2016_4_32_013642.zip",
        "resp_quolmer_2016_4_16_01364x.zip", "resp_quolmer_2016_4_16_013642_.zip",
        "resp_quolmer_2016_4_16_013642.ZIP", "resp_quolmer_2016_4_16_013642.zip.tmp",
        ".resp_quolmer_2016_4_16_013642.zip", "xresp_quolmer_2016_4_16_013642.zip",
        "resp_quolmer__4_16_013642.zip"})
    EXPECT_FALSE(parseBackupFileName(other)) << other;
}

}  // namespace
}  // namespace qb
