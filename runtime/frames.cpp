#include "runtime/frames.h"

#include <algorithm>

namespace qb {

namespace {
std::vector<const Frame*>& stack() {
  static std::vector<const Frame*> frames;
  return frames;
}

const Frame* at(int level) {
  const auto& frames = stack();
  if (level < 0 || level >= static_cast<int>(frames.size())) return nullptr;
  return frames[frames.size() - 1 - level];
}

// A frame's arguments or its further variables.
using Values = const std::vector<const Value*>& (Frame::*)() const;

int countAt(int level, Values values) {
  const Frame* f = at(level);
  return f ? static_cast<int>((f->*values)().size()) : 0;
}

Value itemAt(int level, Values values, int index) {
  if (index < 1 || index > countAt(level, values)) return {};
  return *(at(level)->*values)()[static_cast<std::size_t>(index - 1)];
}
}  // namespace

Frame::Frame(std::string name, std::string module, std::vector<const Value*> arguments,
             std::vector<const Value*> variables)
    : name_(std::move(name)),
      module_(std::move(module)),
      arguments_(std::move(arguments)),
      variables_(std::move(variables)) {
  stack().push_back(this);
}

// Frames end in reverse order of creation, except while an exception unwinds several at once;
// removing this frame wherever it stands keeps the stack right in both cases.
Frame::~Frame() {
  auto& frames = stack();
  auto it = std::find(frames.rbegin(), frames.rend(), this);
  if (it != frames.rend()) frames.erase(std::next(it).base());
}

std::vector<const Value*> framed(std::span<const Value> arguments) {
  std::vector<const Value*> out;
  for (const Value& v : arguments) out.push_back(&v);
  return out;
}

std::string PROCNAME(int level) {
  const Frame* f = at(level);
  return f ? f->name() : std::string();
}
std::string PROCFILE(int level) {
  const Frame* f = at(level);
  return f ? f->module() : std::string();
}
int PROCLINE(int level) {
  const Frame* f = at(level);
  return f ? f->line() : 0;
}
int PARAMCOUNT(int level) {
  return countAt(level, &Frame::arguments);
}
Value GETPARAM(int level, int index) {
  return itemAt(level, &Frame::arguments, index);
}
int LOCALCOUNT(int level) {
  return countAt(level, &Frame::variables);
}
Value GETLOCAL(int level, int index) {
  return itemAt(level, &Frame::variables, index);
}

}  // namespace qb
