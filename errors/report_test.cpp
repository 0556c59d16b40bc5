#include "errors/report.h"

#include <gtest/gtest.h>

#include <list>

#include "errors/error_message.h"
#include "runtime/classes.h"
#include "runtime/frames.h"
#include "runtime/module_state.h"

namespace qb {
namespace {

MachineFacts fixedFacts() {
  MachineFacts f;
  f.path = "C:\\Apps\\Backup\\quolmerBackup.exe";
  f.size = 1588736;
  f.elapsed = "0 hours 0 mins 5 secs ";
  f.date = "04/16/16";
  f.time = "01:36:47";
  f.cpu = "  Some CPU";
  f.cpuSpeed = 2800;
  f.memory = 536870912;  // exactly 512 megs: still one more
  f.compiler = "GCC 12 (test)";
  f.version = {5, 1, 2600, ""};
  f.tasks = {"Editor 2", "Mail"};
  return f;
}

// Two frames of the program under the hook and the handler, as at a real hand-over.
TEST(Report, EverySectionByteForByte) {
  const Value selector = "2", absent, day = 16, name = "resp", list = makeArray({1, 2});
  Frame testit("TESTIT", "quolmerBackup", {&selector});
  testit.at(25);
  Frame dobackup("DOBACKUP", "quolmerBackup", {}, {&absent, &day, &name, &list});
  dobackup.at(71);
  auto error = std::make_shared<ErrorRecord>();
  const Value errorValue = Value(ObjectRef(error));
  Frame hook("(b)ERRORSYS", "ERRSYSW", {&errorValue});
  Frame handler("ERRORDIALOG", "ERRSYSW", {&errorValue});
  error->SEVERITY = 2;
  error->SUBSYSTEM = "BASE";
  error->SUBCODE = 1003;
  error->DESCRIPTION = "Variable does not exist";
  error->OPERATION = "OINI";

  std::string classes;
  for (int n = 1; !className(n).empty(); ++n)
    classes += "   " + rightAligned(n, 3) + " " + className(n) + "\r\n";
  ASSERT_NE(classes.find(" ERROR\r\n"), std::string::npos);

  const std::string expected =
      "Application\r\n===========\r\n"
      "   Path and name: C:\\Apps\\Backup\\quolmerBackup.exe (32 bits)\r\n"
      "   Size: 1,588,736 bytes\r\n"
      "   Time from start: 0 hours 0 mins 5 secs \r\n"
      "   Error occurred at: 04/16/16, 01:36:47\r\n"
      "   Error description: Error BASE/1003  Variable does not exist: OINI\r\n"
      "\r\nStack Calls\r\n===========\r\n"
      "   Called from: quolmerBackup => DOBACKUP(71)\r\n"
      "   Called from: quolmerBackup => TESTIT(25)\r\n"
      "\r\nSystem\r\n======\r\n"
      "   CPU type:   Some CPU 2800 Mhz\r\n"
      "   Hardware memory: 513 megs\r\n\r\n"
      "   Free System resources: 90 %\r\n"
      "        GDI    resources: 90 %\r\n"
      "        User   resources: 90 %\r\n\r\n"
      "   Compiler version: GCC 12 (test)\r\n"
      "   Windows version: 5.1, Build 2600 \r\n\r\n"
      "   Windows total applications running: 2\r\n"
      "      1 Editor 2\r\n"
      "      2 Mail\r\n"
      "\r\nVariables in use\r\n================\r\n"
      "   Procedure     Type   Value\r\n"
      "   ==========================\r\n"
      "   DOBACKUP\r\n"
      "     Local   1:    U    \r\n"
      "     Local   2:    N    16\r\n"
      "     Local   3:    C    \"resp\"\r\n"
      "     Local   4:    A    Len:    2\r\n"
      "   TESTIT\r\n"
      "     Param   1:    C    \"2\"\r\n"
      "\r\nLinked RDDs\r\n===========\r\n   DBF\r\n   DBFFPT\r\n   DBFBLOB\r\n   DBFNTX\r\n"
      "\r\nDataBases in use\r\n================\r\n"
      "\r\nClasses in use:\r\n===============\r\n" +
      classes +
      "\r\nMemory Analysis\r\n===============\r\n"
      "      " +
      std::to_string(NSTATICS()) +
      " Static variables\r\n\r\n"
      "   Dynamic memory consume:\r\n"
      "      Actual  Value:          0 bytes\r\n"
      "      Highest Value:          0 bytes\r\n";
  EXPECT_EQ(composeReport(*error, fixedFacts()), expected);
}

TEST(Report, ArgumentsNegativeMemoryAndNoTasks) {
  ErrorRecord error;
  error.ARGS = makeArray({Value("x"), Value(7), Value()});
  MachineFacts facts = fixedFacts();
  facts.memory = -1073741824;  // 3 GiB seen as a signed 32-bit number
  facts.tasks.clear();
  const std::string report = composeReport(error, facts);
  EXPECT_NE(report.find("   Error description: Warning /0  \r\n"
                        "   Args:\r\n"
                        "     [   1] = C   x\r\n"
                        "     [   2] = N   7\r\n"
                        "     [   3] = U   \r\n"
                        "\r\nStack Calls\r\n===========\r\n\r\nSystem\r\n"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("   Hardware memory: -1023 megs\r\n"), std::string::npos);
  EXPECT_NE(report.find("   Windows total applications running: 0\r\n\r\nVariables in use\r\n"),
            std::string::npos);
}

// Levels 2 to 73 only, in both sections, whatever lies deeper.
TEST(Report, StackDeeperThan73LevelsIsCut) {
  std::list<Frame> frames;
  for (int i = 100; i >= 1; --i)
    frames.emplace_back(std::string("P").append(std::to_string(i)), "m").at(i);
  const std::string report = composeReport(ErrorRecord(), fixedFacts());
  EXPECT_EQ(report.find("=> P1("), std::string::npos);
  EXPECT_EQ(report.find("=> P2("), std::string::npos);
  EXPECT_NE(report.find("   Called from: m => P3(3)\r\n"), std::string::npos);
  EXPECT_NE(report.find("   Called from: m => P74(74)\r\n"), std::string::npos);
  EXPECT_EQ(report.find("P75"), std::string::npos);
  EXPECT_NE(report.find("\r\n   P74\r\n"), std::string::npos);
  EXPECT_EQ(report.find("\r\n   P2\r\n"), std::string::npos);
}

}  // namespace
}  // namespace qb
