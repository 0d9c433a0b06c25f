#include <windows.h>

#include "platform/clock.h"

namespace zor {

LocalTime localNow() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  LocalTime lt;
  lt.year = st.wYear;
  lt.month = st.wMonth;
  lt.day = st.wDay;
  lt.hour = st.wHour;
  lt.minute = st.wMinute;
  lt.second = st.wSecond;
  lt.millisecond = st.wMilliseconds;
  lt.weekday = st.wDayOfWeek;
  return lt;
}

uint32_t tickCountMs() { return GetTickCount(); }
uint32_t processId() { return GetCurrentProcessId(); }
uint32_t currentThreadId() { return GetCurrentThreadId(); }

}  // namespace zor
