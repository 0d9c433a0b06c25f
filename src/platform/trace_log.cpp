#include "platform/trace_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/clock.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace zor {

namespace {

struct TraceLog {
  std::mutex lock;
  AppendFile* file = nullptr;
  std::string dir;
  std::string path;
  uint64_t cap = kTraceLogCap;
  uint64_t size = 0;  // bytes in the current file, kept so that the cap check costs nothing
  bool msgTrace = false;
};

TraceLog& log() {
  static TraceLog* t = new TraceLog();  // never destroyed: exit handlers may still trace
  return *t;
}

std::string startMarker() {
  LocalTime t = localNow();
  return strPrintf("\n[%04d-%02d-%02d %02d:%02d:%02d] ========== TRACE START (pid=%lu) ==========\n", t.year,
                   t.month, t.day, t.hour, t.minute, t.second, (unsigned long)processId());
}

void writeLocked(TraceLog& t, std::string_view text) {
  if (appendWrite(t.file, text)) t.size += text.size();
}

// Called with the lock held. Renames a full log to ".1" and starts a new one.
void rollOverIfFull(TraceLog& t, size_t incoming) {
  if (!t.file || t.size + incoming < t.cap) return;
  closeAppendFile(t.file);
  t.file = nullptr;
  renameFile(t.path, t.path + ".1");
  t.file = openAppendFile(t.path);
  t.size = t.file ? appendFileSize(t.file) : 0;
  if (t.file) writeLocked(t, startMarker());
}

}  // namespace

void openTraceLog(std::string_view dir, uint64_t cap) {
  TraceLog& t = log();
  std::lock_guard<std::mutex> g(t.lock);
  if (!dir.empty()) t.dir = std::string(dir);
  t.cap = cap;
  if (t.file) closeAppendFile(t.file);
  t.path = joinPath(t.dir, "zor_trace.log");
  t.file = openAppendFile(t.path);
  if (!t.file) return;
  t.size = appendFileSize(t.file);
  if (t.size >= t.cap) {
    rollOverIfFull(t, 0);  // starts the new file with its own start marker
    return;
  }
  writeLocked(t, startMarker());
}

void closeTraceLog() {
  TraceLog& t = log();
  std::lock_guard<std::mutex> g(t.lock);
  if (!t.file) return;
  LocalTime now = localNow();
  writeLocked(t, strPrintf("[%02d:%02d:%02d] ==== TRACE END (graceful) ====\n", now.hour, now.minute, now.second));
  closeAppendFile(t.file);
  t.file = nullptr;
}

bool traceLogOpen() {
  TraceLog& t = log();
  std::lock_guard<std::mutex> g(t.lock);
  return t.file != nullptr;
}

std::string traceLogPath() {
  TraceLog& t = log();
  std::lock_guard<std::mutex> g(t.lock);
  return t.path;
}

void traceLine(const char* fmt, ...) {
  TraceLog& t = log();
  if (!t.file) return;  // cheap early out; re-checked under the lock
  va_list ap;
  va_start(ap, fmt);
  char buf[1024];
  int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  std::string body;
  if (n < 0) return;
  if (size_t(n) < sizeof buf) {
    body.assign(buf, size_t(n));
  } else {
    body.resize(size_t(n) + 1);
    va_start(ap, fmt);
    std::vsnprintf(body.data(), body.size(), fmt, ap);
    va_end(ap);
    body.resize(size_t(n));
  }
  LocalTime now = localNow();
  std::lock_guard<std::mutex> g(t.lock);
  if (!t.file) return;
  std::string line = strPrintf("[%02d:%02d:%02d.%03d][T%04lu][%s] ", now.hour, now.minute, now.second,
                               now.millisecond, (unsigned long)(currentThreadId() & 0xFFFF), t.dir.c_str());
  line += body;
  line += '\n';
  rollOverIfFull(t, line.size());
  if (t.file) writeLocked(t, line);
}

bool msgTraceOn() { return log().msgTrace; }
void setMsgTrace(bool on) { log().msgTrace = on; }

bool msgTraceFromEnvironment() {
  const char* v = std::getenv("ZOR_MSGTRACE");
  return v && v[0] == '1';
}

void traceWriteUnlocked(std::string_view text) {
  TraceLog& t = log();
  if (t.file) appendWrite(t.file, text);
}

}  // namespace zor
