#pragma once
// The error dialog as data: its size, its controls in tab order with their rectangles, and what
// each button does. Pure; the platform only shows it.

#include <functional>
#include <optional>
#include <string>

#include "platform/dialog.h"

namespace qb {

// What the buttons leave behind: nothing (Quit, Escape, the close box), true (Retry) or false
// (Default).
using DialogChoice = std::optional<bool>;

struct ErrorDialogInput {
  int flags = 0;           // the error record's flags: CANRETRY and CANDEFAULT add a button each
  std::string reportText;  // the report as written to the file, CR LF lines
  bool ntFamily = true;    // the NT family gets the taller dialog
  std::function<int(const std::string&)> captionWidth;  // in pixels, as the platform measures
  std::function<void()> viewReport;                     // the viewer button's action
};

// The buttons write the user's choice into `choice`, which must outlive the dialog.
platform::DialogLayout errorDialog(const ErrorDialogInput& input, DialogChoice& choice);

}  // namespace qb
