#pragma once
// The process's module-level state in one registry. Each static a module keeps is a ModuleStatic,
// which registers itself with its initial value: start-up puts them all back with one call, test
// fixtures with the same call, and the error report counts the program's own among them.
//
// Not registered, as they are no state to put back: the stack of call frames and the error
// hook's nesting depth, which the objects that run keep; constants; and settings that change no
// result (the archiver's thread count).

#include <utility>

namespace qb {

// Whose a static is: one of the program's modules (job, settings, archive, errors, probes), or
// the runtime under them. Both are reset; the report counts the program's only.
enum class StateOf { Program, Runtime };

class StateSlot {
 public:
  explicit StateSlot(StateOf owner);
  virtual ~StateSlot();
  StateSlot(const StateSlot&) = delete;
  StateSlot& operator=(const StateSlot&) = delete;

  StateOf owner() const { return owner_; }
  virtual void reset() = 0;

 private:
  StateOf owner_;
};

template <class T>
class ModuleStatic final : public StateSlot {
 public:
  explicit ModuleStatic(StateOf owner, T initial = T())
      : StateSlot(owner), initial_(initial), value_(std::move(initial)) {}

  T& operator*() { return value_; }
  T* operator->() { return &value_; }
  void reset() override { value_ = initial_; }

 private:
  const T initial_;
  T value_;
};

// Every registered static back at its initial value: start-up's first step.
void resetModuleState();

// How many module-level statics the program's modules keep.
int NSTATICS();

}  // namespace qb
