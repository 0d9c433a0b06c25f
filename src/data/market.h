// The in-memory market model: instruments, daily and minute bars, chart periods, and the
// small helpers that look instruments and bars up.
//
// Units: prices in yuan (double; 32-bit float inside MinuteBar), volume in shares, amount in
// yuan, dates yyyymmdd (8-digit text in DayBar::date), minute times as minutes after
// midnight (571 = 09:31, 900 = 15:00).
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/calendar.h"

namespace zor {

// Marks the four prices of a bar whose source record failed validation.
constexpr double NO_PRICE = -1e30;
constexpr float NO_PRICE_F = -1e30f;

// One daily bar, and the shape of every bar handed to charts and formulas. `date` holds
// "%08d" of the date for day-based bars and "%02d-%02d %02d:%02d" (month, day, hour, minute
// of the first minute) for minute-period display bars.
struct DayBar {
  char date[16] = {};
  double open = 0, high = 0, low = 0, close = 0;
  double volume = 0, amount = 0;

  void setDate(std::string_view text) {
    size_t n = text.size() < sizeof date - 1 ? text.size() : sizeof date - 1;
    std::memcpy(date, text.data(), n);
    std::memset(date + n, 0, sizeof date - n);
  }
  void setDate(int yyyymmdd);
  // The leading decimal digits of `date` (0 when none).
  int dateInt() const;
  // `date` up to its first NUL, never beyond the field.
  std::string_view dateText() const {
    size_t n = 0;
    while (n < sizeof date && date[n] != '\0') ++n;
    return std::string_view(date, n);
  }
};

struct MinuteBar {
  int32_t date = 0;  // yyyymmdd
  int32_t time = 0;  // minutes after midnight of the minute in which the bar closes
  float open = 0, high = 0, low = 0, close = 0;
  double volume = 0, amount = 0;
};

// Chart period codes.
enum ChartPeriod : int32_t {
  PeriodDay = 0,
  PeriodWeek = 1,
  PeriodMonth = 2,
  PeriodMin60 = 3,
  PeriodMin30 = 4,
  PeriodMin15 = 5,
  PeriodMin5 = 6,
  PeriodMin1 = 7,
  PeriodDay10 = 8,
  PeriodDay45 = 9,
  PeriodQuarter = 10,
  PeriodYear = 11,
};
constexpr int kPeriodCount = 12;

// Codes 3..7 are built from minute bars; the others from daily bars.
inline bool isMinutePeriod(int period) { return period >= PeriodMin60 && period <= PeriodMin1; }
// Long label ("日线", "60分钟", "45日线", ...); "" for an unknown code.
const char* periodLabel(int period);
// Short tab-bar label for codes 0..7 ("日线", "60分", ...).
const char* periodShortLabel(int period);
// The chart title "%s (%s.前复权)".
std::string chartTitle(std::string_view name, int period);

// Text limits, in bytes.
constexpr size_t kCodeMax = 9;       // 10-byte field
constexpr size_t kNameMax = 31;      // 32-byte field
constexpr size_t kBoardMax = 15;
constexpr size_t kDataFileMax = 31;
constexpr size_t kMinFileMax = 39;
constexpr size_t kNoteMax = 159;

struct StockRecord {
  std::string code;      // bare six digits once the table is built
  std::string name;      // at most kNameMax bytes
  std::string board;     // "沪市", "科创板", "深市", "创业板"
  std::string dataFile;  // DAT file name, prefixed code (vipdoc) or THS relative path
  std::string minFile;   // THS minute file relative to the THS root, without ".min"

  // Quote snapshot: "today" as the quote panels and the list show it.
  double lastPrice = 0, prevClose = 0;
  double open = 0, high = 0, low = 0;
  double volume = 0, amount = 0;
  double turnover = 0;   // percent
  double amplitude = 0;  // percent of prevClose

  std::vector<DayBar> k;          // daily bars, ascending, one per date
  std::vector<MinuteBar> minc;    // minute bars of the latest day in minAll
  std::vector<MinuteBar> minAll;  // all minute bars, ascending by (date, time)

  int32_t market = 0;  // 0 Shenzhen, 1 Shanghai
  int32_t index = 0;   // load-order number assigned when the table was built
  bool hasDat = false;
  bool hasLc1 = false;
  bool dayLoaded = false;
  bool minLoaded = false;
  bool drawingsLoaded = false;
  std::string note;  // data-consistency warning of the real-time fetch

  // Tick of Market::minuteClock when the minute arrays were last loaded or shown;
  // the least recently shown arrays are released first (trimMinuteCache).
  uint64_t minUse = 0;
  // The minute arrays came from the quote server (real-time mode), not from the files.
  bool minFromServer = false;
  // Changes with every change of `k` or `minAll` (see barsChanged); never repeats within a
  // process, across all instruments. Derived series are keyed on it. (`minc`, the latest day
  // alone, feeds no derived series: a replay frame changes it without a new generation.)
  uint64_t barsGeneration = 0;
};

// Records that the bars of `rec` changed: every writer of `k` or `minAll` calls it, so that no
// series derived from the old bars is used again.
void barsChanged(StockRecord& rec);

// Where quotes and minute series come from. The stored values are pinned: zor.cfg-free state
// queries and the trace lines print them.
enum class TradeMode : int32_t {
  RealTime = 0,  // the quote server supplies the live instrument; minute series are real bars only
  History = 1,   // replay and training on local files; minute series fill days without minutes
};

// The directories an instrument table is built from, as resolved paths. Bars of the table's
// instruments are read from the directories the table was built from.
struct DataDirs {
  std::string datDir;  // converted DAT directory, empty when not configured
  std::string lc1Dir;  // vipdoc or THS history directory, empty when not configured
  std::string exeDir;  // the program's directory, which may hold stock_names.txt
};

// The market data part of the application state: the instrument table and what the loaders
// keep between calls.
struct Market {
  std::vector<StockRecord> stocks;
  DataDirs dirs;  // what `stocks` was built from
  // THS history root of the current table; empty when the lc1 directory is not a THS
  // directory. Decides where daily and minute bars come from.
  std::string thsRoot;
  // Code -> display name, from index.dat, the built-in table and stock_names.txt. Filled at
  // every table build; later builds add to it.
  std::map<std::string, std::string> names;
  // Code -> name from the THS name files (converted from GBK), read again when the THS root
  // changes.
  std::map<std::string, std::string> thsNames;
  std::string thsNamesRoot;
  bool thsNamesLoaded = false;
  uint64_t minuteClock = 0;

  bool valid(int index) const { return index >= 0 && size_t(index) < stocks.size(); }
};

// Shared validity test of a bar's prices: each in (0.01, 10000], high >= low. A minute bar is
// tested on its prices widened to double, so that it agrees with the display bar made of it.
bool isValidBar(const DayBar& b);
bool isValidMinute(const MinuteBar& m);

// Skips a leading "sh", "sz" or "bj" (either case); texts of two characters or fewer are
// returned unchanged.
std::string stripMarketPrefix(std::string_view code);
// The instrument a typed code names: the exact code, else the first code ending with it
// ("600000" names "sh600000"); -1 when none does.
int instrumentOfCode(const Market& m, std::string_view input);
// The vipdoc file form: the code unchanged when it is at least three characters and already
// prefixed, otherwise "sh" (market 1) or "sz" (market 0) in front.
std::string fullCode(const StockRecord& rec);
// "<market>:<code without prefix>", e.g. "1:600000".
std::string marketKey(int market, std::string_view code);
// Board label of a bare or prefixed code under its market.
const char* boardFor(int market, std::string_view code);

// First record of `market` whose prefix-stripped code equals the stripped argument; -1 if none.
int findStock(const std::vector<StockRecord>& stocks, int market, std::string_view code);
// Index of the bar dated `date` (searching from the end), else of the last bar dated before
// it, else -1.
int findBarByDate(const StockRecord& rec, std::string_view date);
// Close of the instrument's last daily bar dated strictly before `date` (loading the daily
// bars when needed); 0 when there is none or its close is not in (0, 1,000,000).
double closeBeforeDate(Market& m, int market, std::string_view code, int date, TradeMode mode);

// Refreshes the quote snapshot from the daily bars (the last valid bar and the valid bar
// before it). In real-time mode the live fields are zeroed for the quote client.
void buildQuoteSnapshot(StockRecord& rec, TradeMode mode);

// To be called right after the trade mode changed: the quote snapshot of every instrument with
// daily bars is rebuilt for the new mode (and, outside real-time mode, refreshed from its file
// minutes), except the instruments in `owned` (whose quotes a running game or replay keeps).
// Leaving real-time mode drops the minutes that came from the quote server, so the files load
// on demand.
void applyTradeModeChange(Market& m, TradeMode mode, const std::vector<int>& owned);

}  // namespace zor
