// The start-up sequence from the process entry to the message loop, the saves at shutdown, and
// the per-directory single-instance rule. The sequence is portable; the platform supplies the
// windows, the lock and the loop through StartupHost, and the dialogs through the dialog host
// installed in the window part of the state (app.win.dialogs).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/placement.h"

namespace zor {

struct AppState;

constexpr const char* kBuildName = "Release";
constexpr int kAppMode = 1;

constexpr const char* kPathTooLongText = "程序所在目录的路径过长（超过 259 字节），请移到较短的路径下再运行。";
constexpr const char* kAlreadyRunningText = "程序已在运行，同一目录的数据不能被两个程序同时使用。";
constexpr const char* kHintCaption = "提示";

// What the start-up sequence needs from the platform.
class StartupHost {
 public:
  virtual ~StartupHost() = default;
  virtual void enableDpiAwareness() = 0;
  // Directory of the executable ending in its separator; empty when it cannot be obtained.
  virtual std::string executableDirectory() = 0;
  // Takes the named lock for the life of the process; false when another process holds it.
  virtual bool acquireInstanceLock(const std::string& name) = 0;
  // Brings the main window of the process that holds the lock to the front, if it has one.
  virtual void activateRunningInstance() = 0;
  virtual void installCrashFilter() = 0;
  // Closes the trace log at process exit.
  virtual void registerExitHandler() = 0;
  virtual uint32_t timeSeed() = 0;
  // The splash window shown while the instrument table loads; message boxes shown meanwhile
  // must stay above it.
  virtual void showSplash() = 0;
  virtual void hideSplash() = 0;
  // Registers the window class and creates the main window (hidden, without its system
  // caption). False when it cannot be created.
  virtual bool createMainWindow(AppState& app) = 0;
  virtual std::vector<MonitorArea> monitors() = 0;
  virtual void showMainWindow(AppState& app, const StartPlacement& placement) = 0;
  // Runs until the quit message; returns the process exit code.
  virtual int runMessageLoop() = 0;
};

// Runs the whole sequence and returns the process exit code.
int runStartup(AppState& app, StartupHost& host);

// "Local\ZorTerminal-" + 16 lower-case hex digits of FNV-1a 64 over the directory with ASCII
// letters lowered and '/' taken as '\', so that two spellings of one directory share a lock.
std::string instanceLockName(std::string_view exeDir);
uint64_t fnv1a64(std::string_view bytes);

// The history, real-time and training accounts and the order book, loaded after the instrument
// table and saved when the main window goes away. Each file that cannot be read whole or
// written adds one message naming it to `problems`; the caller shows them together
// (reportFileProblems). The trading files load and save here once they exist.
void loadAccountsAtStartup(AppState& app, std::vector<std::string>& problems);
void saveAccountsAtShutdown(AppState& app, std::vector<std::string>& problems);

// The saves of shutdown: zor.cfg (with the placement just stored), the accounts and the order
// book. Every save is tried; the failures are shown in one box.
void saveAtShutdown(AppState& app);

// Shows the messages of `problems` in one warning box (nothing when there are none); `flags`
// adds to the box's style (MsgTopmost while loading).
void reportFileProblems(AppState& app, const std::vector<std::string>& problems, unsigned flags = 0);

// The mode switch for the mode chosen at start-up (1 history, 2 K-line training, 3 real-time);
// it arrives with the training subsystem.
void applyStartMode(AppState& app, int mode);

}  // namespace zor
