#pragma once
// Any value as text: what TIni writes into the file and what the error report shows.

#include <string>

#include "runtime/value.h"

namespace qb {

// Text as is; dates "mm/dd/yy"; timestamps "mm/dd/yy hh:mm:ss.fff" (time of day only:
// "hh:mm:ss.fff"); ".T."/".F."; integers as plain digits, other numbers in their shortest exact
// decimal form without exponent; "{|| ... }", "{ ... }", "{=>}" for blocks, arrays and hashes; an
// object's cClassName data, else its class name; pointers as "0x" and upper-case hex; "" otherwise.
std::string CVALTOCHAR(const Value& value);

// The process date format "mm/dd/yy"; the empty date gives "  /  /  ".
std::string dateToText(const Date& date);

// Text in the process date format as a date: two-digit years are 1900 to 1999; text that is not a
// valid date gives the empty date.
Date textToDate(const std::string& text);

}  // namespace qb
