// The fuzz entries of the market-data readers, shared by the libFuzzer targets and the unit
// test that replays their corpora. Each entry puts the bytes where the program would find
// them (index.dat, a per-instrument DAT file, a .day, .lc1 or .min file, a name file) in a
// scratch directory and runs the real loaders over it, so that the count and length checks
// of the file-reading code are exercised, not only the decoders.
#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "data/formats.h"
#include "data/loaders.h"
#include "data/names.h"
#include "data/series.h"
#include "platform/file_io.h"
#include "platform/ui.h"

namespace zor::fuzz {

inline void writeBytes(const std::string& path, std::string_view bytes) {
  std::filesystem::path p(path);
  std::filesystem::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), std::streamsize(bytes.size()));
}

// The scratch directory (ends in a separator). The replay test points it at its own
// temporary directory; a fuzzer gets one of its own under the system's temporary folder.
inline std::string& scratchDir() {
  static std::string dir;
  if (dir.empty()) {
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    auto p = std::filesystem::temp_directory_path() / ("zorfuzz_" + std::to_string(stamp));
    std::filesystem::create_directories(p);
    dir = p.string() + "/";
  }
  return dir;
}

// The derived series a chart would ask for, over whatever the loaders kept.
inline void exerciseSeries(const StockRecord& rec) {
  for (int period : {PeriodWeek, PeriodMonth, PeriodDay45, PeriodYear}) aggregateDayBars(rec.k, period);
  for (int period : {PeriodMin60, PeriodMin5}) aggregateMinuteBars(rec.minAll, period);
  if (!rec.k.empty()) daySeries(rec.k.back(), rec.minAll, rec.k.back().dateInt(), PeriodMin15);
}

// A market built from `dirs` the way the program builds its table; boxes are answered by
// their default button.
inline bool buildTable(Market& m, const DataDirs& dirs) {
  HeadlessUi ui;
  return loadAllStocks(m, dirs, TradeMode::History, ui);
}

inline StockRecord instrument(bool dat, bool lc1) {
  StockRecord r;
  r.code = "600000", r.market = 1, r.hasDat = dat, r.hasLc1 = lc1;
  r.dataFile = dat ? "1.600000.dat" : "sh600000";
  return r;
}

// index.dat
inline void fuzzDatIndex(std::string_view bytes) {
  DatIndex index;
  parseDatIndex(bytes, index);
  std::string dir = scratchDir() + "index/";
  writeBytes(dir + "dat/index.dat", bytes);
  Market m;
  buildTable(m, DataDirs{dir + "dat", "", dir});
  NameMap names;
  loadIndexNames(dir + "dat", names);
}

// A per-instrument DAT file: daily bars, the minute block and what is derived from them.
inline void fuzzDatFile(std::string_view bytes) {
  std::string dir = scratchDir() + "datfile/";
  writeBytes(dir + "dat/1.600000.dat", bytes);
  Market m;
  m.dirs = DataDirs{dir + "dat", "", dir};
  StockRecord rec = instrument(true, false);
  loadDayBars(m, rec, TradeMode::History);
  loadMinuteBars(m, rec, TradeMode::History);
  exerciseSeries(rec);
}

// A vipdoc .day file: the scan's quote from its tail, then the daily load.
inline void fuzzDay(std::string_view bytes) {
  std::string dir = scratchDir() + "day/";
  writeBytes(dir + "lc1/sh/lday/sh600000.day", bytes);
  Market m;
  DataDirs dirs{"", dir + "lc1", dir};
  buildTable(m, dirs);
  m.dirs = dirs;
  StockRecord rec = instrument(false, true);
  loadDayBars(m, rec, TradeMode::History);
  exerciseSeries(rec);
}

// A vipdoc .lc1 file: the minute load and the quote list's tail re-read.
inline void fuzzLc1(std::string_view bytes) {
  std::string dir = scratchDir() + "lc1/";
  writeBytes(dir + "lc1/sh/lday/sh600000.day", std::string(64, '\0'));
  writeBytes(dir + "lc1/sh/minline/sh600000.lc1", bytes);
  Market m;
  m.dirs = DataDirs{"", dir + "lc1", dir};
  m.stocks.push_back(instrument(false, true));
  m.stocks[0].prevClose = 10;
  loadMinuteBars(m, m.stocks[0], TradeMode::History);
  refreshVisibleRows(m, {0}, TradeMode::History, {});
  exerciseSeries(m.stocks[0]);
}

// A THS .min file: the scan's probe, the whole-file read and the minute load.
inline void fuzzThsMin(std::string_view bytes) {
  std::vector<MinuteBar> bars;
  decodeThsMin(bytes, bars);
  std::string dir = scratchDir() + "ths/";
  writeBytes(dir + "lc1/shase/min/600000.min", bytes);
  Market m;
  if (buildTable(m, DataDirs{"", dir + "lc1", dir}) && !m.stocks.empty()) {
    loadMinuteBars(m, m.stocks[0], TradeMode::History);
    exerciseSeries(m.stocks[0]);
  }
}

// Name files: stock_names.txt, a THS name file, and names as index.dat would carry them.
inline void fuzzNames(std::string_view bytes) {
  NameMap names;
  parseStockNames(bytes, names);
  parseThsNameFile(bytes, names);
  normaliseName(bytes);
  std::string dir = scratchDir() + "names/";
  writeBytes(dir + "stock_names.txt", bytes);
  writeBytes(dir + "ths/stockname/stockname_16_a.txt", bytes);
  loadExtraNames(dir, names);
  std::filesystem::create_directories(dir + "ths/history");
  loadThsNames(dir + "ths/history", names);
}

struct Entry {
  const char* target;  // the corpus folder fuzz/corpus/<target>
  void (*run)(std::string_view);
};

inline const Entry kEntries[] = {
    {"dat_index_fuzz", fuzzDatIndex}, {"dat_file_fuzz", fuzzDatFile}, {"day_fuzz", fuzzDay},
    {"lc1_fuzz", fuzzLc1},            {"ths_min_fuzz", fuzzThsMin},   {"names_fuzz", fuzzNames},
};

}  // namespace zor::fuzz
