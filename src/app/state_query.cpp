#include "app/state_query.h"

#include <cmath>
#include <cstring>
#include <string>

#include "app/app_state.h"
#include "app/trading_market.h"
#include "app/training_ops.h"

namespace zor {

namespace {

int64_t money(double v) { return std::isfinite(v) ? int64_t(std::llround(v * 100)) : -1; }

bool validIndex(const AppState& app, int64_t i) { return i >= 0 && uint64_t(i) < app.market.stocks.size(); }

// Accounts are numbered like order modes: 0 history, 1 real-time, 2 training.
const Account* accountOf(const AppState& app, int64_t a) {
  switch (a) {
    case ModeHistory:
    case ModeLive:
    case ModeTraining: return &app.trading.accounts[size_t(a)];
    default: return nullptr;
  }
}

// The account the current tab trades on: training tabs 2 and 3, real-time tabs 4 and 5,
// the history account otherwise.
const Account& tabAccount(const AppState& app) {
  return currentAccount(app.trading, int(app.mode.tradeTab));
}

// A bare six-digit code as an integer; -1 when the text is not all digits.
int64_t codeNumber(const std::string& code) {
  std::string bare = stripMarketPrefix(code);
  if (bare.empty() || bare.size() > 18) return -1;
  int64_t v = 0;
  for (char ch : bare) {
    if (ch < '0' || ch > '9') return -1;
    v = v * 10 + (ch - '0');
  }
  return v;
}

int64_t restingOrders(const AppState& app, int mode) {
  int64_t n = 0;
  for (const Order& o : app.trading.book.orders)
    if (o.status == 0 && (mode < 0 || o.mode == mode)) ++n;
  return n;
}

// Finds a hit area by kind and, when asked, index. `exactIndex` compares the index even when
// it is 0, which the packed form alone cannot ask for.
const HitArea* findHit(const AppState& app, uint64_t packed, bool exactIndex) {
  int kind = int(packed & 0xFFFF);
  bool withIndex = exactIndex || packed >= 65536;
  int index = int((packed >> 16) & 0x7FFF);
  for (const HitArea& h : app.win.painted.hitAreas)
    if (hitKindValue(h.kind) == kind && (!withIndex || h.index == index)) return &h;
  return nullptr;
}

int64_t packXY(int x, int y) { return int64_t(x) * 65536 + y; }

int64_t textQuery(const AppState& app, uint64_t which, int64_t offset) {
  const std::string& t = which == 0   ? app.config.userName
                         : which == 2 ? app.win.statusText
                         : which == 3 ? app.train.status
                                      : app.config.userAcct;
  if (offset < 0 || uint64_t(offset) > t.size()) return -1;
  uint64_t v = 0;
  size_t n = std::min<size_t>(8, t.size() - size_t(offset));
  for (size_t i = 0; i < n; ++i) v |= uint64_t(uint8_t(t[size_t(offset) + i])) << (8 * i);
  return int64_t(v);
}

int64_t valueQuery(const AppState& app, int64_t code, int64_t arg) {
  const TrainState& tr = app.train;
  const Account& cur = tabAccount(app);
  const Account& hist = app.trading.accounts[ModeHistory];
  const Account& live = app.trading.accounts[ModeLive];
  const Account& training = app.trading.accounts[ModeTraining];
  auto stock = [&](int64_t i) -> const StockRecord* { return validIndex(app, i) ? &app.market.stocks[size_t(i)] : nullptr; };
  auto order = [&](int64_t i) -> const Order* {
    return i >= 0 && uint64_t(i) < app.trading.book.orders.size() ? &app.trading.book.orders[size_t(i)] : nullptr;
  };
  auto position = [&](int64_t i) -> const Position* {
    return i >= 0 && uint64_t(i) < cur.positions.size() ? &cur.positions[size_t(i)] : nullptr;
  };
  switch (code) {
    case QHistCash: return hist.cashCents;
    case QLiveCash: return live.cashCents;
    case QTrainCash: return training.cashCents;
    case QHistPositions: return int64_t(hist.positions.size());
    case QLivePositions: return int64_t(live.positions.size());
    case QTrainPositions: return int64_t(training.positions.size());
    case QHistDeals: return int64_t(hist.deals.size());
    case QLiveDeals: return int64_t(live.deals.size());
    case QTrainDeals: return int64_t(training.deals.size());
    case QOrders: return int64_t(app.trading.book.orders.size());
    case QRestingOrders: return restingOrders(app, -1);
    case QTradeTab: return int(app.mode.tradeTab);
    case QCurIdx: return app.view.curIdx;
    case QTPlusOne: return app.trading.tPlusOne;
    case QTrainCur: return tr.cur;
    case QTrainStart: return tr.start;
    case QTrainStock: return tr.stockIdx;
    case QTrainMaxDrawdown: return std::isfinite(tr.maxDrawdown) ? int64_t(std::llround(tr.maxDrawdown * 10000)) : -1;
    case QReplayCursor: return app.replay.cursor;
    case QReplayFrames: return app.replay.frames;
    case QReplayInterval: return app.replay.replayIntervalMs;
    case QPositionQty: return position(arg) ? position(arg)->qty : -1;
    case QOrderStatus: return order(arg) ? order(arg)->status : -1;
    case QGameCode: return tr.active && stock(tr.stockIdx) ? codeNumber(stock(tr.stockIdx)->code) : -1;
    case QStockCount: return int64_t(app.market.stocks.size());
    case QPeriod: return app.view.period;
    case QLiveStock: return app.live.liveStockIdx;
    case QLiveOK: return app.live.liveOK;
    case QDayBars: return stock(arg) ? int64_t(stock(arg)->k.size()) : -1;
    case QMinuteBars: return stock(arg) ? int64_t(stock(arg)->minAll.size()) : -1;
    case QLatestDayMinutes: return stock(arg) ? int64_t(stock(arg)->minc.size()) : -1;
    case QLastPrice: return stock(arg) ? money(stock(arg)->lastPrice) : -1;
    case QPrevClose: return stock(arg) ? money(stock(arg)->prevClose) : -1;
    case QSortColumn: return app.list.sortColumn > 0 ? app.list.sortColumn : 0;
    case QSortAscending: return app.list.sortAscending;
    case QMouse: return app.win.mouseInside ? packXY(app.win.mouseX, app.win.mouseY) : -1;
    case QListTop: return app.list.listTop;
    case QListRow:
      if (arg < 0 || uint64_t(arg) >= app.market.stocks.size()) return -1;
      return instrumentAtViewPos(app.list, int(app.market.stocks.size()), int(arg));
    case QBarCount: return app.view.barCount;
    case QScrollBack: return app.view.scrollBack;
    case QMainInd: return app.view.mainInd;
    case QSubInd: return app.view.subInd;
    case QShowVol: return app.view.showVol;
    case QShowSub: return app.view.showSub;
    case QTrainHidden: return tr.hidden;
    case QTrainRevealed: return tr.revealed;
    case QTrainFinished: return tr.finished;
    case QTrainBlind: return tr.active && tr.hidden && !tr.revealed;
    case QTrainJumpPeriod: return tr.jumpPeriod;
    case QTrainSub: return tr.sub;
    case QTrainDays: return tr.days;
    case QTrainAutoplayMs: return tr.autoplayMs;
    case QBaseline: return accountOf(app, arg) ? accountOf(app, arg)->baselineCents : -1;
    case QAccountEquity: {
      const Account* a = accountOf(app, arg);
      if (!a) return -1;
      double equity = yuanOf(a->cashCents);
      for (const Position& p : a->positions) equity += double(p.qty) * positionPrice(p, app.market.stocks);
      return money(equity);
    }
    case QScore:
    case QAnnualReturn: {
      ScoreInput in;
      ScoreResult r;
      if (scoreInput(app, in)) r = gradeScore(in);
      if (code == QScore) return r.scored ? r.score : -1;
      return r.scored ? money(r.annualPct) : 0;
    }
    case QEquitySamples: return int64_t(tr.equity.size());
    case QTrainEquity: return money(trnEquity(app));
    case QReplayPaused: return app.replay.replayPaused;
    case QClockDate:
    case QClockTime: {
      TradeClock c = AppTradingMarket(app).clock(modeOfTab(int(app.mode.tradeTab)));
      return code == QClockDate ? c.date : c.time;
    }
    case QReplayStock: return app.replay.replayStockIdx;
    case QTrainDi: return app.replay.trainDi;
    case QNextOrderNo: return app.trading.book.nextOrderNo;
    case QOrderNo: return order(arg) ? order(arg)->orderNo : -1;
    case QOrderMode: return order(arg) ? order(arg)->mode : -1;
    case QRestingOfMode: return arg >= 0 && arg <= 2 ? restingOrders(app, int(arg)) : -1;
    case QPositionCode: return position(arg) ? codeNumber(position(arg)->code) : -1;
    case QStatusLength: return int64_t(app.win.statusText.size());
    case QDataMode: return app.config.dataMode;
    case QLiveSubPanels: return app.config.fsLive.subCount;
    case QTradeMode: return int(app.mode.tradeMode);
    case QStockCode: return stock(arg) ? codeNumber(stock(arg)->code) : -1;
    case QHitTopLeft:
    case QHitBottomRight: {
      // Bit 31 asks for the index explicitly, so that index 0 can be named.
      uint64_t packed = uint64_t(arg) & 0xFFFFFFFFu;
      const HitArea* h = findHit(app, packed & 0x7FFFFFFFu, (packed & 0x80000000u) != 0);
      if (!h) return -1;
      return code == QHitTopLeft ? packXY(h->left, h->top) : packXY(h->right, h->bottom);
    }
    default: return -1;
  }
}

int64_t viewBits(const AppState& app) {
  uint32_t v = 0;
  if (app.view.listView) v |= ViewList;
  if (app.view.trend) v |= ViewTrend;
  if (app.view.tradeView) v |= ViewTrade;
  if (app.win.tradePanelClosed) v |= ViewTradePanelClosed;
  v |= uint32_t(app.win.tradeFocus & 15) << ViewTradeFocusShift;
  v |= uint32_t(int(app.mode.tradeTab) & 15) << ViewTradeTabShift;
  v |= uint32_t(app.view.period & 15) << ViewPeriodShift;
  if (app.train.inputFocus != 0) v |= ViewTrainFieldFocused;
  if (app.mode.tradeMode != TradeMode::RealTime) v |= ViewRealTimeOff;
  if (app.train.active) v |= ViewGameActive;
  if (app.replay.training) v |= ViewReplayRunning;
  if (app.train.autoplay) v |= ViewAutoplay;
  return v;
}

}  // namespace

int64_t queryState(const AppState& app, unsigned msgOffset, uint64_t wParam, int64_t lParam) {
  switch (msgOffset) {
    case QueryText: return textQuery(app, wParam, lParam);
    case QueryHitCount: {
      int64_t n = 0;
      for (const HitArea& h : app.win.painted.hitAreas)
        if (uint64_t(hitKindValue(h.kind)) == wParam) ++n;
      return n;
    }
    case QueryHitCentre: {
      const HitArea* h = findHit(app, wParam & 0xFFFFFFFFu, lParam != 0);
      return h ? packXY((h->left + h->right) / 2, (h->top + h->bottom) / 2) : -1;
    }
    case QueryValue: return valueQuery(app, int64_t(wParam), lParam);
    case QueryViewBits: return viewBits(app);
    default: return -1;
  }
}

}  // namespace zor
