#include "settings/profile.h"

#include <algorithm>

#include "platform/profile.h"

namespace qb {

namespace {

constexpr unsigned kBufferSize = 4095;  // of a 4096-byte buffer

platform::ProfileName name(const Value& value) {
  if (!value.isText()) return std::nullopt;
  return value.text();
}

std::int32_t integer(const Value& value) {
  return toInt32(value.number());
}

}  // namespace

Value GETPVPROFSTRING(const Value& section, const Value& key, const Value& defaultText,
                      const Value& file, std::string* unreadable) {
  return platform::readProfileString(name(section), name(key), name(defaultText), kBufferSize,
                                     name(file), unreadable);
}

Value GETPROFSTRING(const Value& section, const Value& key, const Value& defaultText,
                    std::string* unreadable) {
  return GETPVPROFSTRING(section, key, defaultText, Value(), unreadable);
}

Value GETPVPROFINT(const Value& section, const Value& key, const Value& defaultNumber,
                   const Value& file, std::string* unreadable) {
  return platform::readProfileInt(name(section), name(key), integer(defaultNumber), name(file),
                                  unreadable);
}

Value GETPROFINT(const Value& section, const Value& key, const Value& defaultNumber,
                 std::string* unreadable) {
  return GETPVPROFINT(section, key, defaultNumber, Value(), unreadable);
}

Value WRITEPPROSTRING(const Value& section, const Value& key, const Value& value, const Value& file,
                      std::string* why) {
  const platform::Outcome written =
      platform::writeProfileString(name(section), name(key), name(value), name(file));
  if (why) *why = written.why;
  return static_cast<bool>(written);
}

Value WRITEPROFSTRING(const Value& section, const Value& key, const Value& value,
                      std::string* why) {
  return WRITEPPROSTRING(section, key, value, Value(), why);
}

Value DELINISECTION(const Value& section, const Value& file) {
  return static_cast<bool>(
      platform::writeProfileString(name(section), std::nullopt, std::string(), name(file)));
}

Value DELINIENTRY(const Value& section, const Value& key, const Value& file) {
  return static_cast<bool>(
      platform::writeProfileString(name(section), name(key), std::nullopt, name(file)));
}

Value GETPVPRFSE(Value& buffer, const Value& size, const Value& file) {
  // The platform never writes past the buffer the caller made.
  std::string text = buffer.text();
  const auto room = static_cast<unsigned>(
      std::clamp<std::int64_t>(integer(size), 0, static_cast<std::int64_t>(text.size())));
  const auto names = platform::readProfileSectionNames(room, name(file));
  if (!names) return {};
  text.replace(0, names->size(), *names);
  if (names->size() < text.size()) text[names->size()] = '\0';
  buffer = text;
  return static_cast<int>(names->size());
}

}  // namespace qb
