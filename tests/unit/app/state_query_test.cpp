// The state-query messages: text chunks, hit-area counts and centres, the value codes of the
// state that exists, and the view bit set.
#include <gtest/gtest.h>

#include <string>

#include "app/app_state.h"
#include "app/state_query.h"

namespace zor {
namespace {

// Reassembles a text the way the driver does: 8 bytes per query until a chunk is short.
std::string readText(const AppState& app, int which) {
  std::string out;
  for (int64_t off = 0;; off += 8) {
    int64_t v = queryState(app, QueryText, uint64_t(which), off);
    if (v == -1) break;
    for (int i = 0; i < 8; ++i) {
      char ch = char((uint64_t(v) >> (8 * i)) & 0xFF);
      if (ch == 0) return out;
      out += ch;
    }
  }
  return out;
}

TEST(StateQueryText, ChunksAndOffsets) {
  AppState app;
  app.win.statusText = "交易规则已切换为 T+0（当日可回转）";
  app.train.status = "下一天";
  EXPECT_EQ(readText(app, 0), "模拟交易");
  EXPECT_EQ(readText(app, 1), app.config.userAcct);
  EXPECT_EQ(readText(app, 2), app.win.statusText);
  EXPECT_EQ(readText(app, 3), "下一天");
  EXPECT_EQ(readText(app, 9), app.config.userAcct);  // any other value: the account

  app.config.userAcct = "12345678";  // exactly one chunk
  struct Case {
    int64_t offset;
    int64_t want;
  } cases[] = {
      {0, 0x3837363534333231},  // "12345678" little-endian
      {6, 0x3837},              // bytes past the end are 0
      {8, 0},                   // at the end: nothing, but not an error
      {9, -1},                  // beyond the end
      {-8, -1},                 // a negative offset never reads before the text
  };
  for (const Case& k : cases) EXPECT_EQ(queryState(app, QueryText, 1, k.offset), k.want) << k.offset;
  app.config.userAcct = "";
  EXPECT_EQ(queryState(app, QueryText, 1, 0), 0);
}

TEST(StateQueryHits, CountCentreAndRectangles) {
  AppState app;
  app.win.painted.hitAreas = {{10, 20, 30, 40, HitKind::QuoteRow, 0},
                              {10, 40, 30, 60, HitKind::QuoteRow, 1},
                              {100, 0, 200, 24, HitKind::TabHistoryTraining, 0}};
  EXPECT_EQ(queryState(app, QueryHitCount, 6, 0), 2);
  EXPECT_EQ(queryState(app, QueryHitCount, 7, 0), 0);

  struct Case {
    uint64_t wParam;
    int64_t lParam;
    int64_t want;
  } cases[] = {
      {6, 0, 20 * 65536 + 30},              // first of the kind
      {6 | (1 << 16), 0, 20 * 65536 + 50},  // index 1
      {6, 1, 20 * 65536 + 30},              // index 0 asked for exactly
      {14, 1, 150 * 65536 + 12},
      {6 | (2 << 16), 0, -1},               // no such index
      {14 | (1 << 16), 0, -1},
      {99, 0, -1},
  };
  for (const Case& k : cases)
    EXPECT_EQ(queryState(app, QueryHitCentre, k.wParam, k.lParam), k.want) << k.wParam << "/" << k.lParam;

  EXPECT_EQ(queryState(app, QueryValue, QHitTopLeft, 6 | (1 << 16)), 10 * 65536 + 40);
  EXPECT_EQ(queryState(app, QueryValue, QHitBottomRight, 6 | (1 << 16)), 30 * 65536 + 60);
  EXPECT_EQ(queryState(app, QueryValue, QHitTopLeft, 6), 10 * 65536 + 20);
  // Bit 31 names index 0 explicitly: kind 14's only area has index 0, kind 6 index 0 too.
  EXPECT_EQ(queryState(app, QueryValue, QHitTopLeft, int64_t(0x80000000u | 6)), 10 * 65536 + 20);
  app.win.painted.hitAreas.erase(app.win.painted.hitAreas.begin());
  EXPECT_EQ(queryState(app, QueryValue, QHitTopLeft, int64_t(0x80000000u | 6)), -1);
  EXPECT_EQ(queryState(app, QueryValue, QHitTopLeft, 6), 10 * 65536 + 40);
}

TEST(StateQueryValues, ExistingState) {
  AppState app;
  app.trading.accounts[ModeHistory].cashCents = 1213;  // accounts keep whole cents
  app.trading.accounts[ModeLive].cashCents = -13;
  app.trading.accounts[ModeTraining].positions.resize(2);
  app.trading.accounts[ModeTraining].positions[1].code = "sz000651";
  app.trading.accounts[ModeTraining].positions[1].qty = 300;
  app.trading.accounts[ModeHistory].deals.resize(3);
  app.trading.book.orders.resize(3);
  app.trading.book.orders[0].status = 1;
  app.trading.book.orders[1].mode = 2;
  app.trading.book.orders[1].orderNo = 41;
  app.trading.book.orders[2].mode = 2;
  app.trading.book.nextOrderNo = 42;
  app.mode.tradeTab = TradeTab(2);
  app.view.curIdx = 1;
  app.view.period = PeriodMin5;
  app.market.stocks.resize(2);
  app.market.stocks[1].code = "600519";
  app.market.stocks[1].k.resize(5);
  app.market.stocks[1].minAll.resize(480);
  app.market.stocks[1].minc.resize(240);
  app.market.stocks[1].lastPrice = 10.56;
  app.market.stocks[1].prevClose = 10;
  app.train.active = true;
  app.train.stockIdx = 1;
  app.train.maxDrawdown = 0.12345;
  app.win.statusText = "abc";
  app.list.sortColumn = -1;
  app.list.listOrder = {1, 0};
  app.trading.accounts[ModeTraining].baselineCents = 200000000;
  app.view.mainInd = MainBOLL;
  app.view.subInd = SubFormula;
  app.view.showVol = false;

  struct Case {
    int code;
    int64_t arg;
    int64_t want;
  } cases[] = {
      {QHistCash, 0, 1213},     {QLiveCash, 0, -13},        {QTrainCash, 0, 100000000},
      {QTrainPositions, 0, 2},  {QHistDeals, 0, 3},        {QOrders, 0, 3},
      {QRestingOrders, 0, 2},   {QRestingOfMode, 2, 2},    {QRestingOfMode, 3, -1},
      {QTradeTab, 0, 2},        {QCurIdx, 0, 1},           {QTPlusOne, 0, 1},
      {QPositionQty, 1, 300},   {QPositionQty, 2, -1},     {QPositionCode, 1, 651},  // training tab
      {QOrderStatus, 0, 1},     {QOrderNo, 1, 41},         {QOrderMode, 2, 2},        {QOrderNo, 3, -1},
      {QNextOrderNo, 0, 42},    {QGameCode, 0, 600519},    {QTrainStock, 0, 1},
      {QTrainMaxDrawdown, 0, 1235},                        {QTrainBlind, 0, 1},
      {QStockCount, 0, 2},      {QPeriod, 0, 6},           {QLiveStock, 0, -1},
      {QDayBars, 1, 5},         {QMinuteBars, 1, 480},     {QLatestDayMinutes, 1, 240},
      {QDayBars, 2, -1},        {QDayBars, -1, -1},        {QLastPrice, 1, 1056},     {QPrevClose, 1, 1000},
      {QSortColumn, 0, 0},      {QSortAscending, 0, 1},    {QListRow, 0, 1},          {QListRow, 2, -1},
      {QStatusLength, 0, 3},    {QLiveSubPanels, 0, 1},    {QTradeMode, 0, 1},
      {QBaseline, 2, 200000000}, {QBaseline, 3, -1},       {QReplayInterval, 0, 2000},
      {QTrainDi, 0, -1},        {QReplayStock, 0, -1},
      {QScore, 0, -1},          {QAnnualReturn, 0, 0},     // a game without deals is not scored
      {QAccountEquity, 0, 1213}, {QAccountEquity, 3, -1},  {QTrainEquity, 0, 100000000},
      {QEquitySamples, 0, 0},   {QReplayPaused, 0, 0},
      {QMainInd, 0, 1},         {QSubInd, 0, 4},           {QShowVol, 0, 0},          {QShowSub, 0, 1},
      // State that does not exist yet, and reserved codes.
      {23, 0, -1}, {76, 0, -1}, {99, 0, -1}, {100, 0, -1}, {122, 0, -1},
  };
  for (const Case& k : cases) EXPECT_EQ(queryState(app, QueryValue, uint64_t(k.code), k.arg), k.want) << "code " << k.code;

  app.train.revealed = true;
  EXPECT_EQ(queryState(app, QueryValue, QTrainBlind, 0), 0);
  app.train.active = false;
  EXPECT_EQ(queryState(app, QueryValue, QGameCode, 0), -1);
  EXPECT_EQ(queryState(app, 95, 0, 0), -1);  // not a query message
}

TEST(StateQueryView, Bits) {
  AppState app;
  EXPECT_EQ(queryState(app, QueryViewBits, 0, 0), int64_t(ViewList | ViewRealTimeOff | (7u << 12)));
  app.view.listView = false;
  app.view.trend = true;
  app.view.tradeView = true;
  app.win.tradePanelClosed = true;
  app.win.tradeFocus = 5;
  app.mode.tradeTab = TradeTab(4);
  app.view.period = 11;
  app.train.inputFocus = 6;
  app.mode.tradeMode = TradeMode::RealTime;
  app.train.active = true;
  app.replay.training = true;
  app.train.autoplay = true;
  int64_t want = 2 | 4 | 8 | (5 << 4) | (4 << 8) | (11 << 12) | (1 << 16) | (1 << 18) | (1 << 19) | (1 << 20);
  EXPECT_EQ(queryState(app, QueryViewBits, 0, 0), want);
}

}  // namespace
}  // namespace zor
