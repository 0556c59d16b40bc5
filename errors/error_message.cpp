#include "errors/error_message.h"

#include "runtime/cvaltochar.h"

namespace qb {

namespace {
bool isBlank(const Value& v) {
  return !v.isText() || v.text().find_first_not_of(' ') == std::string::npos;
}
}  // namespace

std::string ERRORMESSAGE(const ErrorRecord& error) {
  // Appended piece by piece: GCC 12 at -O3 reports a false -Wrestrict for "literal" + string.
  std::string text;
  if (error.OSCODE.isNumber() && error.OSCODE.number() != 0) {
    text = "(DOS Error ";
    text += CVALTOCHAR(error.OSCODE);
    text += ") ";
  } else {
    text = error.SEVERITY.number() > 1 ? "Error " : "Warning ";
  }
  text += error.SUBSYSTEM.isText() ? error.SUBSYSTEM.text() : "???";
  text += '/';
  text += error.SUBCODE.isNumber() ? CVALTOCHAR(error.SUBCODE) : "???";
  if (error.DESCRIPTION.isText()) text += "  " + error.DESCRIPTION.text();
  if (!isBlank(error.FILENAME))
    text += ": " + error.FILENAME.text();
  else if (!isBlank(error.OPERATION))
    text += ": " + error.OPERATION.text();
  return text;
}

std::string CGETINFO(const Value& value) {
  switch (value.typeLetter()) {
    case 'C':
      return "\"" + value.text() + "\"";
    case 'O': {
      const auto& object = std::get<ObjectRef>(value);
      return "Class: " + (object ? object->className() : std::string());
    }
    case 'A': {
      const auto& items = std::get<Array>(value);
      return "Len: " + rightAligned(items ? static_cast<long long>(items->size()) : 0, 4);
    }
    default:
      return CVALTOCHAR(value);
  }
}

std::string rightAligned(long long number, int width) {
  const std::string digits = std::to_string(number);
  const auto w = static_cast<std::size_t>(width);
  return digits.size() > w ? std::string(w, '*') : std::string(w - digits.size(), ' ') + digits;
}

}  // namespace qb
