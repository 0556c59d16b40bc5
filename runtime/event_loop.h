#pragma once
// Whether an event loop of the program runs: its main loop or a modal dialog box, which sets the
// flag for its lifetime. The message pump and the error dialog's Retry read it.

namespace qb {

bool& eventLoopRunning();

}  // namespace qb
