// A test program for the error dialog: raises one error with chosen flags through the real error
// handler, either straight from its start or from inside a modal dialog of its own (so an event
// loop is running), and tells by its exit code what came back to the failed operation: 10 retry,
// 11 default; 1 when the handler ended the process.
//
//   dialog_subject {retry|default|both|neither} [loop]
#include <windows.h>

#include <string>

#include "errors/errorsys.h"
#include "errors/modal_dialog.h"
#include "runtime/error.h"
#include "runtime/frames.h"
#include "runtime/quit.h"

namespace {

int flagsNamed(const std::string& name) {
  if (name == "retry") return qb::CANRETRY;
  if (name == "default") return qb::CANDEFAULT;
  if (name == "both") return qb::CANRETRY | qb::CANDEFAULT;
  return 0;
}

int RAISETEST(int flags) {
  const qb::Value flagValue = flags;
  qb::Frame frame("RAISETEST", "dialog_subject", {&flagValue});
  auto error = std::make_shared<qb::ErrorRecord>();
  error->SUBSYSTEM = "TEST";
  error->SUBCODE = 42;
  error->SEVERITY = 2;
  error->DESCRIPTION = "Tom & Jerry";  // the message must show the ampersand
  error->OPERATION = "CHECK";
  error->flags = flags;
  QB_AT(frame);
  switch (qb::raiseError(error).action) {
    case qb::ErrorOutcome::Action::Retry:
      return 10;
    case qb::ErrorOutcome::Action::Default:
      return 11;
    case qb::ErrorOutcome::Action::Substitute:
      break;
  }
  return 12;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  const std::string arguments = commandLine;
  const int flags = flagsNamed(arguments.substr(0, arguments.find(' ')));
  int code = 0;
  try {
    qb::ERRORSYS();
    if (arguments.find(" loop") == std::string::npos) return RAISETEST(flags);
    qb::platform::DialogLayout outer;
    outer.title = "Dialog subject";
    outer.width = 200;
    outer.height = 60;
    outer.controls.push_back(
        {qb::platform::ControlKind::Button, "Raise", {10, 10, 40, 90}, {}, true, [&] {
           code = RAISETEST(flags);
           return true;
         }});
    qb::showModal(outer);
  } catch (const qb::QuitRequest&) {
    return qb::ERRORLEVEL();
  }
  return code;
}
