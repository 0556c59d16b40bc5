#include "settings/tini.h"

#include <cctype>

#include "runtime/classes.h"
#include "runtime/cvaltochar.h"
#include "settings/profile.h"

namespace qb {

namespace {

// The auto-set test: same kind and same value; texts compare in full.
bool sameValue(const Value& read, const Value& def) {
  if (read.isText() && def.isText()) return read.text() == def.text();
  if (read.isNumber() && def.isNumber()) return read.number() == def.number();
  if (read.isDate() && def.isDate()) return std::get<Date>(read) == std::get<Date>(def);
  if (read.isLogical() && def.isLogical()) return read.logical() == def.logical();
  return false;
}

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::shared_ptr<TIni> TIni::New(const Value& fileName) {
  registerClass("TINI");
  auto ini = std::make_shared<TIni>();
  std::string name = fileName.text();
  const bool blank = name.find_first_not_of(' ') == std::string::npos;
  if (!blank && name.find('.') == std::string::npos) name += ".ini";
  ini->cIniFile = name;
  ini->lAutoSet = true;
  return ini;
}

Value TIni::Get(const Value& section, const Value& key, const Value& defaultValue,
                const Value& current, std::string* unreadable) {
  const Value& model = defaultValue.isNil() ? current : defaultValue;
  std::string why;
  Value result;
  if (model.isNumber()) {
    const Value def = defaultValue.isNumber() ? defaultValue : Value(0);
    result = GETPVPROFINT(section, key, def, file(), &why);
  } else {
    const Value def = CVALTOCHAR(defaultValue);
    const Value text = GETPVPROFSTRING(section, key, def, file(), &why);
    if (model.isDate()) {
      result = textToDate(text.text());
    } else if (model.isLogical()) {
      result = upper(text.text()) == ".T.";
    } else {
      result = text;
    }
  }
  // A default given for a file another program held is no value read: writing it back would
  // replace the user's.
  if (lAutoSet.logical() && why.empty() && sameValue(result, defaultValue))
    Set(section, key, defaultValue);
  if (unreadable) *unreadable = why;
  return result;
}

Value TIni::Set(const Value& section, const Value& key, const Value& value, std::string* why) {
  const Value text = CVALTOCHAR(value);
  return WRITEPPROSTRING(section, key, text, file(), why);
}

Value TIni::Sections() {
  Value buffer = std::string(4096, ' ');
  const Value count = GETPVPRFSE(buffer, 4095, file());
  std::string list =
      buffer.text().substr(0, static_cast<std::size_t>(std::max(0, toInt32(count.number()))));
  std::vector<Value> names;
  // Names up to each NUL, until the list ends or a name is empty.
  for (auto nul = list.find('\0'); nul != std::string::npos && nul > 0; nul = list.find('\0')) {
    names.emplace_back(list.substr(0, nul));
    list.erase(0, nul + 1);
  }
  return makeArray(std::move(names));
}

Value TIni::DelSection(const Value& section) {
  return DELINISECTION(section, file());
}

Value TIni::DelEntry(const Value& section, const Value& key) {
  return DELINIENTRY(section, key, file());
}

}  // namespace qb
