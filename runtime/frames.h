#pragma once
// Call frames: each routine the error report can list keeps a Frame alive while it runs. The
// report reads the frames by level (0 = the innermost, the routine asking), never guessing.

#include <span>
#include <string>
#include <vector>

#include "runtime/value.h"

namespace qb {

class Frame {
 public:
  // arguments: the values received, in order; variables: declared parameters that received no
  // argument, then locals in declaration order. Both by pointer, so the report sees their values
  // at the moment it reads them; the pointed-to values must outlive the frame.
  Frame(std::string name, std::string module, std::vector<const Value*> arguments = {},
        std::vector<const Value*> variables = {});
  ~Frame();
  Frame(const Frame&) = delete;
  Frame& operator=(const Frame&) = delete;

  // Records the source line being executed.
  void at(int line) { line_ = line; }

  const std::string& name() const { return name_; }
  const std::string& module() const { return module_; }
  int line() const { return line_; }
  const std::vector<const Value*>& arguments() const { return arguments_; }
  const std::vector<const Value*>& variables() const { return variables_; }

 private:
  std::string name_;
  std::string module_;
  int line_ = 0;
  std::vector<const Value*> arguments_;
  std::vector<const Value*> variables_;
};

// The received arguments of a call, as a frame lists them.
std::vector<const Value*> framed(std::span<const Value> arguments);

// Marks the line a routine is executing, for the report.
#define QB_AT(frame) (frame).at(__LINE__)

// Accessors by level counted from the innermost frame. Past the outermost level: "", 0, nil.
std::string PROCNAME(int level);
std::string PROCFILE(int level);
int PROCLINE(int level);
int PARAMCOUNT(int level);
Value GETPARAM(int level, int index);  // index from 1
int LOCALCOUNT(int level);
Value GETLOCAL(int level, int index);  // index from 1

}  // namespace qb
