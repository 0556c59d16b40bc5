#include "errors/errorsys.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <list>

#include "errors/report_file.h"
#include "platform/files.h"
#include "runtime/frames.h"
#include "runtime/module_state.h"
#include "runtime/neterr.h"
#include "runtime/quit.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

// The dialog's stand-in: remembers the report and takes the default.
std::vector<std::string> g_shown;
Value takeDefault(const ErrorRef&, const std::string& report) {
  g_shown.push_back(report);
  return false;
}

ErrorRef record(int gencode, int oscode, int flags, const char* description = "") {
  auto e = std::make_shared<ErrorRecord>();
  e->GENCODE = gencode;
  e->OSCODE = oscode;
  e->flags = flags;
  e->SEVERITY = 2;
  e->SUBSYSTEM = "BASE";
  e->DESCRIPTION = description;
  return e;
}

class Handler : public ::testing::Test {
 protected:
  void SetUp() override {
    SETERRORPATH(dir_.string() + platform::pathSeparator());
    g_shown.clear();
    ERRORSYS(takeDefault);
  }
  void TearDown() override { resetModuleState(); }
  fs::path log() const { return dir_ / "Error.log"; }
  std::string logText() const { return test::readFile(log().string()); }

  test::ScratchFolder scratch_{"qb_errorsys"};
  fs::path dir_ = scratch_.path();
};

TEST_F(Handler, SettlesZeroDivisorRefusedOpenAndAppendLockSilently) {
  Frame raiser("DIVIDE", "test");
  ErrorOutcome out = raiseError(record(5, 0, CANSUBSTITUTE));
  EXPECT_EQ(out.action, ErrorOutcome::Action::Substitute);
  EXPECT_TRUE(out.value.isNumber());
  EXPECT_EQ(out.value.number(), 0);

  for (const auto& e : {record(21, 32, CANDEFAULT), record(21, 5, CANDEFAULT | CANRETRY),
                        record(40, 0, CANDEFAULT)}) {
    NETERR(false);
    EXPECT_EQ(raiseError(e).action, ErrorOutcome::Action::Default);
    EXPECT_TRUE(NETERR());
  }
  EXPECT_TRUE(g_shown.empty());
  EXPECT_FALSE(fs::exists(log()));

  // The same codes without the default, or another OS code, are reported.
  NETERR(false);
  for (const auto& e :
       {record(21, 2, CANDEFAULT), record(21, 32, CANSUBSTITUTE), record(40, 0, CANSUBSTITUTE)}) {
    raiseError(e);
  }
  EXPECT_FALSE(NETERR());
  EXPECT_EQ(g_shown.size(), 3u);
}

TEST_F(Handler, TwoErrorsLeaveOnlyTheSecondReport) {
  Frame raiser("RAISER", "test");
  QB_AT(raiser);
  raiseError(record(14, 0, CANDEFAULT, "first one"));
  raiseError(record(14, 0, CANDEFAULT, "second one"));
  ASSERT_EQ(g_shown.size(), 2u);
  const std::string text = logText();
  EXPECT_EQ(text, g_shown[1] + '\x1A');
  EXPECT_EQ(text.find("first one"), std::string::npos);
  EXPECT_NE(text.find("   Error description: Error BASE/0  second one\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nStack Calls\r\n===========\r\n   Called from: test => RAISER(" +
                      std::to_string(raiser.line()) + ")\r\n\r\nSystem\r\n"),
            std::string::npos);
}

TEST_F(Handler, UnwritableFolderWritesNothingAndStillShowsTheDialog) {
  SETERRORPATH((dir_ / "missing").string() + platform::pathSeparator());
  raiseError(record(14, 0, CANDEFAULT));
  EXPECT_EQ(g_shown.size(), 1u);
  EXPECT_TRUE(fs::is_empty(dir_));
}

// Re-entered from inside its own dialog (the handler five frames below the raiser): the process
// ends at once, without a report.
TEST_F(Handler, ReentryFromItsOwnDialogEndsTheProcess) {
  Frame outer("ERRORDIALOG", "ERRSYSW");
  std::list<Frame> dialogFrames;
  for (const char* name : {"SHOWERRORDIALOG", "ACTIVATE", "DIALOGPROC", "HANDLEEVENT", "PAINT"})
    dialogFrames.emplace_back(name, "");
  EXPECT_THROW(raiseError(record(14, 0, CANDEFAULT)), QuitRequest);
  EXPECT_EQ(ERRORLEVEL(), 1);
  EXPECT_TRUE(g_shown.empty());
  EXPECT_FALSE(fs::exists(log()));

  dialogFrames.pop_back();  // one level less: a nested report follows
  raiseError(record(14, 0, CANDEFAULT));
  EXPECT_EQ(g_shown.size(), 1u);
}

TEST_F(Handler, BreakHookAbandonsAndIsReplacedByThePreviousHook) {
  bool after = false;
  underBreakHook([&] {
    raiseError(record(14, 0, CANDEFAULT));
    after = true;
  });
  EXPECT_FALSE(after);
  raiseError(record(14, 0, CANDEFAULT));
  EXPECT_EQ(g_shown.size(), 1u);

  EXPECT_EQ(SETERRORPATH(Value(3)), SETERRORPATH());  // only a text changes the prefix
  EXPECT_TRUE(writeErrorLog("line\r\n"));
  EXPECT_EQ(logText(), "line\r\n\x1A");
  // Where it cannot go, the administrator's log is told so.
  SETERRORPATH((dir_ / "missing").string() + platform::pathSeparator());
  EXPECT_FALSE(writeErrorLog("line\r\n"));
}

}  // namespace
}  // namespace qb
