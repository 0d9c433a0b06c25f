// The process entry point: the Win32 side of the start-up sequence (app/startup.h).
#include <windows.h>

#include <cstdlib>
#include <ctime>

#include "app/app_state.h"
#include "app/startup.h"
#include "platform/trace_log.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "platform/ui_win32.h"
#include "platform/win32/dialog_win32.h"
#include "platform/win32/main_window_proc.h"
#include "platform/win32/splash.h"

namespace zor {

namespace {

BOOL CALLBACK collectMonitor(HMONITOR m, HDC, LPRECT, LPARAM out) {
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  if (!GetMonitorInfoW(m, &mi)) return TRUE;
  RECT work = IsRectEmpty(&mi.rcWork) ? mi.rcMonitor : mi.rcWork;
  MonitorArea a;
  a.monitor = Rect{int(mi.rcMonitor.left), int(mi.rcMonitor.top), int(mi.rcMonitor.right), int(mi.rcMonitor.bottom)};
  a.work = Rect{int(work.left), int(work.top), int(work.right), int(work.bottom)};
  a.primary = (mi.dwFlags & MONITORINFOF_PRIMARY) != 0;
  reinterpret_cast<std::vector<MonitorArea>*>(out)->push_back(a);
  return TRUE;
}

class Win32StartupHost : public StartupHost {
 public:
  Win32StartupHost(HINSTANCE instance, Win32Ui& ui) : instance_(instance), ui_(ui) {}

  void enableDpiAwareness() override {
    using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    auto set = reinterpret_cast<SetContext>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
    // The manifest already asks for per-monitor awareness; this covers a missing manifest.
    if (!set || !set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) SetProcessDPIAware();
  }
  std::string executableDirectory() override { return zor::executableDirectory(); }
  bool acquireInstanceLock(const std::string& name) override {
    std::wstring w;
    if (!utf8ToWide(name, w)) return true;
    mutex_ = CreateMutexW(nullptr, FALSE, w.c_str());
    // Without a lock object at all the program still runs; only a held lock refuses.
    return !(mutex_ && GetLastError() == ERROR_ALREADY_EXISTS);
  }
  void activateRunningInstance() override {
    HWND other = FindWindowW(kMainWindowClass, nullptr);
    if (!other) return;
    if (IsIconic(other)) ShowWindow(other, SW_RESTORE);
    SetForegroundWindow(other);
  }
  void installCrashFilter() override { zor::installCrashFilter(); }
  void registerExitHandler() override { std::atexit([] { closeTraceLog(); }); }
  uint32_t timeSeed() override { return uint32_t(std::time(nullptr)); }
  void showSplash() override {
    ui_.setLoadingPhase(true);
    splash_.show(instance_);
  }
  void hideSplash() override {
    splash_.hide();
    ui_.setLoadingPhase(false);
  }
  bool createMainWindow(AppState& app) override {
    window_ = zor::createMainWindow(app, instance_);
    ui_.setWindow(window_);
    return window_ != nullptr;
  }
  std::vector<MonitorArea> monitors() override {
    std::vector<MonitorArea> out;
    EnumDisplayMonitors(nullptr, nullptr, collectMonitor, LPARAM(&out));
    if (out.empty()) {
      RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
      Rect r{int(screen.left), int(screen.top), int(screen.right), int(screen.bottom)};
      out.push_back(MonitorArea{r, r, true});
    }
    return out;
  }
  void showMainWindow(AppState& app, const StartPlacement& p) override {
    // A move onto a monitor of another DPI lets the window rescale itself on the way; the
    // second move lands on that monitor already and puts back the saved size.
    for (int i = 0; i < 2; ++i)
      SetWindowPos(window_, nullptr, p.rect.left, p.rect.top, p.rect.width(), p.rect.height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window_, p.maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    UpdateWindow(window_);
  }
  int runMessageLoop() override {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (routeDialogMessage(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    // A quit that did not come from the window's destruction still ends the program through
    // it, so that the placement, zor.cfg and the accounts are saved.
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    return 0;
  }

 private:
  HINSTANCE instance_;
  Win32Ui& ui_;
  SplashWindow splash_;
  HWND window_ = nullptr;
  HANDLE mutex_ = nullptr;  // held until the process ends
};

}  // namespace

}  // namespace zor

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  static zor::AppState app;
  static zor::Win32Ui ui;
  static zor::Win32DialogHost dialogs(instance, ui);
  app.ui = &ui;
  app.win.dialogs = &dialogs;
  zor::Win32StartupHost host(instance, ui);
  return zor::runStartup(app, host);
}
