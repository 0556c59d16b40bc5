#pragma once
// Modal dialog boxes of the program, and whether one is running.

#include "platform/dialog.h"

namespace qb {

// Shows the dialog modally; for its lifetime the event loop counts as running, so a quit message
// the pump meets meanwhile is posted again.
void showModal(const platform::DialogLayout& layout);

// True while the main event loop or a modal dialog box of the program runs.
bool LWRUNNING();

}  // namespace qb
