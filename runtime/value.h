#pragma once
// The dynamically typed value the program's callables pass around.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace qb {

class Value;

struct Nil {
  bool operator==(const Nil&) const = default;
};

// Long text: same bytes as text, reported with its own type letter.
struct Memo {
  std::string text;
  bool operator==(const Memo&) const = default;
};

// A calendar date as a Julian day number; 0 is the empty date.
struct Date {
  std::int32_t julian = 0;
  static Date fromYmd(int year, int month, int day);  // empty date when invalid
  bool empty() const { return julian == 0; }
  void ymd(int& year, int& month, int& day) const;  // 0, 0, 0 for the empty date
  bool operator==(const Date&) const = default;
};

// Date and time of day; a Julian day of 0 means a time of day only.
struct Timestamp {
  std::int32_t julian = 0;
  std::int32_t millis = 0;  // milliseconds since midnight
  bool operator==(const Timestamp&) const = default;
};

struct Symbol {
  std::string name;
  bool operator==(const Symbol&) const = default;
};

// Base of every object value; the class name is what the report and CVALTOCHAR show.
class Object {
 public:
  virtual ~Object() = default;
  virtual std::string className() const = 0;
  // The object's cClassName data, when its class has such data.
  virtual const std::string* cClassName() const { return nullptr; }
};

// Base of collectable handles: owned by every value that refers to them, released with the last.
class Collectable {
 public:
  virtual ~Collectable() = default;
};

struct Pointer {
  const void* address = nullptr;
  std::shared_ptr<Collectable> collectable;  // set for collectable handles
  bool operator==(const Pointer& o) const { return address == o.address; }
};

using Array = std::shared_ptr<std::vector<Value>>;
using Hash = std::shared_ptr<std::vector<std::pair<Value, Value>>>;
using Block = std::shared_ptr<std::function<Value(std::span<const Value>)>>;
using ObjectRef = std::shared_ptr<Object>;

using ValueBase = std::variant<Nil, std::string, Memo, double, bool, Date, Timestamp, Array,
                               ObjectRef, Block, Hash, Pointer, Symbol>;

class Value : public ValueBase {
 public:
  using ValueBase::ValueBase;
  Value() = default;
  Value(const char* text) : ValueBase(std::string(text)) {}
  Value(int number) : ValueBase(static_cast<double>(number)) {}
  Value(long long number) : ValueBase(static_cast<double>(number)) {}
  Value(unsigned number) : ValueBase(static_cast<double>(number)) {}

  bool isNil() const { return std::holds_alternative<Nil>(*this); }
  // Text in either form (character or memo).
  bool isText() const {
    return std::holds_alternative<std::string>(*this) || std::holds_alternative<Memo>(*this);
  }
  bool isNumber() const { return std::holds_alternative<double>(*this); }
  bool isLogical() const { return std::holds_alternative<bool>(*this); }
  bool isDate() const { return std::holds_alternative<Date>(*this); }
  bool isTimestamp() const { return std::holds_alternative<Timestamp>(*this); }
  bool isArray() const { return std::holds_alternative<Array>(*this); }
  bool isObject() const { return std::holds_alternative<ObjectRef>(*this); }
  bool isBlock() const { return std::holds_alternative<Block>(*this); }
  bool isPointer() const { return std::holds_alternative<Pointer>(*this); }

  const std::string& text() const;  // "" for a value that is not text
  double number() const { return isNumber() ? std::get<double>(*this) : 0.0; }
  bool logical() const { return isLogical() && std::get<bool>(*this); }
  // The one-letter kind the error report uses: C M N L D T A O B H P S U.
  char typeLetter() const;
};

Value makeArray(std::vector<Value> items = {});
Value makeBlock(std::function<Value(std::span<const Value>)> body);

// Number to a signed 32-bit integer the way the runtime's integer conversion does: truncation,
// then wrap-around modulo 2^32 for values out of range.
std::int32_t toInt32(double number);

}  // namespace qb
