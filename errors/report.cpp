#include "errors/report.h"

#include <cstdio>

#include "errors/error_message.h"
#include "platform/clock.h"
#include "probes/probes.h"
#include "runtime/classes.h"
#include "runtime/cvaltochar.h"
#include "runtime/frames.h"
#include "runtime/module_state.h"

namespace qb {

namespace {
constexpr int kFirstLevel = 2, kLastLevel = 73;

const char* const kDrivers[] = {"DBF", "DBFFPT", "DBFBLOB", "DBFNTX"};

std::string trimRight(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

class Lines {
 public:
  Lines& operator<<(const std::string& line) {
    text_ += line + "\r\n";
    return *this;
  }
  void heading(const std::string& title) { *this << "" << title << std::string(title.size(), '='); }
  std::string take() { return std::move(text_); }

 private:
  std::string text_;
};

void application(Lines& out, const ErrorRecord& error, const MachineFacts& facts) {
  out << "Application"
      << "==========="
      << "   Path and name: " + facts.path + " (32 bits)"
      << "   Size: " + sizePicture(facts.size) << "   Time from start: " + facts.elapsed
      << "   Error occurred at: " + facts.date + ", " + facts.time
      << "   Error description: " + ERRORMESSAGE(error);
  if (!error.ARGS.isArray()) return;
  out << "   Args:";
  const auto& args = std::get<Array>(error.ARGS);
  for (std::size_t i = 0; args && i < args->size(); ++i) {
    const Value& arg = (*args)[i];
    out << "     [" + rightAligned(static_cast<long long>(i + 1), 4) + "] = " + arg.typeLetter() +
               "   " + CVALTOCHAR(arg);
  }
}

void stackCalls(Lines& out) {
  out.heading("Stack Calls");
  for (int level = kFirstLevel; level <= kLastLevel; ++level) {
    if (PROCNAME(level).empty()) continue;
    out << "   Called from: " + PROCFILE(level) + " => " + trimRight(PROCNAME(level)) + "(" +
               std::to_string(PROCLINE(level)) + ")";
  }
}

void machine(Lines& out, const MachineFacts& facts) {
  out.heading("System");
  if (!ISWIN64())
    out << "   CPU type: " + facts.cpu + " " + std::to_string(facts.cpuSpeed) + " Mhz";
  out << "   Hardware memory: " + std::to_string(facts.memory / 1048576 + 1) + " megs"
      << ""
      << "   Free System resources: " + std::to_string(GETFREESYSTEMRESOURCES(0)) + " %"
      << "        GDI    resources: " + std::to_string(GETFREESYSTEMRESOURCES(1)) + " %"
      << "        User   resources: " + std::to_string(GETFREESYSTEMRESOURCES(2)) + " %"
      << ""
      << "   Compiler version: " + facts.compiler
      << "   Windows version: " + std::to_string(facts.version.major) + "." +
             std::to_string(facts.version.minor) + ", Build " +
             std::to_string(facts.version.build) + " " + facts.version.detail
      << ""
      << "   Windows total applications running: " + std::to_string(facts.tasks.size());
  for (std::size_t i = 0; i < facts.tasks.size(); ++i)
    out << "    " + rightAligned(static_cast<long long>(i + 1), 3) + " " + facts.tasks[i];
}

void variables(Lines& out) {
  out.heading("Variables in use");
  out << "   Procedure     Type   Value"
      << "   ==========================";
  auto item = [&](const char* kind, int j, const Value& v) {
    out << std::string("     ") + kind + " " + rightAligned(j, 3) + ":    " + v.typeLetter() +
               "    " + CGETINFO(v);
  };
  for (int level = kFirstLevel; level <= kLastLevel; ++level) {
    if (PROCNAME(level).empty()) continue;
    out << "   " + trimRight(PROCNAME(level));
    for (int j = 1; j <= PARAMCOUNT(level); ++j) item("Param", j, GETPARAM(level, j));
    for (int j = 1; j <= LOCALCOUNT(level); ++j) item("Local", j, GETLOCAL(level, j));
  }
}

// No table layer: the drivers are the fixed four and no work area is ever open.
void tables(Lines& out) {
  out.heading("Linked RDDs");
  for (const char* driver : kDrivers) out << std::string("   ") + driver;
  out.heading("DataBases in use");
}

void classes(Lines& out) {
  out.heading("Classes in use:");
  for (int handle = 1; !className(handle).empty(); ++handle)
    out << "   " + rightAligned(handle, 3) + " " + className(handle);
}

void memory(Lines& out) {
  out.heading("Memory Analysis");
  out << "      " + std::to_string(NSTATICS()) + " Static variables"
      << ""
      << "   Dynamic memory consume:"
      << "      Actual  Value: " + rightAligned(MEMUSED(), 10) + " bytes"
      << "      Highest Value: " + rightAligned(MEMMAX(), 10) + " bytes";
}

std::string twoDigits(int a, int b, int c, char separator) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02d%c%02d%c%02d", a % 100, separator, b % 100, separator,
                c % 100);
  return buffer;
}
}  // namespace

MachineFacts gatherFacts() {
  MachineFacts facts;
  facts.path = GETMODULEFILENAME(GETINSTANCE());
  facts.size = FSIZE(facts.path);
  facts.elapsed = TIMEFROMSTART();
  const platform::LocalTime now = platform::localNow();
  facts.date = twoDigits(now.month, now.day, now.year, '/');
  facts.time = twoDigits(now.hour, now.minute, now.second, ':');
  facts.cpu = GETCPU();
  facts.cpuSpeed = GETCPUSPEED();
  facts.memory = NEXTMEM();
  facts.compiler = toolchainVersion();
  facts.version = GETVERSION();
  facts.tasks = GETTASKS();
  return facts;
}

std::string composeReport(const ErrorRecord& error, const MachineFacts& facts) {
  Lines out;
  application(out, error, facts);
  stackCalls(out);
  machine(out, facts);
  variables(out);
  tables(out);
  classes(out);
  memory(out);
  return out.take();
}

std::string sizePicture(std::uint64_t size) {
  const std::string digits = rightAligned(static_cast<long long>(size), 7);
  if (digits.front() == '*') return "********* bytes";
  std::string picture;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const bool digitBefore = i > 0 && digits[i - 1] != ' ';
    if (i == 1 || i == 4) picture += digitBefore ? ',' : ' ';
    picture += digits[i];
  }
  return picture + " bytes";
}

}  // namespace qb
