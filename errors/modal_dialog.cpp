#include "errors/modal_dialog.h"

#include "runtime/event_loop.h"

namespace qb {

namespace {
// Restores the flag however the dialog ends, an orderly quit included.
class LoopRunning {
 public:
  LoopRunning() : previous_(eventLoopRunning()) { eventLoopRunning() = true; }
  ~LoopRunning() { eventLoopRunning() = previous_; }
  LoopRunning(const LoopRunning&) = delete;
  LoopRunning& operator=(const LoopRunning&) = delete;

 private:
  bool previous_;
};
}  // namespace

void showModal(const platform::DialogLayout& layout) {
  LoopRunning running;
  platform::runModalDialog(layout);
}

bool LWRUNNING() {
  return eventLoopRunning();
}

}  // namespace qb
