#include "app/trading_market.h"

#include <cstdlib>

#include "app/app_state.h"
#include "app/training_ops.h"
#include "platform/clock.h"
#include "training/game_rules.h"

namespace zor {

namespace {

const StockRecord* stockAt(const AppState& app, int idx) {
  return app.market.valid(idx) ? &app.market.stocks[size_t(idx)] : nullptr;
}

// The close of the last valid daily bar dated on or before `date`; 0 when none.
double closeOn(const StockRecord& rec, int date) {
  for (size_t i = rec.k.size(); i-- > 0;)
    if (rec.k[i].dateInt() <= date && isValidBar(rec.k[i])) return rec.k[i].close;
  return 0;
}

TradeClock trainingClock(const AppState& app) {
  const TrainState& t = app.train;
  const StockRecord* rec = stockAt(app, t.stockIdx);
  if (!t.active || !rec || t.cur < 0 || t.cur >= int(rec->k.size())) return {};
  TradeClock c{rec->k[size_t(t.cur)].dateInt(), 900};
  if (isMinuteJump(t.jumpPeriod) && t.sub >= 0) {
    std::vector<DayBar> subs = daySubBars(rec->minAll, c.date, t.jumpPeriod);
    if (t.sub < int(subs.size())) c.time = subBarEndTime(subs[size_t(t.sub)], t.jumpPeriod);
  }
  return c;
}

TradeClock historyClock(const AppState& app) {
  const ReplayState& r = app.replay;
  if (r.training && r.cursor >= 0 && r.cursor < int(r.trainMin.size()))
    return TradeClock{r.trainMin[size_t(r.cursor)].date, r.trainMin[size_t(r.cursor)].time};
  const StockRecord* rec = stockAt(app, app.view.curIdx);
  TradeClock c;
  int boxed = std::atoi(r.dateBox.c_str());
  if (boxed > 19000100)
    c.date = boxed;
  else if (rec && r.selectedDay >= 0 && r.selectedDay < int(rec->k.size()))
    c.date = rec->k[size_t(r.selectedDay)].dateInt();
  else if (rec && !rec->k.empty())
    c.date = rec->k.back().dateInt();
  if (rec && !rec->minc.empty()) c.time = rec->minc.back().time;
  return c;
}

}  // namespace

TradeClock AppTradingMarket::clock(int mode) const {
  switch (mode) {
    case ModeTraining: return trainingClock(app_);
    case ModeLive: return localTradeClock(localNow());
    default: return historyClock(app_);
  }
}

const StockRecord* AppTradingMarket::find(std::string_view code) const {
  return findInstrument(app_.market.stocks, code);
}

double AppTradingMarket::price(int mode, const StockRecord& rec) const {
  const StockRecord* game = stockAt(app_, app_.train.stockIdx);
  switch (mode) {
    case ModeTraining: return app_.train.active && game == &rec ? trnPrice(app_) : 0;
    case ModeLive: {
      const StockRecord* live = stockAt(app_, app_.live.liveStockIdx);
      return app_.live.liveOK && live == &rec ? rec.lastPrice : 0;
    }
    default: {
      const ReplayState& r = app_.replay;
      if (r.training && stockAt(app_, r.replayStockIdx) == &rec && r.cursor >= 0 && r.cursor < int(r.trainMin.size())) {
        const MinuteBar& f = r.trainMin[size_t(r.cursor)];
        return isValidMinute(f) ? f.close : 0;
      }
      return closeOn(rec, historyClock(app_).date);
    }
  }
}

bool AppTradingMarket::masked(int mode, const StockRecord& rec) const {
  return mode == ModeTraining && trnBlind(app_.train) && stockAt(app_, app_.train.stockIdx) == &rec;
}

void matchRestingOrders(AppState& app) {
  AppTradingMarket market(app);
  MatchResult r = matchOrders(app.trading, market, modeOfTab(int(app.mode.tradeTab)));
  if (!r.status.empty()) setStatus(app, r.status);
}

}  // namespace zor
