// The crash record: an unhandled exception writes the crash line to the trace log and a
// minidump "zor_crash_<ticks>.dmp" beside it, then ends the process without the system's
// error dialog.
#include <windows.h>
#include <dbghelp.h>

#include <cstdio>
#include <string>

#include "platform/trace_log.h"
#include "platform/text.h"

namespace zor {

namespace {

// Prepared when the filter is installed: a crash may come from a broken heap, so the filter
// itself allocates nothing.
wchar_t g_dumpDir[32768];

LONG WINAPI crashFilter(EXCEPTION_POINTERS* ep) {
  const EXCEPTION_RECORD* rec = ep ? ep->ExceptionRecord : nullptr;
  SYSTEMTIME st;
  GetLocalTime(&st);
  char line[256];
  std::snprintf(line, sizeof line, "\n[%02d:%02d:%02d.%03d] *** CRASH *** code=0x%08lX addr=0x%016llX flags=0x%lu\n",
                st.wHour, st.wMinute, st.wSecond, st.wMilliseconds, rec ? (unsigned long)rec->ExceptionCode : 0ul,
                rec ? (unsigned long long)(uintptr_t)rec->ExceptionAddress : 0ull,
                rec ? (unsigned long)rec->ExceptionFlags : 0ul);
  traceWriteUnlocked(line);

  wchar_t path[32768 + 64];
  _snwprintf(path, sizeof path / sizeof path[0], L"%lszor_crash_%lu.dmp", g_dumpDir, (unsigned long)GetTickCount());
  path[sizeof path / sizeof path[0] - 1] = 0;
  HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return EXCEPTION_EXECUTE_HANDLER;
  MINIDUMP_EXCEPTION_INFORMATION mei{};
  mei.ThreadId = GetCurrentThreadId();
  mei.ExceptionPointers = ep;
  mei.ClientPointers = FALSE;
  MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), f,
                    MINIDUMP_TYPE(MiniDumpWithThreadInfo | MiniDumpWithHandleData | MiniDumpWithDataSegs),
                    ep ? &mei : nullptr, nullptr, nullptr);
  CloseHandle(f);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void installCrashFilter() {
  // The dump goes beside the trace log.
  std::string log = traceLogPath();
  size_t slash = log.find_last_of("\\/");
  std::string dir = slash == std::string::npos ? std::string() : log.substr(0, slash + 1);
  std::wstring w;
  if (!utf8ToWide(dir, w) || w.size() >= sizeof g_dumpDir / sizeof g_dumpDir[0]) w.clear();
  w.copy(g_dumpDir, w.size());
  g_dumpDir[w.size()] = 0;
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(crashFilter);
}

}  // namespace zor
