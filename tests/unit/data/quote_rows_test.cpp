// The quote list's visible-row refresh and the bound on minute arrays.
#include <gtest/gtest.h>

#include "app/shell_panels.h"
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
  for (const auto& c : cases) EXPECT_EQ(quoteListRows(c.height), c.rows) << c.height;
}

TEST(QuoteRows, VisibleInstrumentsFollowTheViewOrder) {
  QuoteListView list;
  struct {
    int top;
    std::vector<int> order;
    std::vector<int> want;
  } cases[] = {{0, {}, {0, 1, 2}},        {3, {}, {3, 4}},  {9, {}, {}},  {-4, {}, {0, 1, 2}},
               {1, {4, 3, 2, 1, 0}, {3, 2, 1}},
               {0, {4, 3}, {4, 3, 2}},  // positions after the sorted ones: instruments appended since
               {0, {9, 1}, {1, 2}}};    // an index outside the table is skipped
  for (const auto& c : cases) {
    list.listOrder = c.order;
    EXPECT_EQ(instrumentsInView(list, 5, c.top, quoteListRows(22 + 3 * 22)), c.want) << c.top;
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
    app.view.listView = true;
    app.win.painted.listRows = quoteListRows(22 + 25 * 22);
    app.list.listTop = 0;
  }
  int minuteLoads() const {
    int n = 0;
    for (const StockRecord& r : app.market.stocks) n += r.minLoaded;
    return n;
  }
};

TEST(QuoteRows, RefreshLoadsTenMinuteArraysPerTickAndTheNewestClose) {
  ListDir d;
  d.app.list.listTop = 5;  // rows 5..29
  for (StockRecord& r : d.app.market.stocks) r.dayLoaded = false, r.k.clear();
  refreshQuoteList(d.app);
  for (int i = 0; i < 30; ++i) EXPECT_EQ(d.app.market.stocks[size_t(i)].dayLoaded, i >= 5) << i;
  EXPECT_EQ(d.minuteLoads(), 10);
  const StockRecord& first = d.app.market.stocks[5];
  EXPECT_TRUE(first.minLoaded);
  EXPECT_DOUBLE_EQ(first.lastPrice, 11.5f);  // the .lc1 file's last record
  EXPECT_DOUBLE_EQ(first.amplitude, (first.high - first.low) / first.prevClose * 100);
  refreshQuoteList(d.app);
  refreshQuoteList(d.app);
  EXPECT_EQ(d.minuteLoads(), 25);
  EXPECT_FALSE(d.app.market.stocks[4].minLoaded);
}

TEST(QuoteRows, RefreshDoesNothingWithoutAShownList) {
  struct {
    const char* what;
    bool listView;
    int rows;
  } cases[] = {{"chart view", false, 25}, {"not painted yet", true, 0}};
  for (const auto& c : cases) {
    ListDir d;
    d.app.view.listView = c.listView;
    d.app.win.painted.listRows = c.rows;
    refreshQuoteList(d.app);
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
    d.app.market.stocks[0].minLoaded = true;  // only the tail is read
    d.app.market.stocks[0].lastPrice = 7;
    d.write("lc1/sh/minline/sh600000.lc1", c.bytes);
    refreshQuoteList(d.app);
    EXPECT_DOUBLE_EQ(d.app.market.stocks[0].lastPrice, c.last ? c.last : 7);
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
      {"the replayed instrument", [](AppState& a) { a.replay.training = true, a.replay.replayStockIdx = 0; }, false},
      {"the displayed one in a date view", [](AppState& a) { a.replay.dateView = true, a.view.curIdx = 0; }, false},
      {"real-time mode", [](AppState& a) { a.mode.tradeMode = TradeMode::RealTime; }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ListDir d(2);
    for (StockRecord& r : d.app.market.stocks) r.lastPrice = 7;
    c.setup(d.app);
    refreshQuoteList(d.app);
    EXPECT_EQ(d.app.market.stocks[0].lastPrice != 7, c.touched);
    if (d.app.mode.tradeMode == TradeMode::RealTime) {  // no file minutes in real-time mode
      EXPECT_EQ(d.minuteLoads(), 0);
    }
  }
}

TEST(QuoteRows, ScrollingKeepsABoundedNumberOfMinuteArrays) {
  ListDir d(120);
  d.app.view.curIdx = 119;
  loadStockOnDemand(d.app, 119);
  for (int top = 0; top + 25 <= 120; top += 5) {
    d.app.list.listTop = top;
    for (int tick = 0; tick < 3; ++tick) refreshQuoteList(d.app);
  }
  int arrays = 0;
  for (const StockRecord& r : d.app.market.stocks) arrays += !r.minAll.empty();
  EXPECT_LE(arrays, kMinuteArraysKept + 4);
  EXPECT_GE(arrays, kMinuteArraysKept);
  EXPECT_FALSE(d.app.market.stocks[119].minAll.empty());  // the selected instrument stays
  for (int i = 95; i < 120; ++i) EXPECT_TRUE(d.app.market.stocks[size_t(i)].minLoaded) << i;  // the visible rows stay
  const StockRecord& evicted = d.app.market.stocks[0];
  EXPECT_FALSE(evicted.minLoaded);
  EXPECT_TRUE(evicted.minc.empty());
  EXPECT_EQ(evicted.k.size(), 3u);  // daily bars (one appended from minutes) and the snapshot stay
  EXPECT_DOUBLE_EQ(evicted.lastPrice, 11.5f);
}

}  // namespace
}  // namespace zor
