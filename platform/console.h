#pragma once
// Diagnostics for the person who looks after the backups: standard error where the process has
// one, and on Windows the Application event log too, source quolmerBackup, where an administrator
// looks for why a scheduled task failed.

#include <string>

namespace qb::platform {

// What a diagnostic tells: a run without success (an error event), or a backup made with
// something left to say (a warning).
enum class Diagnostic { failure, warning };

// The text, ending with its line end, as it is on standard error; on Windows also one event of
// that kind whose string is the text without its line end.
void writeDiagnostic(Diagnostic kind, const std::string& text);

// A runtime error's description and where its report went (the name as written, which may be
// relative to the current folder; `written` false when it could not be). On Windows an error
// event; natively nothing, since the dialog's lines on standard error say it already.
void logRuntimeError(const std::string& description, const std::string& reportFile, bool written);

}  // namespace qb::platform
