// Loading the instrument table and an instrument's bars from the configured directories: the
// converted DAT directory (index.dat and "%d.%s.dat" per instrument), a vipdoc directory
// (sh|sz\lday\*.day, sh|sz\minline\*.lc1) or a THS history directory (shase|sznse|stb\min\*.min).
//
// The directories used are the resolved `app.datDir` and `app.lc1Dir`. Message boxes go
// through `app.ui`; those of the table build are shown topmost, above the splash window.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "data/market.h"

namespace zor {

// Message-box texts of the loaders.
constexpr const char* kCaptionDataDir = "数据目录错误";
constexpr const char* kCaptionNoData = "无本地数据";
constexpr const char* kMsgNoDataDir =
    "未配置任何有效数据目录。\n请在弹出的配置窗口中填写 DAT 目录或 lc1 目录（至少一项）。";
constexpr const char* kMsgNothingFound = "两个数据目录均未解析到任何标的。\n请检查目录是否正确。";
constexpr const char* kMsgIndexOpen =
    "无法打开数据索引文件:\n\n%s\n\n请确认该目录下包含 index.dat 与各标的 .dat 文件。";
constexpr const char* kMsgIndexMagic = "index.dat 格式不识别（魔数错误）。";
constexpr const char* kMsgLc1Missing = "lc1 目录不存在:\n\n%s";

constexpr int kDayBarsAtStart = 60;     // instruments whose daily bars load with the table
constexpr int kMinuteLoadsPerTick = 10;  // minute loads per quote-list refresh
constexpr int kMinuteArraysKept = 64;   // minute arrays kept besides the instruments in use

// While the directories are scanned, instruments are collected by marketKey.
using MergeMap = std::map<std::string, StockRecord>;
struct StockScan {
  MergeMap map;
  std::string thsRoot;  // set by the lc1 scan; becomes app.data.thsRoot with the new table
};

// Builds `app.stocks` from the DAT and lc1 directories and loads the daily bars of the first
// 60 instruments. Returns true when the table was replaced; otherwise the table (and the THS
// root it was built with) is left as it was and a message box has said why.
bool loadAllStocks(AppState& app);

// Adds the entries of index.dat to the scan.
void scanDatIndex(AppState& app, StockScan& scan);
// Adds the instruments of the lc1 directory (vipdoc or THS) to the scan.
void scanLc1Dir(AppState& app, StockScan& scan);
void scanVipdoc(AppState& app, StockScan& scan);
void scanThs(AppState& app, StockScan& scan);

// The listing rule: a six-digit code of the market's pattern (after a lower-case "sh", "sz" or
// "bj" prefix) and latest and previous close in (0, 10,000,000]. `bare` receives the code.
bool passesListingRule(const StockRecord& rec, std::string& bare);

// The THS history root for a directory ("dir" or "dir\history"), or empty.
std::string findThsRoot(const std::string& dir);
// Reads a whole .min file; true when at least one bar was read.
bool readThsMin(const std::string& path, std::vector<MinuteBar>& bars);
// The last close and the previous day's close of a .min file.
bool probeThsClose(const std::string& path, double& last, double& prev);

// Daily bars of one instrument (DAT file and vipdoc .day), once.
void loadDayBars(StockRecord& rec, AppState& app);
// Minute bars of one instrument (DAT minute block merged with .lc1 or THS .min), once; also
// extends or builds the daily bars from them and refreshes the quote snapshot.
void loadMinuteBars(StockRecord& rec, AppState& app);

// The quote snapshot from the valid minutes of `minc` (the latest day) and the close before
// it; nothing changes when `minc` has no valid minute.
void refreshQuoteFromMinutes(StockRecord& rec);

// The timer's refresh of the visible quote-list rows: daily bars, up to 10 minute loads, and
// the newest close of each row's .lc1 file.
void refreshVisibleRows(AppState& app);
// Rows the quote list shows: max(1, (height - 22) / 22).
int visibleListRows(const AppState& app);
// Instrument indices of the visible rows, in view order.
std::vector<int> visibleInstruments(const AppState& app);
// Releases the least recently shown minute arrays beyond kMinuteArraysKept, never those of
// the selected, live, game or replayed instrument or of a visible row. Daily bars and the
// quote snapshot stay; the minutes load again on demand.
void trimMinuteCache(AppState& app);

// File paths.
std::string datFilePath(const AppState& app, std::string_view name);
// "<lc1Dir>\sh|sz\<folder>\<fullCode><ext>", folder "lday" or "minline".
std::string vipdocPath(const AppState& app, const StockRecord& rec, const char* folder, const char* ext);

}  // namespace zor
