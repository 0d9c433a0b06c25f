// zor.cfg: every setting that survives a restart, as KEY=value lines beside the executable.
//
// Format: one pair per line, ended by a line feed, no spaces around "=", no comments. A reader
// takes LF or CR LF and drops a leading UTF-8 BOM. The writer emits the keys in a fixed order,
// ending with "FS_VER=3" and the UPDATE_URL line, through a temporary file that then replaces
// zor.cfg, so a failed or interrupted save never leaves a truncated file.
#pragma once

#include <array>
#include <string>

#include "data/market.h"

namespace zor {

// Text limits of the configuration fields, in bytes.
constexpr size_t kPathMax = 259;
constexpr size_t kHostMax = 63;
constexpr size_t kUserNameMax = 31;
constexpr size_t kUserAcctMax = 23;
constexpr size_t kFsNameMax = 15;
constexpr size_t kUrlMax = 255;

constexpr const char* kDefaultUserName = "模拟交易";
constexpr const char* kDefaultUserAcct = "6602130418";
constexpr const char* kDefaultUpdateUrl = "https://update.zorterminal.cn/zor/";

// The intraday chart settings kept in zor.cfg. Two copies live in the configuration: the one
// read from the file and the live one the chart changes.
struct IntradaySettings {
  std::array<int, 4> ma = {5, 10, 20, 60};
  int subCount = 1;
  std::string sub1;  // at most kFsNameMax bytes
  std::string sub2;
  std::array<int, 4> sub1Param = {0, 0, 0, 0};
  std::array<int, 4> sub2Param = {0, 0, 0, 0};
  int avg = 1;       // stored copy: the integer read; live copy: 0 or 1
  std::string mainInd = "MA";

  // The stored copy shows MACD in its first sub-panel until a file says otherwise.
  static IntradaySettings storedDefaults() {
    IntradaySettings s;
    s.sub1 = "MACD";
    return s;
  }
};

// The configuration part of the application state: what zor.cfg holds, and the directory of
// the executable it lives in.
struct Config {
  std::string exeDir;  // ends in the path separator
  std::string serverHost;
  int serverPort = 0;
  int dataMode = 0;    // 2 when the DAT directory is set, plus 1 when the lc1 directory is set
  // The directories as configured (relative texts stay relative) and as used (resolved
  // against exeDir). zor.cfg and the data dialog show the configured texts.
  std::string lc1DirText, datDirText;
  std::string lc1Dir, datDir;
  // Whether the resolved directories existed when they were last resolved (the status line
  // shows it; painting never asks the file system).
  bool lc1DirExists = false, datDirExists = false;
  std::string userName = kDefaultUserName;
  std::string userAcct = kDefaultUserAcct;
  int winX = 0, winY = 0, winW = 0, winH = 0, winMax = 0;
  IntradaySettings fsStored = IntradaySettings::storedDefaults();
  IntradaySettings fsLive;
  std::string updateUrl = kDefaultUpdateUrl;

  // The resolved directories, as the loaders take them.
  DataDirs dataDirs() const { return DataDirs{datDir, lc1Dir, exeDir}; }
};

constexpr const char* kConfigFileName = "zor.cfg";
constexpr const char* kConfigSaveFailed = "配置保存失败：无法写入 zor.cfg。";

std::string configPath(const Config& cfg);

// Reads zor.cfg into `app`. Without a readable file: no lc1 directory, the DAT directory
// "<exeDir>data", everything else as initialised.
void readConfig(Config& cfg);

// Rewrites zor.cfg whole. False when it could not be written; the old file then stays.
bool writeConfig(Config& cfg);

// Resolves the configured directory texts into the paths the program uses: a relative text
// is taken relative to exeDir. Also notes whether they exist (checkDataDirs).
void resolveDataDirs(Config& cfg);
// Notes whether the resolved directories exist now.
void checkDataDirs(Config& cfg);

// True when the lc1 or the DAT directory is set and names an existing directory.
bool hasValidDataDir(const Config& cfg);

}  // namespace zor
