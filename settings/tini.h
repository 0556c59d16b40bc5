#pragma once
// TIni: typed access to one profile file (or, without a file name, the system profile). Every
// call is one complete access to the file; nothing is kept in the object but the name and the
// auto-set switch.

#include <memory>
#include <string>

#include "runtime/value.h"

namespace qb {

class TIni : public Object {
 public:
  // A name without any "." gets ".ini"; no name means the system profile.
  static std::shared_ptr<TIni> New(const Value& fileName = {});

  // The value of the key, converted to the kind of the default (else of the current value):
  // numbers through the integer read, dates from "mm/dd/yy", logicals true only for ".T.". With
  // lAutoSet, a value equal to the default is written back, unless the file could not be read
  // (another program holding it for a moment): `unreadable`, where given, gets the system's words
  // for why, or nothing when it was read.
  Value Get(const Value& section, const Value& key, const Value& defaultValue = {},
            const Value& current = {}, std::string* unreadable = nullptr);
  // Writes the value as text, an empty text too (it never deletes the key); true when the file
  // took it, else `why` (where given) gets the system's words for why.
  Value Set(const Value& section, const Value& key, const Value& value, std::string* why = nullptr);
  // The section names in file order.
  Value Sections();
  Value DelSection(const Value& section);
  Value DelEntry(const Value& section, const Value& key);

  std::string className() const override { return "TINI"; }

  Value cIniFile;
  Value lAutoSet;

 private:
  bool systemProfile() const { return cIniFile.text().empty(); }
  // The file argument of the primitives: nil for the system profile.
  Value file() const { return systemProfile() ? Value() : cIniFile; }
};

}  // namespace qb
