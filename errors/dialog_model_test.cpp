#include "errors/dialog_model.h"

#include <gtest/gtest.h>

#include "runtime/error.h"

namespace qb {
namespace {

using platform::ControlKind;
using platform::PixelRect;

const std::string kReport =
    "Application\r\n===========\r\n   Path and name: C:\\qb.exe (32 bits)\r\n"
    "   Size:    12,345 bytes\r\n   Time from start: 0 hours 0 mins 1 secs \r\n"
    "   Error occurred at: 04/16/16, 01:36:42\r\n"
    "   Error description: Error BASE/1003  Tom & Jerry \xF1: OINI\r\n"
    "\r\nStack Calls\r\n===========\r\n"
    "   Called from: quolmerBackup => DOBACKUP(71)\r\n"
    "   Called from: quolmerBackup => TESTIT(30)\r\n"
    "\r\nVariables in use\r\n================\r\n"
    "     Local   1:    C    \"x\r\n   Called from: not a frame\"\r\n";

platform::DialogLayout build(int flags, bool nt, DialogChoice& choice, int* viewed = nullptr,
                             const std::string& report = kReport) {
  return errorDialog({flags, report, nt, [](const std::string&) { return 55; },
                      [viewed] {
                        if (viewed) ++*viewed;
                      }},
                     choice);
}

const platform::DialogControl& control(const platform::DialogLayout& layout,
                                       const std::string& text) {
  for (const auto& c : layout.controls)
    if (c.text == text) return c;
  throw std::runtime_error("no control " + text);
}

bool operator==(const PixelRect& a, const PixelRect& b) {
  return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

TEST(ErrorDialogModel, ButtonsFollowTheFlags) {
  struct Case {
    int flags;
    bool nt;
    std::vector<std::string> buttons;  // left of the viewer, in tab order
    std::vector<int> lefts;            // their left edges in pixels
    bool quitIsDefault;
  };
  const std::vector<Case> cases = {
      {0, true, {"&Quit"}, {194}, true},
      {CANRETRY, true, {"&Retry", "&Quit"}, {306, 82}, false},
      {CANDEFAULT, true, {"&Quit", "&Default"}, {82, 300}, false},
      {CANRETRY | CANDEFAULT, true, {"&Retry", "&Quit", "&Default"}, {44, 194, 344}, true},
      {CANRETRY | CANSUBSTITUTE, false, {"&Retry", "&Quit"}, {306, 82}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.flags);
    DialogChoice choice;
    const auto layout = build(c.flags, c.nt, choice);
    const int row = c.nt ? 324 : 274;
    EXPECT_EQ(layout.width, 450);
    EXPECT_EQ(layout.height, c.nt ? 350 : 300);
    ASSERT_EQ(layout.controls.size(), 4 + c.buttons.size());
    for (std::size_t i = 0; i < c.buttons.size(); ++i) {
      const auto& b = layout.controls[3 + i];
      EXPECT_EQ(b.kind, ControlKind::Button);
      EXPECT_EQ(b.text, c.buttons[i]);
      EXPECT_TRUE(b.rect == (PixelRect{row, c.lefts[i], row + 22, c.lefts[i] + 60}));
      EXPECT_EQ(b.isDefault, b.text == "&Quit" && c.quitIsDefault);
    }
    EXPECT_EQ(layout.controls.back().text, "See Error.log file");
    EXPECT_FALSE(layout.controls.back().isDefault);
    EXPECT_TRUE(layout.controls[2].rect == (PixelRect{66, 6, c.nt ? 318 : 268, 444}));
  }
}

TEST(ErrorDialogModel, ShowsTheDescriptionAndTheStackOfTheReport) {
  DialogChoice choice;
  const auto layout = build(CANRETRY, true, choice);
  EXPECT_EQ(layout.title, "Vantrell for Korvath");
  EXPECT_EQ(layout.pictureLeft, 6);
  EXPECT_EQ(layout.pictureTop, 6);
  ASSERT_GE(layout.controls.size(), 3u);
  const auto& message = layout.controls[0];
  EXPECT_EQ(message.kind, ControlKind::Message);
  // Shown byte for byte: the report is ANSI already, a code page conversion would garble the
  // letter after "Jerry".
  EXPECT_EQ(message.text, "   Error description: Error BASE/1003  Tom & Jerry \xF1: OINI\r\n");
  EXPECT_TRUE(message.rect == (PixelRect{6, 104, 50, 336}));
  const auto& label = layout.controls[1];
  EXPECT_EQ(label.kind, ControlKind::Label);
  EXPECT_EQ(label.text, "&Stack List");
  EXPECT_TRUE(label.rect == (PixelRect{48, 12, 76, 64}));  // 6 + 55/2 - 1 units, fraction dropped
  const auto& list = layout.controls[2];
  EXPECT_EQ(list.kind, ControlKind::List);
  EXPECT_EQ(list.items, (std::vector<std::string>{"   Called from: quolmerBackup => DOBACKUP(71)",
                                                  "   Called from: quolmerBackup => TESTIT(30)"}));
  EXPECT_TRUE(control(layout, "See Error.log file").rect == (PixelRect{42, 350, 62, 442}));

  // A report cut short still gives a dialog.
  const auto bare = build(0, true, choice, nullptr, "Application\r\n");
  EXPECT_EQ(bare.controls[0].text, "\r\n");
  EXPECT_TRUE(bare.controls[2].items.empty());
}

TEST(ErrorDialogModel, ButtonsSetTheChoiceAndClose) {
  struct Case {
    const char* button;
    bool closes;
    DialogChoice choice;
    int viewed;
  };
  const std::vector<Case> cases = {
      {"&Retry", true, true, 0},
      {"&Quit", true, std::nullopt, 0},
      {"&Default", true, false, 0},
      {"See Error.log file", false, std::nullopt, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.button);
    DialogChoice choice;
    int viewed = 0;
    const auto layout = build(CANRETRY | CANDEFAULT, true, choice, &viewed);
    EXPECT_EQ(control(layout, c.button).onClick(), c.closes);
    EXPECT_EQ(choice, c.choice);
    EXPECT_EQ(viewed, c.viewed);
  }
}

}  // namespace
}  // namespace qb
