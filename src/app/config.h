// zor.cfg: every setting that survives a restart, as KEY=value lines beside the executable.
//
// Format: one pair per line, ended by a line feed, no spaces around "=", no comments. A reader
// takes LF or CR LF and drops a leading UTF-8 BOM. The writer emits the keys in a fixed order,
// ending with "FS_VER=3" and the UPDATE_URL line, through a temporary file that then replaces
// zor.cfg, so a failed or interrupted save never leaves a truncated file.
#pragma once

#include <string>

namespace zor {

struct AppState;

constexpr const char* kConfigFileName = "zor.cfg";
constexpr const char* kConfigSaveFailed = "配置保存失败：无法写入 zor.cfg。";

std::string configPath(const AppState& app);

// Reads zor.cfg into `app`. Without a readable file: no lc1 directory, the DAT directory
// "<exeDir>data", everything else as initialised.
void readConfig(AppState& app);

// Rewrites zor.cfg whole. False when it could not be written; the old file then stays.
bool writeConfig(AppState& app);

// Resolves the configured directory texts into the paths the program uses: a relative text
// is taken relative to exeDir.
void resolveDataDirs(AppState& app);

// True when the lc1 or the DAT directory is set and names an existing directory.
bool hasValidDataDir(const AppState& app);

}  // namespace zor
