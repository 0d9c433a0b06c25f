// Loading the instrument table and an instrument's bars from the configured directories: the
// converted DAT directory (index.dat and "%d.%s.dat" per instrument), a vipdoc directory
// (sh|sz\lday\*.day, sh|sz\minline\*.lc1) or a THS history directory (shase|sznse|stb\min\*.min).
//
// The directories are resolved paths (DataDirs). Message boxes go through the UI services;
// those of the table build are shown topmost, above the splash window.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "data/market.h"
#include "platform/ui.h"

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
  std::string thsRoot;  // set by the lc1 scan; becomes Market::thsRoot with the new table
};

// Builds `m.stocks` from the DAT and lc1 directories of `dirs` and loads the daily bars of the
// first 60 instruments. Returns true when the table was replaced (and `m.dirs` became `dirs`);
// otherwise the table (and the directories and THS root it was built with) is left as it was
// and a message box has said why.
bool loadAllStocks(Market& m, const DataDirs& dirs, TradeMode mode, UiServices& ui);

// Adds the entries of "<datDir>\index.dat" to the scan.
void scanDatIndex(const std::string& datDir, UiServices& ui, StockScan& scan);
// Adds the instruments of the lc1 directory (vipdoc or THS) to the scan; the THS name map of
// `m` is read again when the THS root changes.
void scanLc1Dir(Market& m, const std::string& lc1Dir, UiServices& ui, StockScan& scan);
void scanVipdoc(const std::string& lc1Dir, StockScan& scan);
void scanThs(Market& m, StockScan& scan);

// The listing rule: a six-digit code of the market's pattern (after a lower-case "sh", "sz" or
// "bj" prefix) and latest and previous close in (0, 10,000,000]. `bare` receives the code.
bool passesListingRule(const StockRecord& rec, std::string& bare);

// The THS history root for a directory ("dir" or "dir\history"), or empty.
std::string findThsRoot(const std::string& dir);
// Reads a whole .min file; true when at least one bar was read.
bool readThsMin(const std::string& path, std::vector<MinuteBar>& bars);
// The last close and the previous day's close of a .min file.
bool probeThsClose(const std::string& path, double& last, double& prev);

// Daily bars of one instrument (DAT file and vipdoc .day), once. `rec` is an instrument of `m`.
void loadDayBars(const Market& m, StockRecord& rec, TradeMode mode);
// Minute bars of one instrument (DAT minute block merged with .lc1 or THS .min), once; also
// extends or builds the daily bars from them and refreshes the quote snapshot. The arrays
// count as just shown (Market::minuteClock); bounding their number is the caller's
// (trimMinuteCache).
void loadMinuteBars(Market& m, StockRecord& rec, TradeMode mode);

// The quote snapshot from the valid minutes of `minc` (the latest day) and the close before
// it; nothing changes when `minc` has no valid minute.
void refreshQuoteFromMinutes(StockRecord& rec);

// The timer's refresh of the visible quote-list rows (instrument indices in view order):
// daily bars, up to 10 minute loads, and the newest close of each row's .lc1 file. Instruments
// in `owned` keep their quotes (a running game, replay or live link owns them); in real-time
// mode minutes come from the quote server and the files are left alone.
void refreshVisibleRows(Market& m, const std::vector<int>& rows, TradeMode mode, const std::vector<int>& owned);
// Releases the least recently shown minute arrays beyond kMinuteArraysKept, never those of the
// instruments in `inUse` (selected, live, game, replayed) or `onScreen` (visible rows). Daily
// bars and the quote snapshot stay; the minutes load again on demand.
void trimMinuteCache(Market& m, const std::vector<int>& inUse, const std::vector<int>& onScreen);

// File paths.
std::string datFilePath(const Market& m, std::string_view name);
// "<lc1Dir>\sh|sz\<folder>\<fullCode><ext>", folder "lday" or "minline".
std::string vipdocPath(const Market& m, const StockRecord& rec, const char* folder, const char* ext);

}  // namespace zor
