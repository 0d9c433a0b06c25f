#include "app/startup.h"

#include "app/app_state.h"
#include "app/config.h"
#include "platform/trace_log.h"
#include "data/loaders.h"
#include "trading/trading_state.h"
#include "platform/clock.h"
#include "platform/random.h"
#include "platform/text.h"

namespace zor {

uint64_t fnv1a64(std::string_view bytes) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char ch : bytes) {
    h ^= ch;
    h *= 0x100000001b3ull;
  }
  return h;
}

std::string instanceLockName(std::string_view exeDir) {
  std::string key(exeDir);
  for (char& ch : key) {
    if (ch >= 'A' && ch <= 'Z') ch = char(ch - 'A' + 'a');
    if (ch == '/') ch = '\\';
  }
  return strPrintf("Local\\ZorTerminal-%016llx", (unsigned long long)fnv1a64(key));
}

void loadAccountsAtStartup(AppState& app) {
  TradingLoad load = loadTrading(app.trading, app.config.exeDir, localNow());
  for (const std::string& line : load.trace) traceLine("%s", line.c_str());
  // A damaged file is said once, above the splash window like every loading box.
  for (const std::string& warning : load.warnings) app.ui->messageBox(warning, kHintCaption, MsgWarning | MsgTopmost);
}

bool saveAccountsAtShutdown(AppState& app) {
  bool accounts = saveAccounts(app.trading);
  bool training = saveTrainAccount(app.trading);
  // The book is never written ahead of the accounts whose fills it records.
  bool book = saveOrderBook(app.trading);
  return accounts && training && book;
}
void applyStartMode(AppState& app, int mode) {}

int runStartup(AppState& app, StartupHost& host) {
  host.enableDpiAwareness();
  app.config.exeDir = host.executableDirectory();

  // A longer directory would be cut and then name another one: refuse before any file is
  // touched. A second process in the same directory would overwrite this one's files.
  if (app.config.exeDir.size() > kPathMax) {
    app.ui->messageBox(kPathTooLongText, kHintCaption, MsgInfo);
    return 1;
  }
  if (!host.acquireInstanceLock(instanceLockName(app.config.exeDir))) {
    host.activateRunningInstance();
    app.ui->messageBox(kAlreadyRunningText, kHintCaption, MsgInfo);
    return 0;
  }

  openTraceLog(app.config.exeDir);
  host.installCrashFilter();
  traceLine("WinMain start, exeDir=%s build=%s APP_MODE=%d", app.config.exeDir.c_str(), kBuildName, kAppMode);
  host.registerExitHandler();

  readConfig(app.config);
  if (!hasValidDataDir(app.config)) host.dataDirectoryDialog(app);
  seedRandom(host.timeSeed());

  host.showSplash();
  loadAllStocks(app);
  host.hideSplash();

  loadAccountsAtStartup(app);

  if (!host.createMainWindow(app)) return 1;
  host.showMainWindow(app, chooseStartPlacement(app.config, host.monitors()));

  int mode = host.modeDialog(app);
  applyStartMode(app, mode == 0 ? 1 : mode);
  return host.runMessageLoop();
}

}  // namespace zor
