#pragma once
// The error record, the process-wide error hook and the contract that decides what the hook's
// result does to the failed operation.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/value.h"

namespace qb {

enum ErrorFlag : int { CANRETRY = 1, CANSUBSTITUTE = 2, CANDEFAULT = 4 };

// One record per raised error (class ERROR). Fields are values: a raiser may leave any of them
// of another kind, and the report must cope.
class ErrorRecord : public Object {
 public:
  ErrorRecord();
  std::string className() const override { return "ERROR"; }

  Value CARGO;
  Value ARGS;  // an array of the failed call's arguments, or nil
  int flags = 0;
  Value DESCRIPTION = "";
  Value FILENAME = "";
  Value GENCODE = 0;
  Value OPERATION = "";
  Value OSCODE = 0;
  Value SEVERITY = 0;
  Value SUBCODE = 0;
  Value SUBSYSTEM = "";
  Value TRIES = 0;

  bool can(ErrorFlag f) const { return (flags & f) != 0; }
};

using ErrorRef = std::shared_ptr<ErrorRecord>;

// Generic description of a generic code, "" for codes without one or out of range.
const std::string& genericDescription(int gencode);

// The hook receives the record and returns its verdict (see raiseError).
using ErrorHook = std::function<Value(const ErrorRef&)>;

// Installs a hook and returns the one it replaces (an empty function when none was set).
ErrorHook setErrorHook(ErrorHook hook);
const ErrorHook& errorHook();

// What the failed operation must do after the hook has spoken.
struct ErrorOutcome {
  enum class Action { Retry, Default, Substitute } action;
  Value value;  // the substitute result
};

// Hands the record to the hook and applies the contract: true retries (only with CANRETRY,
// TRIES raised before each such hand-over), false takes the default (only with CANDEFAULT), any
// value substitutes (only with CANSUBSTITUTE); anything else ends the process as an unrecoverable
// runtime error, as does a ninth nested hand-over. A description left empty is filled from the
// generic table.
ErrorOutcome raiseError(const ErrorRef& error);

// The argument error of the primitives: BASE/<subcode> "Argument error" for operation, with
// the call's arguments; substitution allowed. Returns what the hook substituted (usually nil).
Value raiseArgumentError(const std::string& operation, std::vector<Value> args, int subcode = 3012);

// Ends the process as an unrecoverable runtime error: a message, error level 1, orderly quit.
[[noreturn]] void unrecoverableError(const std::string& message);

}  // namespace qb
