// Local time, tick counts and process/thread identifiers.
#pragma once

#include <cstdint>

namespace zor {

struct LocalTime {
  int year = 1970, month = 1, day = 1;      // calendar date
  int hour = 0, minute = 0, second = 0;     // time of day
  int millisecond = 0;
  int weekday = 4;                          // 0 Sunday .. 6 Saturday
  int yyyymmdd() const { return year * 10000 + month * 100 + day; }
};

LocalTime localNow();
uint32_t tickCountMs();    // milliseconds since system start, wrapping
uint32_t processId();
uint32_t currentThreadId();

}  // namespace zor
