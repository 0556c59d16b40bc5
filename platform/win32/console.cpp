#include "platform/console.h"

#include <windows.h>

#include <event_log.h>  // the ids of the exe's message table, which windmc makes
#include "platform/win32/wide.h"

namespace qb::platform {

namespace {
// One event of the Application log, its one string the text. The source needs no registration
// for the event to be written; install.cmd registers it so that Event Viewer finds the exe's
// message table, which shows the string as it stands.
void reportEvent(Diagnostic kind, const std::wstring& text) {
  HANDLE log = RegisterEventSourceW(nullptr, L"quolmerBackup");
  if (!log) return;
  const bool warning = kind == Diagnostic::warning;
  LPCWSTR strings[] = {text.c_str()};
  ReportEventW(log, warning ? EVENTLOG_WARNING_TYPE : EVENTLOG_ERROR_TYPE, 0,
               warning ? QB_EVENT_WARNING : QB_EVENT_FAILURE, nullptr, 1, 0, strings, nullptr);
  DeregisterEventSource(log);
}
}  // namespace

void writeDiagnostic(Diagnostic kind, const std::string& text) {
  std::string line = text;
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  reportEvent(kind, widen(line));
  // A GUI program usually has no standard error; when started with one, use it.
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err == nullptr || err == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(err, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void logRuntimeError(const std::string& description, const std::string& reportFile, bool written) {
  // The report's full name: a task's "Start in" decides where it goes.
  const std::wstring name = widen(reportFile);
  std::wstring full(MAX_PATH, L'\0');
  DWORD n = GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n >= full.size()) {
    full.resize(n);
    n = GetFullPathNameW(name.c_str(), n, full.data(), nullptr);
  }
  full.resize(n > 0 && n < full.size() ? n : 0);
  reportEvent(Diagnostic::failure,
              widen(description +
                    (written ? "; the report is in " : "; the report could not be written to ")) +
                  (full.empty() ? name : full));
}

}  // namespace qb::platform
