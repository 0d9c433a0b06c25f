// The market model's helpers: codes, boards, lookups, the quote snapshot, validity, dates.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "data/market.h"
#include "data_fixture.h"

namespace zor {
namespace {

using test::day;
using test::noPriceDay;

TEST(MarketCodes, PrefixKeyBoardAndFullCode) {
  struct {
    const char* code;
    int market;
    const char* stripped;
    const char* key;
    const char* board;
    const char* full;
  } cases[] = {
      {"600000", 1, "600000", "1:600000", "沪市", "sh600000"},
      {"sh600000", 1, "600000", "1:600000", "沪市", "sh600000"},
      {"SH600000", 1, "600000", "1:600000", "沪市", "SH600000"},
      {"688001", 1, "688001", "1:688001", "科创板", "sh688001"},
      {"000001", 0, "000001", "0:000001", "深市", "sz000001"},
      {"sz300750", 0, "300750", "0:300750", "创业板", "sz300750"},
      {"bj830001", 0, "830001", "0:830001", "深市", "bj830001"},
      {"sh", 1, "sh", "1:sh", "沪市", "shsh"},  // two characters or fewer stay unchanged
      {"", 0, "", "0:", "深市", "sz"},
      {"600000", -1, "600000", "-1:600000", "深市", "sz600000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(stripMarketPrefix(c.code), c.stripped);
    EXPECT_EQ(marketKey(c.market, c.code), c.key);
    EXPECT_STREQ(boardFor(c.market, c.code), c.board);
    StockRecord r;
    r.code = c.code;
    r.market = c.market;
    EXPECT_EQ(fullCode(r), c.full);
  }
}

TEST(MarketLookup, FindStockMatchesEitherFormOnlyUnderItsMarket) {
  std::vector<StockRecord> stocks(3);
  stocks[0].code = "000001", stocks[0].market = 0;
  stocks[1].code = "600000", stocks[1].market = 1;
  stocks[2].code = "600000", stocks[2].market = 0;  // same digits, other market
  struct {
    int market;
    const char* code;
    int want;
  } cases[] = {{1, "600000", 1}, {1, "sh600000", 1}, {1, "SH600000", 1}, {0, "600000", 2},
               {0, "sz000001", 0}, {1, "000001", -1}, {1, "", -1}};
  for (const auto& c : cases) EXPECT_EQ(findStock(stocks, c.market, c.code), c.want) << c.code;
}

TEST(MarketLookup, FindBarByDate) {
  StockRecord r;
  r.k = {day(20240102, 10, 11, 9, 10), day(20240104, 10, 11, 9, 10), day(20240108, 10, 11, 9, 10)};
  struct {
    const char* date;
    int want;
  } cases[] = {{"20240101", -1}, {"20240102", 0}, {"20240103", 0}, {"20240104", 1},
               {"20240105", 1},  {"20240108", 2}, {"20991231", 2}};
  for (const auto& c : cases) EXPECT_EQ(findBarByDate(r, c.date), c.want) << c.date;
  EXPECT_EQ(findBarByDate(StockRecord(), "20240102"), -1);
}

TEST(MarketLookup, CloseBeforeDate) {
  test::DataDir d;
  StockRecord r;
  r.code = "600000", r.market = 1, r.dayLoaded = true;
  r.k = {day(20240102, 10, 11, 9, 10.5), day(20240103, 10, 11, 9, 10.7), noPriceDay(20240104),
         day(20240108, 10, 11, 9, 10.9)};
  d.app.market.stocks.push_back(r);
  struct {
    const char* code;
    int date;
    double want;
  } cases[] = {
      {"600000", 20240103, 10.5},    // the date's own bar is not taken
      {"sh600000", 20240108, 0},     // the bar before carries NO_PRICE
      {"600000", 20240105, 0},       // last bar before the date carries NO_PRICE
      {"600000", 20240109, 10.9},
      {"600000", 20240102, 0},       // no earlier bar
      {"600000", 20240101, 0},
      {"600000", 0, 0},
      {"", 20240109, 0},
      {"600001", 20240109, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(closeBeforeDate(d.app.market, 1, c.code, c.date, d.app.mode.tradeMode), c.want) << c.code << " " << c.date;
}

TEST(MarketSnapshot, UsesTheLastValidBars) {
  struct Case {
    const char* what;
    std::vector<DayBar> k;
    double last, prev, amplitude;
  } cases[] = {
      {"one bar: previous close is its close", {day(20240102, 10, 12, 9, 11)}, 11, 11, 300.0 / 11},
      {"two bars", {day(20240102, 10, 12, 9, 10), day(20240103, 10, 12, 9.5, 11)}, 11, 10, 25},
      {"last bar without prices",
       {day(20240102, 10, 12, 9, 10), day(20240103, 10, 12, 9.5, 11), noPriceDay(20240104)}, 11, 10, 25},
      {"invalid bar between", {day(20240102, 10, 12, 9, 10), noPriceDay(20240103), day(20240104, 10, 12, 9.5, 11)},
       11, 10, 25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StockRecord r;
    r.k = c.k;
    buildQuoteSnapshot(r, TradeMode::History);
    EXPECT_DOUBLE_EQ(r.lastPrice, c.last);
    EXPECT_DOUBLE_EQ(r.prevClose, c.prev);
    EXPECT_DOUBLE_EQ(r.amplitude, c.amplitude);
    EXPECT_GE(r.turnover, 0.5);
    EXPECT_LE(r.turnover, 6.49);
  }
  StockRecord none;
  none.k = {noPriceDay(20240102)};
  none.lastPrice = 7;
  buildQuoteSnapshot(none, TradeMode::History);
  EXPECT_EQ(none.lastPrice, 7);  // no valid bar: nothing changes

  StockRecord live;
  live.k = {day(20240102, 10, 12, 9, 10), day(20240103, 10, 12, 9.5, 11)};
  buildQuoteSnapshot(live, TradeMode::RealTime);
  EXPECT_EQ(live.lastPrice, 0);
  EXPECT_EQ(live.volume, 0);
  EXPECT_EQ(live.prevClose, 10);
  EXPECT_EQ(live.open, 10);
}

TEST(MarketModel, ValidBarsAndDates) {
  struct {
    DayBar b;
    bool valid;
  } bars[] = {
      {day(20240102, 10, 11, 9, 10), true},
      {day(20240102, 0.01, 0.01, 0.01, 0.01), false},  // 0.01 is not above 0.01
      {day(20240102, 10000, 10000, 10000, 10000), true},
      {day(20240102, 10, 10001, 9, 10), false},
      {day(20240102, 10, 9, 11, 10), false},  // high below low
      {noPriceDay(20240102), false},
      {day(20240102, 10, 11, std::nan(""), 10), false},
  };
  for (const auto& c : bars) EXPECT_EQ(isValidBar(c.b), c.valid);

  struct {
    int date;
    bool plausible;
    int weekday;
  } dates[] = {{20240105, true, 5}, {20240107, true, 0}, {20240108, true, 1}, {20000229, true, 2},
               {19900101, true, 1}, {21001231, true, 5}, {19891231, false, 0}, {20230229, false, 3},
               {20240230, false, 5}, {20241301, false, -1}, {20240100, false, -1}, {0, false, -1}};
  for (const auto& c : dates) {
    EXPECT_EQ(isPlausibleDate(c.date), c.plausible) << c.date;
    if (c.weekday >= 0) {
      EXPECT_EQ(weekdayOf(c.date), c.weekday) << c.date;
    }
    int w = weekdayOf(c.date);
    EXPECT_TRUE(w >= 0 && w <= 6) << c.date;
  }
  EXPECT_TRUE(weekdayOf(-20240105) >= 0 && weekdayOf(-20240105) <= 6);
}

TEST(MarketModel, PeriodLabelsAndTitles) {
  EXPECT_EQ(chartTitle("平安银行", 0), "平安银行 (日线.前复权)");
  EXPECT_EQ(chartTitle("X", 9), "X (45日线.前复权)");
  EXPECT_EQ(chartTitle("X", 3), "X (60分钟.前复权)");
  const char* shortLabels[] = {"日线", "周线", "月线", "60分", "30分", "15分", "5分", "1分"};
  for (int p = 0; p < 8; ++p) EXPECT_STREQ(periodShortLabel(p), shortLabels[p]);
  EXPECT_STREQ(periodLabel(11), "年线");
  EXPECT_STREQ(periodLabel(12), "");
  EXPECT_STREQ(periodLabel(-1), "");
}

TEST(MarketModel, DateTextNeverReadsBeyondItsField) {
  DayBar b;
  std::memset(b.date, '9', sizeof b.date);  // no NUL at all
  EXPECT_EQ(b.dateText().size(), sizeof b.date);
  b.setDate(20240105);
  EXPECT_EQ(b.dateText(), "20240105");
  EXPECT_EQ(b.dateInt(), 20240105);
}

TEST(MarketLoadOnDemand, LoadsMinutesOutsideRealTimeOnly) {
  test::DataDir d;
  d.useDat();
  d.writeDat(1, "600000", {day(20240102, 10, 11, 9, 10)}, test::minutesOfDay(20240103, 240));
  auto fresh = [&] {
    d.app.market.stocks.assign(1, StockRecord());
    StockRecord& r = d.app.market.stocks[0];
    r.code = "600000", r.market = 1, r.hasDat = true, r.dataFile = "1.600000.dat";
    return &r;
  };
  struct {
    int tradeMode;
    bool training;
    int live;
    bool minutes;
  } cases[] = {{1, false, -1, true}, {1, false, 0, true}, {1, true, -1, false}, {0, false, -1, false},
               {0, false, 0, false}};
  for (const auto& c : cases) {
    StockRecord* r = fresh();
    d.app.mode.tradeMode = TradeMode(c.tradeMode), d.app.replay.training = c.training, d.app.live.liveStockIdx = c.live;
    loadStockOnDemand(d.app, 0);
    EXPECT_TRUE(r->dayLoaded);
    EXPECT_EQ(r->minLoaded, c.minutes);
    EXPECT_EQ(r->minAll.size(), c.minutes ? 240u : 0u);
  }
  loadStockOnDemand(d.app, 5);  // outside the table: nothing
}

TEST(MarketLoadOnDemand, ModeChangeRebuildsQuotesAndDropsServerMinutes) {
  test::DataDir d;
  d.useDat();
  d.writeDat(1, "600000", {day(20240102, 10, 11, 9, 10), day(20240103, 10, 11, 9, 10.5)});
  d.app.market.stocks.resize(2);
  for (StockRecord& r : d.app.market.stocks) r.code = "600000", r.market = 1, r.hasDat = true, r.dataFile = "1.600000.dat";
  d.app.mode.tradeMode = TradeMode::RealTime;
  loadStockOnDemand(d.app, 0);
  loadStockOnDemand(d.app, 1);
  EXPECT_EQ(d.app.market.stocks[0].lastPrice, 0);  // the quote client fills it in real-time mode
  for (StockRecord& r : d.app.market.stocks) {  // what a fetch leaves behind
    r.minAll = test::minutesOfDay(20240104, 240, 30.f);
    r.minc = r.minAll;
    r.minLoaded = r.minFromServer = true;
    r.lastPrice = 30;
  }
  d.app.train.active = true, d.app.train.stockIdx = 1;
  d.app.mode.tradeMode = TradeMode::History;
  applyTradeModeChange(d.app);
  const StockRecord& r = d.app.market.stocks[0];
  EXPECT_FALSE(r.minLoaded);
  EXPECT_TRUE(r.minAll.empty());
  EXPECT_DOUBLE_EQ(r.lastPrice, 10.5);
  EXPECT_DOUBLE_EQ(d.app.market.stocks[1].lastPrice, 30);  // the game instrument keeps its quote
  EXPECT_TRUE(d.app.market.stocks[1].minLoaded);
}

}  // namespace
}  // namespace zor
