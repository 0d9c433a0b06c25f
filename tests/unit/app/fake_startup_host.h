// A StartupHost for tests: records the platform calls of the start-up sequence in order, the
// dialogs among them ("datadialog", "mode"), and answers the dialogs with a script.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/setup_dialogs.h"
#include "app/startup.h"
#include "fake_dialog_host.h"

namespace zor {

// Records the platform calls in order, the dialogs among them.
class FakeHost : public StartupHost {
 public:
  explicit FakeHost(std::string dir) : dir_(std::move(dir)) {
    dialogs.script = [this](Dialog& d) {
      calls.push_back(d.className == kDataDirClass ? "datadialog" : d.className == kModePanelClass ? "mode" : d.className);
      return answer ? answer(d) : d.cancelResult;
    };
  }
  // Installs the dialogs of this host in `app`.
  AppState& use(AppState& app) {
    app.win.dialogs = &dialogs;
    return app;
  }
  void enableDpiAwareness() override { calls.push_back("dpi"); }
  std::string executableDirectory() override { return dir_; }
  bool acquireInstanceLock(const std::string& name) override {
    lockName = name;
    calls.push_back("lock");
    return !lockHeld;
  }
  void activateRunningInstance() override { calls.push_back("activate"); }
  void installCrashFilter() override { calls.push_back("crash"); }
  void registerExitHandler() override { calls.push_back("atexit"); }
  uint32_t timeSeed() override { return 7; }
  void showSplash() override { calls.push_back("splash"); }
  void hideSplash() override { calls.push_back("nosplash"); }
  bool createMainWindow(AppState&) override {
    calls.push_back("create");
    return createOk;
  }
  std::vector<MonitorArea> monitors() override { return {MonitorArea{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true}}; }
  void showMainWindow(AppState&, const StartPlacement& p) override {
    placed = p;
    calls.push_back("show");
  }
  int runMessageLoop() override {
    calls.push_back("loop");
    return 0;
  }

  std::vector<std::string> calls;
  FakeDialogHost dialogs;
  std::function<int(Dialog&)> answer;  // answers the dialogs; none: each is closed unanswered
  std::string lockName;
  bool lockHeld = false;
  bool createOk = true;
  StartPlacement placed;

 private:
  std::string dir_;
};

inline std::string joined(const std::vector<std::string>& v) {
  std::string out;
  for (const std::string& s : v) out += (out.empty() ? "" : " ") + s;
  return out;
}

}  // namespace zor
