// Small builders for the market-data tests: bars, and a temporary data directory with an
// AppState pointed at it whose message boxes are recorded.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/trace_log.h"
#include "data/loaders.h"
#include "platform/file_io.h"
#include "sample_market/market_writer.h"
#include "temp_dir.h"
#include "test_ui.h"

namespace zor::test {

inline DayBar day(int date, double o, double h, double l, double c, double v = 1000, double a = 10000) {
  DayBar b;
  b.setDate(date);
  b.open = o, b.high = h, b.low = l, b.close = c, b.volume = v, b.amount = a;
  return b;
}

inline DayBar noPriceDay(int date, double v = 1000, double a = 10000) {
  return day(date, NO_PRICE, NO_PRICE, NO_PRICE, NO_PRICE, v, a);
}

inline MinuteBar minute(int date, int time, float o, float h, float l, float c, double v = 100, double a = 1000) {
  MinuteBar m;
  m.date = date, m.time = time, m.open = o, m.high = h, m.low = l, m.close = c, m.volume = v, m.amount = a;
  return m;
}

// `count` minute bars of one day from 09:31 on, skipping the lunch break, all at `price`.
inline std::vector<MinuteBar> minutesOfDay(int date, int count, float price = 10.0f, double volume = 100) {
  std::vector<MinuteBar> out;
  for (int j = 0; j < count; ++j) {
    int t = j < 120 ? 571 + j : 661 + j;
    out.push_back(minute(date, t, price, price + 0.1f, price - 0.1f, price, volume, volume * price));
  }
  return out;
}

// A temporary program directory: exeDir = dir, datDir = dir/dat, lc1Dir = dir/lc1 (set as
// the test needs), boxes recorded in `ui`.
struct DataDir {
  TempDir dir{"zordata"};
  TestUi ui;
  AppState app;

  DataDir() {
    app.ui = &ui;
    app.config.exeDir = dir.path();
  }
  // The directories are configured and, for tests that fill the table by hand, count as the
  // ones the table was built from.
  void useDat() {
    app.config.datDir = dir.file("dat");
    app.market.dirs = app.config.dataDirs();
  }
  void useLc1(const std::string& sub = "lc1") {
    app.config.lc1Dir = dir.file(sub);
    app.market.dirs = app.config.dataDirs();
  }
  void write(const std::string& rel, const std::string& bytes) { dir.write(rel, bytes); }

  // index.dat of the given entries in the dat folder.
  void writeIndex(const std::vector<IndexEntry>& entries, int entrySize = kIndexEntry61) {
    write("dat/index.dat", indexDatBytes(entries, entrySize));
  }
  void writeDat(int market, const std::string& code, const std::vector<DayBar>& days,
                const std::vector<MinuteBar>& minutes = {}) {
    write("dat/" + datFileName(market, code), datFileBytes(days, minutes));
  }
};

inline IndexEntry entry(const std::string& code, const std::string& name, int market, float last, float prev = 0) {
  IndexEntry e;
  e.code = code, e.name = name, e.market = market, e.lastClose = last, e.prevClose = prev, e.lastDate = 20240105;
  return e;
}

// Collects the trace lines written while it lives (the log goes to its own directory).
struct TraceCapture {
  TempDir dir{"zortrace"};
  TraceCapture() { openTraceLog(dir.path()); }
  ~TraceCapture() { closeTraceLog(); }
  std::string text() const {
    std::string s;
    readFile(traceLogPath(), s);
    return s;
  }
  bool contains(const std::string& needle) const { return text().find(needle) != std::string::npos; }
};

}  // namespace zor::test
