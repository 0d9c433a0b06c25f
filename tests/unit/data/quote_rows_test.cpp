// The quote list's visible-row refresh and the bound on minute arrays.
#include <gtest/gtest.h>

#include "data_fixture.h"
#include "platform/text.h"

namespace zor {
namespace {

using test::day;
using test::entry;
using test::minute;
using test::minutesOfDay;

TEST(QuoteRows, VisibleRowCount) {
  struct {
    int height, rows;
  } cases[] = {{0, 1}, {22, 1}, {43, 1}, {44, 1}, {66, 2}, {572, 25}, {-100, 1}};
  AppState app;
  for (const auto& c : cases) {
    app.listHeight = c.height;
    EXPECT_EQ(visibleListRows(app), c.rows) << c.height;
  }
}

TEST(QuoteRows, VisibleInstrumentsFollowTheViewOrder) {
  AppState app;
  app.stocks.resize(5);
  app.listHeight = 22 + 3 * 22;
  struct {
    int top;
    std::vector<int> order;
    std::vector<int> want;
  } cases[] = {{0, {}, {0, 1, 2}},        {3, {}, {3, 4}},  {9, {}, {}},  {-4, {}, {0, 1, 2}},
               {1, {4, 3, 2, 1, 0}, {3, 2, 1}},
               {0, {4, 3}, {4, 3, 2}},  // positions after the sorted ones: instruments appended since
               {0, {9, 1}, {1, 2}}};    // an index outside the table is skipped
  for (const auto& c : cases) {
    app.listTop = c.top;
    app.listOrder = c.order;
    EXPECT_EQ(visibleInstruments(app), c.want) << c.top;
  }
}

// 30 instruments with DAT daily and minute bars and a vipdoc .lc1 file.
struct ListDir : test::DataDir {
  ListDir(int count = 30) {
    useDat();
    useLc1();
    std::vector<IndexEntry> es;
    for (int i = 0; i < count; ++i) {
      std::string code = strPrintf("600%03d", i);
      es.push_back(entry(code, "股" + code, 1, 10, 9.5f));
      writeDat(1, code, {day(20240104, 10, 11, 9, 10)}, minutesOfDay(20240105, 240, 10.f));
      write("lc1/sh/lday/sh" + code + ".day", vipdocDayBytes({day(20240103, 10, 11, 9, 10)}));
      write("lc1/sh/minline/sh" + code + ".lc1", vipdocLc1Bytes({minute(20240105, 900, 10, 12, 9, 11.5f)}));
    }
    writeIndex(es);
    EXPECT_TRUE(loadAllStocks(app));
    app.listView = true;
    app.listWidth = 800;
    app.listHeight = 22 + 25 * 22;
    app.listTop = 0;
  }
  int minuteLoads() const {
    int n = 0;
    for (const StockRecord& r : app.stocks) n += r.minLoaded;
    return n;
  }
};

TEST(QuoteRows, RefreshLoadsTenMinuteArraysPerTickAndTheNewestClose) {
  ListDir d;
  d.app.listTop = 5;  // rows 5..29
  for (StockRecord& r : d.app.stocks) r.dayLoaded = false, r.k.clear();
  refreshVisibleRows(d.app);
  for (int i = 0; i < 30; ++i) EXPECT_EQ(d.app.stocks[size_t(i)].dayLoaded, i >= 5) << i;
  EXPECT_EQ(d.minuteLoads(), 10);
  const StockRecord& first = d.app.stocks[5];
  EXPECT_TRUE(first.minLoaded);
  EXPECT_DOUBLE_EQ(first.lastPrice, 11.5f);  // the .lc1 file's last record
  EXPECT_DOUBLE_EQ(first.amplitude, (first.high - first.low) / first.prevClose * 100);
  refreshVisibleRows(d.app);
  refreshVisibleRows(d.app);
  EXPECT_EQ(d.minuteLoads(), 25);
  EXPECT_FALSE(d.app.stocks[4].minLoaded);
}

TEST(QuoteRows, RefreshDoesNothingWithoutAShownList) {
  struct {
    const char* what;
    bool listView;
    int width;
  } cases[] = {{"chart view", false, 800}, {"no width yet", true, 0}};
  for (const auto& c : cases) {
    ListDir d;
    d.app.listView = c.listView;
    d.app.listWidth = c.width;
    refreshVisibleRows(d.app);
    EXPECT_EQ(d.minuteLoads(), 0) << c.what;
  }
}

TEST(QuoteRows, TailRecordChecks) {
  struct {
    const char* what;
    std::string bytes;
    double last;  // 0: unchanged
  } cases[] = {
      {"a valid record", vipdocLc1Bytes({minute(20240105, 900, 10, 12, 9, 11.5f)}), 11.5f},
      {"the last whole record of a ragged file",
       vipdocLc1Bytes({minute(20240105, 899, 10, 12, 9, 11.f), minute(20240105, 900, 10, 12, 9, 11.25f)}) + "xyz",
       11.25f},
      {"a 20-byte file", std::string(20, '\x01'), 0},
      {"an invalid date", vipdocLc1Bytes({minute(20240105, 900, 10, 12, 9, 11.5f)}).replace(0, 2, "\xff\xff"), 0},
      {"a close of 0.01", vipdocLc1Bytes({minute(20240105, 900, 0.01f, 0.01f, 0.01f, 0.01f)}), 0},
      {"a close of 10000", vipdocLc1Bytes({minute(20240105, 900, 10, 10000, 9, 10000)}), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ListDir d(1);
    d.app.stocks[0].minLoaded = true;  // only the tail is read
    d.app.stocks[0].lastPrice = 7;
    d.write("lc1/sh/minline/sh600000.lc1", c.bytes);
    refreshVisibleRows(d.app);
    EXPECT_DOUBLE_EQ(d.app.stocks[0].lastPrice, c.last ? c.last : 7);
  }
}

TEST(QuoteRows, QuotesOwnedByARunningModeStayUntouched) {
  struct {
    const char* what;
    void (*setup)(AppState&);
    bool touched;
  } cases[] = {
      {"nothing running", [](AppState&) {}, true},
      {"the game instrument", [](AppState& a) { a.train.active = true, a.train.stockIdx = 0; }, false},
      {"a game on another instrument", [](AppState& a) { a.train.active = true, a.train.stockIdx = 1; }, true},
      {"the replayed instrument", [](AppState& a) { a.training = true, a.replayStockIdx = 0; }, false},
      {"the displayed one in a date view", [](AppState& a) { a.dateView = true, a.curIdx = 0; }, false},
      {"real-time mode", [](AppState& a) { a.tradeMode = 0; }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ListDir d(2);
    for (StockRecord& r : d.app.stocks) r.lastPrice = 7;
    c.setup(d.app);
    refreshVisibleRows(d.app);
    EXPECT_EQ(d.app.stocks[0].lastPrice != 7, c.touched);
    if (d.app.tradeMode == 0) {  // no file minutes in real-time mode
      EXPECT_EQ(d.minuteLoads(), 0);
    }
  }
}

TEST(QuoteRows, ScrollingKeepsABoundedNumberOfMinuteArrays) {
  ListDir d(120);
  d.app.curIdx = 119;
  loadStockOnDemand(d.app, 119);
  for (int top = 0; top + 25 <= 120; top += 5) {
    d.app.listTop = top;
    for (int tick = 0; tick < 3; ++tick) refreshVisibleRows(d.app);
  }
  int arrays = 0;
  for (const StockRecord& r : d.app.stocks) arrays += !r.minAll.empty();
  EXPECT_LE(arrays, kMinuteArraysKept + 4);
  EXPECT_GE(arrays, kMinuteArraysKept);
  EXPECT_FALSE(d.app.stocks[119].minAll.empty());  // the selected instrument stays
  for (int i = 95; i < 120; ++i) EXPECT_TRUE(d.app.stocks[size_t(i)].minLoaded) << i;  // the visible rows stay
  const StockRecord& evicted = d.app.stocks[0];
  EXPECT_FALSE(evicted.minLoaded);
  EXPECT_TRUE(evicted.minc.empty());
  EXPECT_EQ(evicted.k.size(), 3u);  // daily bars (one appended from minutes) and the snapshot stay
  EXPECT_DOUBLE_EQ(evicted.lastPrice, 11.5f);
}

}  // namespace
}  // namespace zor
