#include "app/training_ops.h"

#include <algorithm>
#include <cstdarg>
#include <cstdlib>

#include "app/app_state.h"
#include "app/replay_ops.h"
#include "app/timers.h"
#include "data/loaders.h"
#include "data/series.h"
#include "platform/random.h"
#include "platform/text.h"
#include "platform/trace_log.h"
#include "trading/matching.h"
#include "trading/trading_state.h"
#include "training/game_rules.h"

namespace zor {

namespace {

constexpr size_t kTrainStatusMax = 255;
constexpr int kRandomDraws = 60;
constexpr int kMinRandomBars = 120;

StockRecord* gameStock(AppState& app) {
  return app.market.valid(app.train.stockIdx) ? &app.market.stocks[size_t(app.train.stockIdx)] : nullptr;
}
const StockRecord* gameStock(const AppState& app) {
  return app.market.valid(app.train.stockIdx) ? &app.market.stocks[size_t(app.train.stockIdx)] : nullptr;
}

Account& trainAccount(AppState& app) { return app.trading.accounts[ModeTraining]; }
const Account& trainAccount(const AppState& app) { return app.trading.accounts[ModeTraining]; }

// The game instrument's code as texts of the game may show it.
std::string gameCodeText(const AppState& app, const StockRecord& rec) {
  return trnBlind(app.train) ? std::string(kMaskedName) : rec.code;
}

std::string barDateText(const AppState& app, const DayBar& b) { return trnDateText(app, b.dateInt()); }

// Saves the training account; the failure note is appended to the status.
void saveTraining(AppState& app) {
  if (!saveTrainAccount(app.trading)) setTrainStatus(app, withSaveNotes(app.train.status, false, true));
}

// The close of bar `i` when its prices are valid, else 0.
double validClose(const StockRecord& rec, int i) {
  return i >= 0 && i < int(rec.k.size()) && isValidBar(rec.k[size_t(i)]) ? rec.k[size_t(i)].close : 0;
}

// The instrument's quote follows bar `i` of the game: open, high and low where the bar has
// them, the last price its close (or `last` when given), the previous close that of the bar
// before (the bar's own at index 0).
void quoteFromBar(StockRecord& rec, int i, double last = 0) {
  const DayBar& b = rec.k[size_t(i)];
  if (isValidBar(b)) {
    if (b.open > 0) rec.open = b.open;
    if (b.high > 0) rec.high = b.high;
    if (b.low > 0) rec.low = b.low;
  }
  double close = last > 0 ? last : lastValidClose(rec.k, i);
  if (close > 0) rec.lastPrice = close;
  double prev = i > 0 ? lastValidClose(rec.k, i - 1) : lastValidClose(rec.k, i);
  if (prev > 0) rec.prevClose = prev;
}

// Every position of the training account in the game instrument takes `price`.
void markGamePositions(AppState& app, const StockRecord& rec, double price) {
  if (price <= 0) return;
  for (Position& p : trainAccount(app).positions)
    if (p.code == rec.code) p.lastPrice = price;
}

// Positions in other instruments take their own close on `date` (exact, else the last
// earlier valid bar) when there is one.
void markOtherPositions(AppState& app, const StockRecord& rec, int date) {
  for (Position& p : trainAccount(app).positions) {
    if (p.code == rec.code) continue;
    const StockRecord* other = findInstrument(app.market.stocks, p.code);
    if (!other) continue;
    for (size_t i = other->k.size(); i-- > 0;) {
      const DayBar& b = other->k[i];
      if (b.dateInt() > date || !isValidBar(b)) continue;
      p.lastPrice = b.close;
      break;
    }
  }
}

// The game moved to bar `train.cur`: date box, typed date, selected day and the quote follow.
void followCurrentBar(AppState& app, StockRecord& rec, double last = 0) {
  TrainState& t = app.train;
  std::string date = strPrintf("%08d", rec.k[size_t(t.cur)].dateInt());
  app.replay.dateBox = date;
  if (!t.dateInput.empty()) t.dateInput = date;
  app.replay.selectedDay = app.replay.trainDi = t.cur;
  quoteFromBar(rec, t.cur, last);
}

// Chooses the instrument of a random game: a drawn instrument with enough daily bars, else
// the one with the most bars. Daily bars only: the chosen one loads the rest on demand.
int pickRandomInstrument(AppState& app) {
  Market& m = app.market;
  int n = int(m.stocks.size());
  size_t need = app.train.days <= 0 ? kMinRandomBars : size_t(std::max(app.train.days + 2, kMinRandomBars));
  for (int draw = 0; draw < kRandomDraws; ++draw) {
    int idx = int(nextRandom() % uint32_t(n));
    if (idx == app.view.curIdx && n > 1) continue;
    StockRecord& rec = m.stocks[size_t(idx)];
    loadDayBars(m, rec, app.mode.tradeMode);
    if (rec.k.size() >= need) return idx;
  }
  int best = -1;
  for (int i = 0; i < n; ++i) {
    StockRecord& rec = m.stocks[size_t(i)];
    loadDayBars(m, rec, app.mode.tradeMode);
    if (!rec.k.empty() && (best < 0 || rec.k.size() > m.stocks[size_t(best)].k.size())) best = i;
  }
  return best;
}

void stopAutoplay(AppState& app) {
  app.train.autoplay = false;
  stopTimer(app, TimerId::Autoplay);
}

// The sub-bars of the game's current day at the current jump period.
std::vector<DayBar> currentSubBars(const AppState& app, const StockRecord& rec, int period) {
  return daySubBars(rec.minAll, rec.k[size_t(app.train.cur)].dateInt(), period);
}

void jumpMinutes(AppState& app, StockRecord& rec, int p) {
  TrainState& t = app.train;
  if (p != t.jumpPeriod) t.sub = -1;
  if (!rec.minLoaded) {
    loadMinuteBars(app.market, rec, app.mode.tradeMode);
    trimMinuteCache(app);
  }
  std::vector<DayBar> subs = currentSubBars(app, rec, p);
  if (subs.empty()) {
    setTrainStatus(app, "当日无分钟数据");
    return;
  }
  int c = t.sub + 1;
  if (c >= int(subs.size())) {
    if (t.cur + 1 >= int(rec.k.size())) {
      t.finished = true;
      setTrainStatus(app, "已是最后一天，训练结束");
      return;
    }
    ++t.cur;
    followCurrentBar(app, rec);
    subs = currentSubBars(app, rec, p);
    if (subs.empty()) {
      t.sub = -1;
      setTrainStatus(app, "下一交易日无分钟数据");
      return;
    }
    c = 0;
  }
  t.sub = c;
  const DayBar& sb = subs[size_t(c)];
  double close = isValidBar(sb) ? sb.close : 0;
  markGamePositions(app, rec, close);
  markOtherPositions(app, rec, rec.k[size_t(t.cur)].dateInt());
  if (close > 0) rec.lastPrice = close;
  t.jumpPeriod = p;
  app.view.period = p;
  std::string_view label = sb.dateText();
  int hh = label.size() >= 11 ? std::atoi(std::string(label.substr(6, 2)).c_str()) : 0;
  int mm = label.size() >= 11 ? std::atoi(std::string(label.substr(9, 2)).c_str()) : 0;
  setTrainStatus(app, strPrintf("下%d分钟 %02d:%02d 收 %.2f (第%d/%d根)", minutePeriodSize(p), hh, mm, close, c + 1,
                                int(subs.size())));
  traceLine("trnJumpPeriod MINUTE period=%d day=%s sub=%d close=%.2f", p,
            barDateText(app, rec.k[size_t(t.cur)]).c_str(), c, close);
  saveTraining(app);
}

void jumpWeekMonth(AppState& app, StockRecord& rec, int p) {
  TrainState& t = app.train;
  double periodClose = 0;
  int target = weekMonthTarget(rec.k, t.cur, p, periodClose);
  const char* unit = p == kJumpWeek ? "周" : "月";
  if (target < 0) {
    t.finished = true;
    setTrainStatus(app, strPrintf("已是最后一%s，训练结束", unit));
    return;
  }
  t.cur = target;
  t.sub = -1;
  markGamePositions(app, rec, periodClose);
  markOtherPositions(app, rec, rec.k[size_t(t.cur)].dateInt());
  followCurrentBar(app, rec, periodClose);
  t.jumpPeriod = p;
  app.view.period = p;
  std::string date = barDateText(app, rec.k[size_t(t.cur)]);
  setTrainStatus(app, strPrintf("下一%s ▶ %s 收 %.2f", unit, date.c_str(), periodClose));
  traceLine("trnJumpPeriod WEEKMONTH period=%d end=%s close=%.2f", p, date.c_str(), periodClose);
}

}  // namespace

void setTrainStatus(AppState& app, std::string_view text) {
  app.train.status = cutUtf8(text, kTrainStatusMax);
  app.ui->requestRepaint();
}

std::string trnDateText(const AppState& app, int yyyymmdd) {
  return trnBlind(app.train) ? std::string(kMaskedDate) : strPrintf("%08d", yyyymmdd);
}

void trnNewGame(AppState& app, bool random, int days) {
  TrainState& t = app.train;
  if (app.market.stocks.empty()) {
    setTrainStatus(app, "无行情数据，无法开局");
    return;
  }
  if (days >= 0) t.days = days;
  if (random) {
    int idx = pickRandomInstrument(app);
    if (idx < 0) {
      setTrainStatus(app, "无可用于训练的标的");
      return;
    }
    // The game must not show its pick anywhere, the code entry included.
    selectStock(app, idx);
    app.list.codeEntry.clear();
    t.codeInput.clear();
  }
  t.hidden = true;
  t.revealed = false;
  t.equity.clear();
  t.peakEquity = yuanOf(trainAccount(app).baselineCents);
  t.maxDrawdown = 0;
  stopAutoplay(app);
  bool started = trnStart(app);
  trnEquitySample(app);
  if (started && trnBlind(t)) {
    const StockRecord* rec = gameStock(app);
    int bars = rec ? int(rec->k.size()) - t.start : 0;
    setTrainStatus(app, strPrintf("训练已开始  第 1/%d 根（双盲：代码与日期已隐藏，按 D 可揭示）", bars));
  }
}

bool trnStart(AppState& app) {
  TrainState& t = app.train;
  Market& m = app.market;
  if (m.stocks.empty()) {
    setTrainStatus(app, "无行情数据，无法开局");
    return false;
  }
  replayStop(app);
  app.replay.selectedDay = app.replay.trainDi = -1;
  app.replay.dateBox.clear();
  app.replay.dateView = false;

  int idx = app.view.curIdx;
  if (!t.codeInput.empty()) {
    idx = instrumentOfCode(m, t.codeInput);
    if (idx < 0) {
      setTrainStatus(app, "未找到该代码，请检查");
      return false;
    }
  } else if (!m.valid(idx)) {
    setTrainStatus(app, "请输入代码");
    return false;
  }
  loadStockOnDemand(app, idx);
  StockRecord& rec = m.stocks[size_t(idx)];
  if (rec.k.empty()) {
    setTrainStatus(app, "该标的无日K数据");
    return false;
  }
  int n = int(rec.k.size());
  int start = gameStartIndex(rec.k, t.days, t.dateInput);
  if (start < 0) {
    app.ui->messageBox("输入日期超出行情数据范围，请重新填写", "训练日期无效", MsgWarning | MsgOk);
    setTrainStatus(app, "训练日期超出行情范围，未启动（请重新填写）");
    return false;
  }

  // A new game starts on a fresh account; resting training orders go with the old one.
  std::string resetNotes = resetModeAccount(app.trading, ModeTraining);
  t.stockIdx = idx;
  t.start = t.cur = start;
  t.jumpPeriod = 0;
  t.sub = -1;
  t.active = true;
  t.finished = false;
  if (app.view.curIdx != idx) {
    selectStock(app, idx);
    app.list.codeEntry.clear();
  }
  app.view.period = PeriodDay;
  app.view.trend = false;
  app.view.tradeView = true;
  app.view.listView = false;
  switchTab(app, TradeTab::KlineTraining);
  app.view.barCount = 0;
  app.view.scrollBack = 0;
  followCurrentBar(app, rec);

  bool saved = saveTrainAccount(app.trading);
  std::string date = barDateText(app, rec.k[size_t(start)]);
  traceLine("trnStart OK stock=%s start=%d date=%s cur=%d activeBarCount=auto", gameCodeText(app, rec).c_str(), start,
            date.c_str(), t.cur);
  std::string status =
      strPrintf("训练开始 %s 起点 %s（共 %d 根可推进）", gameCodeText(app, rec).c_str(), date.c_str(), n - start - 1);
  setTrainStatus(app, withSaveNotes(status + resetNotes, saved, true));
  return true;
}

void trnNextDay(AppState& app) {
  TrainState& t = app.train;
  StockRecord* rec = gameStock(app);
  if (!t.active || !rec || rec->k.empty()) return;
  if (t.jumpPeriod != 0) {
    t.jumpPeriod = 0;
    app.view.period = PeriodDay;
  }
  t.sub = -1;
  int n = int(rec->k.size());
  if (t.cur + 1 < n) {
    ++t.cur;
    followCurrentBar(app, *rec);
    double close = validClose(*rec, t.cur);
    markGamePositions(app, *rec, close);
    std::string date = barDateText(app, rec->k[size_t(t.cur)]);
    setTrainStatus(app, strPrintf("下一天 ▶ %s 收 %.2f  (第 %d/%d 根)", date.c_str(), close, t.cur - t.start + 1,
                                  n - t.start));
    if (msgTraceOn())
      traceLine("trnNextDay OK cur=%d date=%s price=%.2f activeBarCount=auto ksize=%d", t.cur, date.c_str(), close, n);
    return;
  }
  t.finished = true;
  setTrainStatus(app, "已是最后一天，训练结束（点【结束训练】退出，账户与记录已保留）");
  traceLine("trnNextDay FINISHED cur=%d size=%d", t.cur, n);
}

void trnJumpPeriod(AppState& app, int p) {
  if (!app.train.active) {
    setTrainStatus(app, "请先开始训练");
    return;
  }
  StockRecord* rec = gameStock(app);
  if (!rec) return;
  if (rec->k.empty()) {
    setTrainStatus(app, "无K线数据，无法跳转");
    return;
  }
  if (isMinuteJump(p))
    jumpMinutes(app, *rec, p);
  else if (p == kJumpWeek || p == kJumpMonth)
    jumpWeekMonth(app, *rec, p);
  else
    setTrainStatus(app, "周期参数错误");
}

void trnBack(AppState& app) {
  TrainState& t = app.train;
  if (!t.active) {
    setTrainStatus(app, "请先开始训练");
    return;
  }
  StockRecord* rec = gameStock(app);
  if (!rec || rec->k.empty()) return;
  if (t.cur <= t.start) {
    setTrainStatus(app, "已回到本局起点，不能再后退");
    return;
  }
  t.jumpPeriod = 0;
  app.view.period = PeriodDay;
  --t.cur;
  t.finished = false;
  t.sub = -1;
  followCurrentBar(app, *rec);
  double close = validClose(*rec, t.cur);
  markGamePositions(app, *rec, close);
  std::string date = barDateText(app, rec->k[size_t(t.cur)]);
  setTrainStatus(app, strPrintf("后退一根 ◀ %s 收 %.2f  (第 %d/%d 根)", date.c_str(), close, t.cur - t.start + 1,
                                int(rec->k.size()) - t.start));
}

double trnPrice(const AppState& app) {
  const TrainState& t = app.train;
  const StockRecord* rec = gameStock(app);
  if (!rec || t.cur < 0 || t.cur >= int(rec->k.size())) return 0;
  if (isMinuteJump(t.jumpPeriod) && t.sub >= 0) {
    std::vector<DayBar> subs = currentSubBars(app, *rec, t.jumpPeriod);
    if (t.sub < int(subs.size())) return isValidBar(subs[size_t(t.sub)]) ? subs[size_t(t.sub)].close : 0;
  }
  // A bar without valid prices has no price: a trade on it is refused.
  return validClose(*rec, t.cur);
}

void trnTrade(AppState& app, bool buy) {
  TrainState& t = app.train;
  if (!t.active) {
    setTrainStatus(app, "请先开始训练");
    return;
  }
  StockRecord* rec = gameStock(app);
  double price = trnPrice(app);
  if (!rec || price <= 0) {
    setTrainStatus(app, "当前无价格，无法成交");
    return;
  }
  // An empty order form trades one lot.
  int64_t qty = 100;
  if (!t.qtyText.empty()) {
    qty = 0;
    for (char c : t.qtyText) {
      if (c < '0' || c > '9' || qty > kMaxQty) {
        qty = 0;
        break;
      }
      qty = qty * 10 + (c - '0');
    }
  }
  if (qty <= 0) {
    setTrainStatus(app, "请输入有效数量");
    return;
  }
  if (qty % 100 != 0) {
    setTrainStatus(app, "委托数量必须是 100 股的整数倍");
    return;
  }
  Execution x;
  x.buy = buy;
  x.price = price;
  x.qty = qty;
  x.date = rec->k[size_t(t.cur)].dateInt();
  x.time = 900;
  if (isMinuteJump(t.jumpPeriod) && t.sub >= 0) {
    std::vector<DayBar> subs = currentSubBars(app, *rec, t.jumpPeriod);
    if (t.sub < int(subs.size())) x.time = subBarEndTime(subs[size_t(t.sub)], t.jumpPeriod);
  }
  x.tPlusOne = app.trading.tPlusOne;
  x.masked = trnBlind(t);
  std::string message;
  Account& acct = trainAccount(app);
  if (!executeOrder(acct, *rec, x, message)) {
    setTrainStatus(app, message);
    return;
  }
  int pos = findPosition(acct, rec->code);
  if (pos >= 0) acct.positions[size_t(pos)].lastPrice = roundToTick(price, rec->code);
  setTrainStatus(app, withSaveNotes(message, saveTrainAccount(app.trading), true));
}

void trnAutoplay(AppState& app) {
  TrainState& t = app.train;
  if (!t.active) {
    setTrainStatus(app, "请先开始训练");
    return;
  }
  if (t.autoplay) {
    stopAutoplay(app);
    setTrainStatus(app, "自动播放已暂停");
    return;
  }
  t.autoplay = true;
  startTimer(app, TimerId::Autoplay);
  setTrainStatus(app, "自动播放中…");
}

void trnAutoplaySpeed(AppState& app, int i) {
  static const int kIntervals[] = {3000, 1500, 750, 375};
  if (i < 0 || i > 3) return;
  app.train.autoplayMs = kIntervals[i];
  if (app.train.autoplay) startTimer(app, TimerId::Autoplay);
  app.ui->requestRepaint();
}

void trnAutoplayTick(AppState& app) {
  TrainState& t = app.train;
  if (!t.autoplay || !t.active) {
    stopAutoplay(app);
    return;
  }
  if (!isKlineTrainingTab(app.mode.tradeTab)) {
    stopAutoplay(app);
    return;
  }
  if (!t.finished) {
    trainNextBar(app);
    if (!t.finished) return;
  }
  setTrainStatus(app, "已到最后一根，自动播放结束");
  stopAutoplay(app);
}

void trnReveal(AppState& app) {
  app.train.revealed = true;
  setTrainStatus(app, "已显示答案：本局真实代码与日期已揭示");
}

void trnEnd(AppState& app) {
  TrainState& t = app.train;
  t.active = false;
  t.finished = false;
  t.inputFocus = 0;
  t.jumpPeriod = 0;
  t.sub = -1;
  setTrainStatus(app, "训练已结束（账户与记录保留，主图恢复完整K线）");
}

void trnLeave(AppState& app) {
  if (!isKlineTrainingTab(app.mode.tradeTab) || !app.train.active) return;
  stopAutoplay(app);
  trnEnd(app);
  traceLine("LEAVE 离开K线训练: 双盲局已结束 stockIdx=%d", app.train.stockIdx);
}

void trnResetAccount(AppState& app) {
  std::string notes = resetModeAccount(app.trading, ModeTraining);
  setTrainStatus(app, "训练账户已重置（现金 100 万，持仓/记录清空）" + notes);
}

double trnEquity(const AppState& app) {
  const Account& acct = trainAccount(app);
  const StockRecord* rec = gameStock(app);
  double equity = yuanOf(acct.cashCents);
  for (const Position& p : acct.positions) {
    double price = p.lastPrice;
    if (price <= 0) price = rec && p.code == rec->code ? lastValidClose(rec->k, app.train.cur) : p.avgCost;
    if (price <= 0) price = p.avgCost;
    equity += double(p.qty) * price;
  }
  return equity;
}

void trnEquitySample(AppState& app) {
  TrainState& t = app.train;
  double e = trnEquity(app);
  t.equity.push_back(e);
  t.peakEquity = std::max(t.peakEquity, e);
  if (t.peakEquity > 0) t.maxDrawdown = std::max(t.maxDrawdown, (t.peakEquity - e) / t.peakEquity);
}

void trainNextBar(AppState& app) {
  trnNextDay(app);
  trnEquitySample(app);
}

void trainBackBar(AppState& app) {
  trnBack(app);
  trnEquitySample(app);
}

void trainJump(AppState& app, int p) {
  trnJumpPeriod(app, p);
  trnEquitySample(app);
}

void trainTrade(AppState& app, bool buy) {
  trnTrade(app, buy);
  trnEquitySample(app);
}

bool scoreInput(const AppState& app, ScoreInput& out) {
  out = ScoreInput{};
  const TrainState& t = app.train;
  const StockRecord* game = gameStock(app);
  if (game && (t.active || isKlineTrainingTab(app.mode.tradeTab))) {
    const Account& acct = trainAccount(app);
    TradeStats stats = tradeStats(acct.deals, trnEquity(app), yuanOf(acct.baselineCents), t.maxDrawdown);
    DaySet days = daySet(acct.deals);
    out.equity = stats.equity;
    out.initial = yuanOf(acct.baselineCents);
    out.maxDrawdownPct = stats.maxDrawdownPct;
    out.winRatePct = stats.winRate;
    out.dealCount = stats.dealCount;
    out.closedTrades = stats.closedTrades;
    out.distinctDays = days.distinctDays;
    out.firstDate = days.firstDate;
    out.lastDate = days.lastDate;
    out.spanDays = daySpan(game->k, t.cur, days.firstDate, days.distinctDays);
    return true;
  }
  const Account& hist = app.trading.accounts[ModeHistory];
  if (hist.deals.empty()) return false;
  const Market& m = app.market;
  const StockRecord* cur = m.valid(app.view.curIdx) ? &m.stocks[size_t(app.view.curIdx)] : nullptr;
  int day = app.replay.selectedDay;
  double equity = yuanOf(hist.cashCents);
  for (const Position& p : hist.positions) {
    double price = p.lastPrice > 0 ? p.lastPrice : p.avgCost;
    if (cur && p.code == cur->code && day >= 0 && day < int(cur->k.size()) && isValidBar(cur->k[size_t(day)]))
      price = cur->k[size_t(day)].close;
    equity += double(p.qty) * price;
  }
  DaySet days = daySet(hist.deals);
  out.equity = equity;
  out.initial = yuanOf(hist.baselineCents);
  out.dealCount = int(hist.deals.size());
  out.distinctDays = days.distinctDays;
  out.firstDate = days.firstDate;
  out.lastDate = days.lastDate;
  out.spanDays = cur ? daySpan(cur->k, day, days.firstDate, days.distinctDays) : days.distinctDays;
  return true;
}

void switchMode(AppState& app, int mode, int days) {
  if (mode == 2) {
    if (app.replay.training) {
      traceLine("MODE 切K线训练: 历史回放已按收盘价结算并退出 trainOn=%d", int(app.replay.training));
      replaySettle(app);
    }
    replayStop(app);
    app.view.trend = false;
    app.replay.dateBox.clear();
    app.replay.dateView = false;
    app.replay.trainDi = app.replay.selectedDay = -1;
    app.replay.trainMin.clear();
    app.replay.cursor = 0;
    switchTab(app, TradeTab::KlineTraining);
    stopAutoplay(app);
    setTradeMode(app, TradeMode::History);
    app.view.tradeView = true;
    app.train.hidden = true;
    trnNewGame(app, true, days);
    return;
  }
  if (app.train.active) {
    stopAutoplay(app);
    trnEnd(app);
  }
  if (mode == 3) {
    // The real-time connection dialog joins with the quote client.
    app.view.trend = false;
    replayStop(app);
    app.replay.replayStockIdx = -1;
    return;
  }
  setTradeMode(app, TradeMode::History);
  switchTab(app, TradeTab::HistoryTraining);
  app.view.tradeView = false;
  app.ui->requestRepaint();
}

}  // namespace zor
