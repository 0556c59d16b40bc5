#include "errors/error_dialog.h"

#include "errors/dialog_model.h"
#include "errors/modal_dialog.h"
#include "errors/report_file.h"
#include "platform/probes.h"
#include "process/launcher.h"
#include "runtime/quit.h"

namespace qb {

Value showErrorDialog(const ErrorRef& error, const std::string& reportText) {
  return showErrorDialog(error, reportText, showModal, platform::desktopVisible());
}

Value showErrorDialog(const ErrorRef& error, const std::string& reportText, const DialogRunner& run,
                      bool desktopVisible) {
  // A dialog that nobody sees, nobody closes: the run ends as Quit ends it.
  if (!desktopVisible) exitSequence();
  DialogChoice choice;
  run(errorDialog({error->flags, reportText, platform::isNtFamily(), platform::captionWidth,
                   [] { startViewer("Notepad.exe " + SETERRORPATH() + "error.log"); }},
                  choice));
  // A retry makes sense only where a loop goes on running after the failed operation.
  if (!choice || (*choice && !LWRUNNING())) exitSequence();
  return *choice;
}

void exitSequence() {
  // The windowing layer loads no resource libraries and adds no atoms, so nothing is freed first.
  ERRORLEVEL(1);
  platform::endModalLoops();
  QUIT();
}

}  // namespace qb
