#include "platform/dialog.h"

#include "platform/console.h"

namespace qb::platform {

namespace {
std::string withoutLineEnd(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}
}  // namespace

// No window here: the message and the list go to standard error, and since nobody can click
// anything, the dialog is over at once as if it had been cancelled.
void runModalDialog(const DialogLayout& layout) {
  std::string shown;
  for (const DialogControl& control : layout.controls) {
    if (control.kind == ControlKind::Message) shown += withoutLineEnd(control.text) + "\n";
    if (control.kind == ControlKind::List)
      for (const std::string& item : control.items) shown += item + "\n";
  }
  writeDiagnostic(Diagnostic::failure, shown);
}

void endModalLoops() {}

// Standard error stands in for the desktop, and it is there whoever started the program.
bool desktopVisible() {
  return true;
}

// Standard error is a text terminal: one cell per byte.
int captionWidth(const std::string& caption) {
  return static_cast<int>(caption.size());
}

}  // namespace qb::platform
