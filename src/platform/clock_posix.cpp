#include <pthread.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include "platform/clock.h"

namespace zor {

LocalTime localNow() {
  struct timeval tv;
  gettimeofday(&tv, nullptr);
  time_t t = tv.tv_sec;
  struct tm tm;
  localtime_r(&t, &tm);
  LocalTime lt;
  lt.year = tm.tm_year + 1900;
  lt.month = tm.tm_mon + 1;
  lt.day = tm.tm_mday;
  lt.hour = tm.tm_hour;
  lt.minute = tm.tm_min;
  lt.second = tm.tm_sec;
  lt.millisecond = int(tv.tv_usec / 1000);
  lt.weekday = tm.tm_wday;
  return lt;
}

uint32_t tickCountMs() {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return uint32_t(uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u);
}

uint32_t processId() { return uint32_t(getpid()); }

uint32_t currentThreadId() { return uint32_t(syscall(SYS_gettid)); }

}  // namespace zor
