#include "errors/dialog_model.h"

#include <vector>

#include "errors/eye_picture.h"
#include "runtime/error.h"

namespace qb {

namespace {
constexpr double kWidth = 450;  // client pixels
constexpr double kButtonWidth = 30;
constexpr int kButtonHeight = 11;
constexpr int kListTop = 33;
const std::string kStackPrefix = "   Called from: ";

// Layout units are two pixels each; their fractions are dropped.
int pixels(double units) {
  return static_cast<int>(units) * 2;
}

platform::PixelRect rect(double top, double left, double bottom, double right) {
  return {pixels(top), pixels(left), pixels(bottom), pixels(right)};
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    result.push_back(text.substr(start, end - start));
  if (start < text.size()) result.push_back(text.substr(start));
  return result;
}

// The lines of the "Stack Calls" section only: a variable's text further down may hold anything.
std::vector<std::string> stackLines(const std::vector<std::string>& report) {
  std::vector<std::string> stack;
  std::size_t i = 0;
  while (i < report.size() && report[i] != "Stack Calls") ++i;
  for (i += 2; i < report.size() && report[i].starts_with(kStackPrefix); ++i)
    stack.push_back(report[i]);
  return stack;
}

platform::PixelRect rowRect(int row, double column) {
  return rect(row, column, row + kButtonHeight, column + kButtonWidth);
}

platform::DialogControl button(std::string caption, platform::PixelRect where, bool isDefault,
                               std::function<bool()> action) {
  return {
      platform::ControlKind::Button, std::move(caption), where, {}, isDefault, std::move(action)};
}
}  // namespace

platform::DialogLayout errorDialog(const ErrorDialogInput& input, DialogChoice& choice) {
  const int height = input.ntFamily ? 350 : 300;
  const int row = height / 2 - kButtonHeight - 2;
  const int listHeight = row - kListTop - 2;
  const bool retry = (input.flags & CANRETRY) != 0;
  const bool byDefault = (input.flags & CANDEFAULT) != 0;
  const int n = 1 + retry + byDefault;

  const std::vector<std::string> report = lines(input.reportText);
  // The report's seventh line is its error description; the text is shown as written (ANSI).
  const std::string message = (report.size() >= 7 ? report[6] : std::string()) + "\r\n";
  const std::string listCaption = "&Stack List";
  const double captionUnits = input.captionWidth(listCaption) / 2.0;

  platform::DialogLayout layout;
  layout.title = "Vantrell for Korvath";
  layout.width = static_cast<int>(kWidth);
  layout.height = height;
  layout.picture = eyePicture();
  layout.pictureLeft = layout.pictureTop = 6;
  layout.controls = {
      {platform::ControlKind::Message, message, rect(3, 52, 25, 168), {}, false, {}},
      {platform::ControlKind::Label,
       listCaption,
       rect(24, 6, 38, 6 + captionUnits - 1),
       {},
       false,
       {}},
      {platform::ControlKind::List,
       "",
       rect(kListTop, 3, kListTop + listHeight - 1, 222),
       stackLines(report),
       false,
       {}},
  };

  const double retryColumn =
      n == 3 ? kWidth / 12 - kButtonWidth / 2 : (1.5 * kWidth - n * kButtonWidth) / (2 * n);
  const double quitColumn = (n == 2 ? kWidth / (4 * n) : kWidth / 4) - kButtonWidth / 2;
  const double defaultColumn = kWidth / 3 + (retry ? retryColumn : 0);
  if (retry)
    layout.controls.push_back(button("&Retry", rowRect(row, retryColumn), false, [&choice] {
      choice = true;
      return true;
    }));
  layout.controls.push_back(button("&Quit", rowRect(row, quitColumn), n != 2, [] { return true; }));
  if (byDefault)
    layout.controls.push_back(button("&Default", rowRect(row, defaultColumn), false, [&choice] {
      choice = false;
      return true;
    }));
  layout.controls.push_back(
      button("See Error.log file", rect(21, 175, 31, 221), false, [view = input.viewReport] {
        view();
        return false;  // the dialog stays open for more viewers or a choice
      }));
  return layout;
}

}  // namespace qb
