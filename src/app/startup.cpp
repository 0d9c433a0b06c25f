#include "app/startup.h"

#include "app/app_state.h"
#include "app/config.h"
#include "app/setup_dialogs.h"
#include "app/training_bar.h"
#include "app/training_days.h"
#include "app/training_ops.h"
#include "data/loaders.h"
#include "trading/trading_state.h"
#include "platform/clock.h"
#include "platform/random.h"
#include "platform/text.h"
#include "platform/trace_log.h"

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

void loadAccountsAtStartup(AppState& app, std::vector<std::string>& problems) {
  TradingLoad load = loadTrading(app.trading, app.config.exeDir, localNow());
  for (const std::string& line : load.trace) traceLine("%s", line.c_str());
  problems.insert(problems.end(), load.warnings.begin(), load.warnings.end());
}

void saveAccountsAtShutdown(AppState& app, std::vector<std::string>& problems) {
  auto failed = [&](int file) { problems.push_back(strPrintf("保存失败：无法写入 %s。", tradingFileName(file))); };
  if (!saveAccountFile(app.trading, ModeHistory)) failed(FileHistAccount);
  if (!saveAccountFile(app.trading, ModeLive)) failed(FileLiveAccount);
  if (!saveTrainAccount(app.trading)) failed(FileTrainAccount);
  // The book is never written ahead of the accounts whose fills it records.
  if (!saveOrderBook(app.trading)) failed(FileOrderBook);
}
void applyStartMode(AppState& app, int mode) {
  if (mode != 2) {
    switchMode(app, mode);
    return;
  }
  // K-line training asks for the game's length first (a cancelled picker keeps the setting),
  // and a new game must not throw held positions away unasked.
  int days = pickTrainingDays(app);
  if (!confirmNewGame(app)) return;
  switchMode(app, mode, days);
}

void saveAtShutdown(AppState& app) {
  std::vector<std::string> failed;
  app.win.placementDirty = false;
  if (!writeConfig(app.config)) failed.push_back(kConfigSaveFailed);
  saveAccountsAtShutdown(app, failed);
  reportFileProblems(app, failed);
}

void reportFileProblems(AppState& app, const std::vector<std::string>& problems, unsigned flags) {
  if (problems.empty()) return;
  std::string text;
  for (const std::string& p : problems) text += (text.empty() ? "" : "\n") + p;
  app.ui->messageBox(text, kHintCaption, MsgWarning | flags);
}

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
  // Without a directory there is nothing to show: ask for one. Closing that dialog may end
  // the program here, before anything was written.
  if (!hasValidDataDir(app.config) && dataDirDialog(app, DataDirOrigin::Startup) == DataDirOutcome::Quit) return 0;
  seedRandom(host.timeSeed());

  host.showSplash();
  loadAllStocks(app);
  host.hideSplash();

  // No window is shown yet: the box must not hide behind anything.
  std::vector<std::string> problems;
  loadAccountsAtStartup(app, problems);
  reportFileProblems(app, problems, MsgTopmost);

  if (!host.createMainWindow(app)) return 1;
  host.showMainWindow(app, chooseStartPlacement(app.config, host.monitors()));

  // Leaving the panel without a choice starts history trading.
  int mode = modeDialog(app);
  applyStartMode(app, mode == 0 ? 1 : mode);
  return host.runMessageLoop();
}

}  // namespace zor
