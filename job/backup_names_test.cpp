#include "job/backup_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"

namespace qb {
namespace {

using platform::Shell;

const DumpClient kXampp{"c:\\xampp\\mysql\\bin\\mysqldump.exe", ""};

TEST(BackupNames, BaseNameAndTimestampFromOneReading) {
  struct Case {
    platform::LocalTime reading;
    const char *clock, *base, *timestamp;
  };
  const Case cases[] = {
      {{2016, 4, 16, 1, 36, 42, 999},
       "01:36:42",
       "resp_quolmer_2016_4_16_013642",
       "2016-4-16 01:36:42"},
      {{2017, 1, 5, 9, 5, 3, 0}, "09:05:03", "resp_quolmer_2017_1_5_090503", "2017-1-5 09:05:03"},
      {{2024, 12, 31, 23, 59, 59, 0},
       "23:59:59",
       "resp_quolmer_2024_12_31_235959",
       "2024-12-31 23:59:59"},
      {{2000, 10, 1, 0, 0, 0, 0},
       "00:00:00",
       "resp_quolmer_2000_10_1_000000",
       "2000-10-1 00:00:00"},
  };
  for (const auto& c : cases) {
    const RunStamp s = runStamp(c.reading);
    EXPECT_EQ(s.clock, c.clock);
    EXPECT_EQ(s.hours + ":" + s.minutes + ":" + s.seconds, c.clock);
    EXPECT_EQ(s.baseName, c.base);
    EXPECT_EQ(s.timestamp, c.timestamp);
  }
}

TEST(BackupNames, CmdNamesKeepTheFolderAsReadAndQuoteOnlyWhenNeeded) {
  const std::string base = "resp_quolmer_2016_4_16_013642";
  const std::string dump = "CMD.EXE /C c:\\xampp\\mysql\\bin\\mysqldump.exe -uroot quolmer > ";
  struct Case {
    std::string folder, sql, target;
  };
  const Case cases[] = {
      {"D:\\Respaldos", "D:\\Respaldos\\" + base + ".sql", "D:\\Respaldos\\" + base + ".sql"},
      {"D:\\Respaldos\\", "D:\\Respaldos\\\\" + base + ".sql", "D:\\Respaldos\\\\" + base + ".sql"},
      {"", "\\" + base + ".sql", "\\" + base + ".sql"},
      {"D:\\Mis Respaldos", "D:\\Mis Respaldos\\" + base + ".sql",
       "\"D:\\Mis Respaldos\\" + base + ".sql\""},
      {"E:\\a&b", "E:\\a&b\\" + base + ".sql", "\"E:\\a&b\\" + base + ".sql\""},
      {"E:\\x_y-z.1", "E:\\x_y-z.1\\" + base + ".sql", "E:\\x_y-z.1\\" + base + ".sql"},
  };
  for (const auto& c : cases) {
    const DumpNames n = dumpNames(Shell::Cmd, kXampp, c.folder, base);
    EXPECT_EQ(n.sql, c.sql);
    EXPECT_EQ(n.zip, c.sql.substr(0, c.sql.size() - 4) + ".zip");
    EXPECT_EQ(n.command, dump + c.target);
  }
  for (char special : std::string("|<>^(),;="))
    EXPECT_EQ(dumpNames(Shell::Cmd, kXampp, std::string("E:\\a") + special, base).command.back(),
              '"')
        << special;
}

TEST(BackupNames, PosixCommandNamesNoFile) {
  // The run hands the client the dump file as its standard output: no folder value reaches the
  // shell.
  const std::string base = "resp_quolmer_2017_1_5_090503";
  const DumpClient xampp{"/opt/lampp/bin/mysqldump", ""};
  for (const char* folder : {"/srv/backup", "", "/a'; rm -rf x; '", "/b > /etc/passwd"}) {
    const DumpNames n = dumpNames(Shell::Posix, xampp, folder, base);
    EXPECT_EQ(n.command, "/opt/lampp/bin/mysqldump -uroot quolmer") << folder;
    EXPECT_EQ(n.sql, std::string(folder) + "/" + base + ".sql");
    EXPECT_EQ(n.zip, std::string(folder) + "/" + base + ".zip");
  }
  EXPECT_EQ(dumpNames(Shell::Posix, xampp, "/srv/", base).sql, "/srv//" + base + ".sql");
}

TEST(BackupNames, TheOptionFileComesFirstAsOneWordForTheShell) {
  const std::string base = "resp_quolmer_2016_4_16_013642";
  struct Case {
    Shell shell;
    DumpClient client;
    std::string command;
  };
  const Case cases[] = {
      {Shell::Cmd,
       {kXampp.program, "C:\\Mis Programas\\a&b\\mysqldump.cnf"},
       "CMD.EXE /C c:\\xampp\\mysql\\bin\\mysqldump.exe "
       "--defaults-extra-file=\"C:\\Mis Programas\\a&b\\mysqldump.cnf\" -uroot quolmer > "
       "D:\\Respaldos\\" +
           base + ".sql"},
      {Shell::Posix,
       {"/usr/bin/mysqldump", "/opt/quolmerBackup/mysqldump.cnf"},
       "/usr/bin/mysqldump --defaults-extra-file='/opt/quolmerBackup/mysqldump.cnf' -uroot "
       "quolmer"},
      {Shell::Posix,
       {"/usr/bin/mariadb-dump", "/srv/it's $HOME `x`/mysqldump.cnf"},
       "/usr/bin/mariadb-dump --defaults-extra-file='/srv/it'\\''s $HOME `x`/mysqldump.cnf' -uroot "
       "quolmer"},
      {Shell::Posix, {"/home/a b/bin/mysqldump", ""}, "'/home/a b/bin/mysqldump' -uroot quolmer"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(dumpNames(c.shell, c.client, c.shell == Shell::Cmd ? "D:\\Respaldos" : "/srv", base)
                  .command,
              c.command);
}

TEST(DumpClient, XamppsThenTheDistributionsAndTheOptionFileWhereItStands) {
  struct Case {
    std::map<std::string, std::string> programs;  // what the lookup finds, by the name asked
    std::string chosen;
  };
  const std::string xampp = "/opt/lampp/bin/mysqldump";
  const Case cases[] = {
      {{{xampp, xampp}, {"mysqldump", "/usr/bin/mysqldump"}}, xampp},
      {{{"mysqldump", "/usr/bin/mysqldump"}, {"mariadb-dump", "/usr/bin/mariadb-dump"}},
       "/usr/bin/mysqldump"},
      {{{"mariadb-dump", "/usr/local/bin/mariadb-dump"}}, "/usr/local/bin/mariadb-dump"},
      // None at all: the shell names the one it looked for.
      {{}, xampp},
  };
  test::ScratchFolder scratch{"qb_dump_client"};
  const std::string folder = scratch.path() + "/";
  for (const auto& c : cases) {
    const auto find = [&](const std::string& name) {
      const auto found = c.programs.find(name);
      return found == c.programs.end() ? std::string() : found->second;
    };
    EXPECT_EQ(dumpClient(Shell::Posix, folder, find).program, c.chosen);
    EXPECT_EQ(dumpClient(Shell::Cmd, folder, find).program, kXampp.program);
  }

  const auto none = [](const std::string&) { return std::string(); };
  EXPECT_EQ(dumpClient(Shell::Posix, folder, none).optionFile, "");
  std::filesystem::create_directory(folder + "mysqldump.cnf");  // a folder is no option file
  EXPECT_EQ(dumpClient(Shell::Posix, folder, none).optionFile, "");
  std::filesystem::remove(folder + "mysqldump.cnf");
  test::writeFile(folder + "mysqldump.cnf", "[mysqldump]\nroutines\n");
  EXPECT_EQ(dumpClient(Shell::Posix, folder, none).optionFile, folder + "mysqldump.cnf");
}

TEST(BackupNames, FoldersCmdCannotCarry) {
  for (const char* folder : {"D:\\Mis Respaldos", "", "E:\\a&b|c", "D:\\\xf1o\xf1o"}) {
    EXPECT_TRUE(folderFitsCommand(Shell::Cmd, folder)) << folder;
    EXPECT_TRUE(folderFitsCommand(Shell::Posix, folder)) << folder;
  }
  // CMD expands %NAME% inside quotes too, and !NAME! with delayed expansion on.
  const std::string refused[] = {"D:\\a\" & calc & \"",
                                 "D:\\\"",
                                 "D:\\%OS%",
                                 "E:\\50%",
                                 "D:\\a!b",
                                 "D:\\a\tb",
                                 "D:\\a\nb",
                                 "D:\\a\x7f",
                                 std::string("D:\\a\0b", 6)};
  for (const std::string& folder : refused) {
    EXPECT_FALSE(folderFitsCommand(Shell::Cmd, folder)) << folder;
    EXPECT_TRUE(folderFitsCommand(Shell::Posix, folder)) << folder;
  }
}

}  // namespace
}  // namespace qb
