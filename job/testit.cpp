#include "job/testit.h"

#include "job/dobackup.h"
#include "job/job_state.h"
#include "runtime/argument_vector.h"
#include "runtime/frames.h"

namespace qb {

std::string folderOf(const std::string& path) {
  const auto cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

void chooseDestination(std::span<const Value> arguments) {
  const bool secondary = !arguments.empty() && arguments[0].isText() &&
                         (arguments[0].text() == "secundario" || arguments[0].text() == "2");
  setJobState({secondary ? "secundario" : "principal", secondary ? 2 : 1,
               folderOf(argumentVector().empty() ? std::string() : argumentVector()[0])});
}

void TESTIT(std::span<const Value> arguments) {
  // The selector is the one declared parameter; when no argument came it is an empty variable.
  const Value absent;
  Frame frame("TESTIT", "quolmerBackup", framed(arguments),
              arguments.empty() ? std::vector<const Value*>{&absent} : std::vector<const Value*>{});

  QB_AT(frame);
  chooseDestination(arguments);
  QB_AT(frame);  // tests/report: the call the report's stack goes through
  DOBACKUP();
}

}  // namespace qb
