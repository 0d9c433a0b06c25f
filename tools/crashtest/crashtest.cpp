// A test build that crashes on purpose, with the program's own trace log and crash filter:
//   crashtest null   dereferences a null pointer after opening the log
//   crashtest save   reads zor.cfg, changes WIN_X to 4242 and saves; the save crashes after
//                    the temporary file is written and before it replaces zor.cfg
// Both leave the crash line in zor_trace.log and a zor_crash_<ticks>.dmp beside the exe.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "app/config.h"
#include "platform/trace_log.h"
#include "platform/file_io.h"

namespace {

void crashNow() {
  volatile int* volatile p = nullptr;
  *p = 42;
}

BOOL WINAPI crashingMove(LPCWSTR, LPCWSTR, DWORD) {
  crashNow();
  return FALSE;
}

// Points this executable's import of kernel32!MoveFileExW at crashingMove, so that the real
// save path runs up to the replace step and dies there.
bool redirectMoveFile() {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), "MoveFileExW") != 0) continue;
      DWORD old;
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
      slots->u1.Function = ULONG_PTR(&crashingMove);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
      return true;
    }
  }
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  static zor::AppState app;
  app.config.exeDir = zor::executableDirectory();
  zor::openTraceLog(app.config.exeDir);
  zor::installCrashFilter();
  if (argc > 1 && std::wcscmp(argv[1], L"save") == 0) {
    zor::readConfig(app.config);
    app.config.winX = 4242;
    if (!redirectMoveFile()) {
      std::fputs("crashtest: MoveFileExW import not found\n", stderr);
      return 3;
    }
    zor::traceLine("crashtest save");
    zor::writeConfig(app.config);
    return 4;  // not reached
  }
  zor::traceLine("crashtest null");
  crashNow();
  return 4;
}
