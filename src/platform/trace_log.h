// The diagnostic log "zor_trace.log" in the executable's directory, appended to on every run.
// The log is the program's only diagnostic channel. All writes hold one process-wide lock, so
// lines of different threads never interleave. The file rolls over to "zor_trace.log.1" when
// it reaches kTraceLogCap bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace zor {

constexpr uint64_t kTraceLogCap = 8ull << 20;  // 8 MiB

// Opens the log in `dir` (a directory ending in its separator, or not) and writes the start
// marker. When the file cannot be opened, tracing stays off and traceLine returns at once.
// `cap` is the roll-over size.
void openTraceLog(std::string_view dir, uint64_t cap = kTraceLogCap);
// Writes the end marker and closes the log.
void closeTraceLog();
bool traceLogOpen();
std::string traceLogPath();

// printf-style: "[hh:mm:ss.mmm][Tnnnn][dir] text\n", flushed at once.
void traceLine(const char* fmt, ...) ZOR_PRINTF_LIKE(1, 2);

// Per-paint and per-tick lines are written only while message tracing is on (ZOR_MSGTRACE
// starting with "1"); the flag is decided once at start-up.
bool msgTraceOn();
void setMsgTrace(bool on);
// Reads ZOR_MSGTRACE.
bool msgTraceFromEnvironment();

// For the crash filter: writes `text` without taking the lock (a crash while the lock is held
// must not deadlock) and flushes.
void traceWriteUnlocked(std::string_view text);

// Installs the process's crash handler: it writes the crash line to the log and a crash dump
// "zor_crash_<ticks>.dmp" in the log's directory, then ends the process.
void installCrashFilter();

}  // namespace zor
