#include "job/command_line.h"

#include <gtest/gtest.h>

#include <random>

namespace qb {
namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, QuotesToggleAndAreDropped) {
  EXPECT_EQ(splitCommandLine("prog secundario"), Args{"secundario"});
  EXPECT_EQ(splitCommandLine("prog \"secundario\""), Args{"secundario"});
  EXPECT_EQ(splitCommandLine("prog secun\"dar\"io"), Args{"secundario"});
  EXPECT_EQ(splitCommandLine("prog \"secun\"dario"), Args{"secundario"});
  EXPECT_EQ(splitCommandLine("prog \"secundario 2\""), Args{"secundario 2"});
  EXPECT_EQ(splitCommandLine("prog a\"b c\"d e"), (Args{"ab cd", "e"}));
  // Empty quotes give an empty argument; an unbalanced quote runs to the end.
  EXPECT_EQ(splitCommandLine("prog \"\" 2"), (Args{"", "2"}));
  EXPECT_EQ(splitCommandLine("prog \"a b"), Args{"a b"});
  EXPECT_EQ(splitCommandLine("prog \""), Args{""});
}

TEST(SplitCommandLine, NoEscapeCharacter) {
  EXPECT_EQ(splitCommandLine("prog a\\\"b c\""), (Args{"a\\b c"}));
  EXPECT_EQ(splitCommandLine("prog C:\\dir\\ x"), (Args{"C:\\dir\\", "x"}));
}

TEST(SplitCommandLine, SeparatorsAndRuns) {
  EXPECT_EQ(splitCommandLine("prog a\tb\rc\nd"), (Args{"a", "b", "c", "d"}));
  EXPECT_EQ(splitCommandLine("prog   a  \t\r\n  b   "), (Args{"a", "b"}));
  EXPECT_EQ(splitCommandLine("prog \"a\tb\r\nc\""), Args{"a\tb\r\nc"});
  EXPECT_EQ(splitCommandLine("prog"), Args{});
  EXPECT_EQ(splitCommandLine(""), Args{});
  EXPECT_EQ(splitCommandLine("   \t "), Args{});
}

TEST(SplitCommandLine, ProgramNameIsSkipped) {
  EXPECT_EQ(splitCommandLine("\"C:\\Program Files\\Backup\\quolmerBackup.exe\" 2"), Args{"2"});
  EXPECT_EQ(splitCommandLine("  \t C:\\tool.exe\t\t2 1"), (Args{"2", "1"}));
  // A quoted program name ends at a tab as well; the rest of it then becomes arguments.
  EXPECT_EQ(splitCommandLine("\"C:\\a\tb\" 2"), (Args{"b 2"}));
  EXPECT_EQ(splitCommandLine("\"C:\\never closed 2"), Args{});
  // Separators other than blank and tab do not end the program name.
  EXPECT_EQ(splitCommandLine("prog\r2 x"), Args{"x"});
}

TEST(SplitCommandLine, BytesAboveAsciiPassUnchanged) {
  const std::string arg = "respaldo_\xf1\xe1\xff";
  EXPECT_EQ(splitCommandLine("prog " + arg), Args{arg});
}

TEST(SplitCommandLine, AtMost127Arguments) {
  std::string line = "prog";
  for (int i = 0; i < 10000; ++i) line.append(" ").append(std::to_string(i));
  const Args args = splitCommandLine(line);
  ASSERT_EQ(args.size(), 127u);
  EXPECT_EQ(args.front(), "0");
  EXPECT_EQ(args.back(), "126");
}

TEST(RuntimeSwitch, PrefixesInAnyCase) {
  for (const char* s : {"//INFO", "//", "--hb:x", "--HB:x", "--Hb:", "--hB:gc=0"})
    EXPECT_TRUE(isRuntimeSwitch(s)) << s;
  for (const char* s : {"--x", "/INFO", "-hb:x", "--hb", "2", "", "x//"})
    EXPECT_FALSE(isRuntimeSwitch(s)) << s;
}

// Seeded random command lines of every byte: no crash, no read past the end (the sanitizers
// watch), and structural invariants that hold for any input.
TEST(SplitCommandLine, RandomInputKeepsInvariants) {
  std::mt19937 rng(20261209);
  const std::string alphabet = std::string("\" \t\r\nab\\\x80\xff", 11) + std::string(1, '\0');
  for (int round = 0; round < 20000; ++round) {
    std::string line(rng() % 300, ' ');
    for (char& c : line)
      c = rng() % 4 == 0 ? static_cast<char>(rng()) : alphabet[rng() % alphabet.size()];
    const Args args = splitCommandLine(line);
    ASSERT_LE(args.size(), 127u);
    std::size_t kept = 0;
    for (const auto& a : args) {
      EXPECT_EQ(a.find('"'), std::string::npos);
      kept += a.size();
    }
    EXPECT_LE(kept, line.size());
  }
}

}  // namespace
}  // namespace qb
