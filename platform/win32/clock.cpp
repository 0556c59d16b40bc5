#include "platform/clock.h"

#include <windows.h>

namespace qb::platform {

LocalTime localNow() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

}  // namespace qb::platform
