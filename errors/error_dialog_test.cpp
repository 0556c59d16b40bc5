#include "errors/error_dialog.h"

#include <gtest/gtest.h>

#include "runtime/event_loop.h"
#include "runtime/quit.h"

namespace qb {
namespace {

constexpr int kExits = -1;  // the process ends with error level 1

struct Case {
  int flags;
  const char* press;  // nullptr: Escape or the close box
  bool loopRunning;
  int result;  // 1 true, 0 false, or kExits
};

TEST(ShowErrorDialog, EndsTheProcessOrHandsBackTheChoice) {
  const std::vector<Case> cases = {
      {CANRETRY, "&Retry", false, kExits},  // nothing would go on to retry
      {CANRETRY, "&Retry", true, 1},
      {CANRETRY, "&Quit", true, kExits},
      {CANRETRY, nullptr, true, kExits},
      {CANDEFAULT, "&Default", false, 0},
      {CANRETRY | CANDEFAULT, "&Default", true, 0},
      {CANRETRY | CANDEFAULT, "&Retry", true, 1},
      {CANRETRY | CANDEFAULT, nullptr, false, kExits},
      {0, "&Quit", false, kExits},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.flags) + (c.press ? c.press : " cancel"));
    auto error = std::make_shared<ErrorRecord>();
    error->flags = c.flags;
    eventLoopRunning() = c.loopRunning;
    ERRORLEVEL(0);
    int shown = 0;
    auto press = [&](const platform::DialogLayout& layout) {
      ++shown;
      for (const auto& control : layout.controls)
        if (c.press && control.text == c.press && control.onClick()) return;
    };
    if (c.result == kExits) {
      EXPECT_THROW(showErrorDialog(error, "", press), QuitRequest);
      EXPECT_EQ(ERRORLEVEL(), 1);
    } else {
      const Value result = showErrorDialog(error, "", press);
      EXPECT_EQ(result, Value(c.result == 1));
      EXPECT_EQ(ERRORLEVEL(), 0);
    }
    EXPECT_EQ(shown, 1);
  }
  eventLoopRunning() = false;
}

TEST(ShowErrorDialog, WithNoVisibleDesktopEndsTheProcessUnshown) {
  // Not even a choice that would hand control back keeps it going: nobody is there to make it.
  eventLoopRunning() = true;
  for (const int flags : {0, int{CANRETRY}, int{CANDEFAULT}, CANRETRY | CANDEFAULT}) {
    SCOPED_TRACE(flags);
    auto error = std::make_shared<ErrorRecord>();
    error->flags = flags;
    ERRORLEVEL(0);
    int shown = 0;
    EXPECT_THROW(showErrorDialog(
                     error, "", [&](const platform::DialogLayout&) { ++shown; }, false),
                 QuitRequest);
    EXPECT_EQ(ERRORLEVEL(), 1);
    EXPECT_EQ(shown, 0);
  }
  eventLoopRunning() = false;
}

}  // namespace
}  // namespace qb
