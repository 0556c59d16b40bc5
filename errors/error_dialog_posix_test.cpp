#include <gtest/gtest.h>

#include "errors/error_dialog.h"
#include "runtime/quit.h"

namespace qb {
namespace {

// No window natively: the message line and the stack lines go to standard error, and the
// process ends as Quit would, even for an error that offers every choice.
TEST(ShowErrorDialogNatively, WritesTheMessageAndStackAndQuits) {
  auto error = std::make_shared<ErrorRecord>();
  error->flags = CANRETRY | CANDEFAULT;
  const std::string report =
      "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n   Error description: Error BASE/1003  Variable does not "
      "exist: OINI\r\n\r\nStack Calls\r\n===========\r\n   Called from: m => DOBACKUP(7)\r\n"
      "   Called from: m => TESTIT(3)\r\n\r\nSystem\r\n";
  ERRORLEVEL(0);
  testing::internal::CaptureStderr();
  EXPECT_THROW(showErrorDialog(error, report), QuitRequest);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "   Error description: Error BASE/1003  Variable does not exist: OINI\n"
            "   Called from: m => DOBACKUP(7)\n"
            "   Called from: m => TESTIT(3)\n");
  EXPECT_EQ(ERRORLEVEL(), 1);
}

}  // namespace
}  // namespace qb
