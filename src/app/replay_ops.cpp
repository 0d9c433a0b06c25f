#include "app/replay_ops.h"

#include <algorithm>
#include <cstdlib>

#include "app/app_state.h"
#include "app/timers.h"
#include "app/training_ops.h"
#include "data/loaders.h"
#include "platform/text.h"
#include "platform/trace_log.h"
#include "trading/matching.h"
#include "trading/trading_state.h"

namespace zor {

namespace {

constexpr int kReplaySpeeds[] = {2000, 667, 333, 167, 83, 42};

Account& historyAccount(AppState& app) { return app.trading.accounts[ModeHistory]; }

// The replayed instrument, else the selected one; null when neither is valid.
StockRecord* replayStock(AppState& app) {
  Market& m = app.market;
  int idx = m.valid(app.replay.replayStockIdx) ? app.replay.replayStockIdx : app.view.curIdx;
  return m.valid(idx) ? &m.stocks[size_t(idx)] : nullptr;
}

void loadBarsAndMinutes(AppState& app, StockRecord& rec) {
  loadDayBars(app.market, rec, app.mode.tradeMode);
  if (!rec.minLoaded) {
    loadMinuteBars(app.market, rec, app.mode.tradeMode);
    trimMinuteCache(app);
  }
}

// A failed start leaves the chosen day shown without a replay.
void cancelStart(AppState& app) {
  app.replay.training = false;
  app.replay.dateView = true;
  app.replay.replayStockIdx = -1;
}

// Where training on a holding goes on: the day after its last replay (or after its newest
// deal when it was never replayed), when the instrument has such a day. 0 when unknown.
int continuationDate(const Account& acct, const Position& p, const StockRecord& rec) {
  int date = p.replayDate;
  if (date < 1) {
    date = 0;
    for (size_t i = acct.deals.size(); i-- > 0;) {
      const Deal& d = acct.deals[i];
      if (d.code == p.code && d.date > 0) {
        date = d.date;
        break;
      }
    }
  }
  if (date < 1) return 0;
  for (size_t i = rec.k.size(); i-- > 0;) {
    if (rec.k[i].dateInt() > date) continue;
    if (i + 1 < rec.k.size()) date = rec.k[i + 1].dateInt();
    break;
  }
  return date;
}

// Positions of the history account in `rec` take `price`.
void markHistoryPositions(AppState& app, const StockRecord& rec, double price) {
  if (price <= 0) return;
  for (Position& p : historyAccount(app).positions)
    if (p.code == rec.code) p.lastPrice = price;
}

// The quote of the replayed day so far: frames 0..cursor.
void quoteFromFrames(StockRecord& rec, const std::vector<MinuteBar>& frames, int cursor) {
  const MinuteBar& f = frames[size_t(cursor)];
  double volume = 0, amount = 0;
  for (int i = 0; i <= cursor; ++i) {
    volume += frames[size_t(i)].volume;
    amount += frames[size_t(i)].amount;
  }
  if (isValidMinute(f)) {
    rec.lastPrice = f.close;
    if (cursor == 0) {
      rec.open = f.open > 0 ? f.open : f.close;
      rec.high = f.high;
      rec.low = f.low;
    } else {
      rec.high = std::max(rec.high, double(f.high));
      rec.low = rec.low > 0 ? std::min(rec.low, double(f.low)) : f.low;
    }
  }
  rec.volume = volume;
  rec.amount = amount;
  if (rec.prevClose > 0) rec.amplitude = (rec.high - rec.low) / rec.prevClose * 100.0;
}

// Timers that move the market on while a question is open: a replay frame or an autoplay step
// would otherwise act on a day the question was not about.
struct HeldTimers {
  uint64_t generation;
};
HeldTimers holdTimers(AppState& app) {
  stopTimer(app, TimerId::Replay);
  stopTimer(app, TimerId::Autoplay);
  return HeldTimers{app.replay.generation};
}
void resumeTimers(AppState& app) {
  if (app.replay.training && !app.replay.replayPaused) startTimer(app, TimerId::Replay);
  if (app.train.autoplay && app.train.active) startTimer(app, TimerId::Autoplay);
}

// The answer applies only to the replay the question was about.
bool replayUnchanged(const AppState& app, const HeldTimers& held) { return app.replay.generation == held.generation; }

}  // namespace

void replayStart(AppState& app, bool askConflict) {
  ReplayState& r = app.replay;
  Market& m = app.market;
  if (app.train.active) trnEnd(app);
  replayStop(app);
  r.dateView = false;
  r.replayStockIdx = -1;
  r.fullDayShown = false;

  int idx = app.view.curIdx;
  if (!r.replayCode.empty()) {
    idx = instrumentOfCode(m, r.replayCode);
    if (idx < 0) {
      app.ui->messageBox(strPrintf("代码 %s 不存在，请检查输入。", r.replayCode.c_str()), "代码无效",
                         MsgWarning | MsgOk);
      return;
    }
  } else if (!m.valid(idx)) {
    setStatus(app, "未选中标的");
    return;
  }
  selectStock(app, idx);
  r.replayStockIdx = idx;
  StockRecord& rec = m.stocks[size_t(idx)];
  loadBarsAndMinutes(app, rec);
  if (rec.k.empty()) {
    setStatus(app, "该标的无K线数据");
    cancelStart(app);
    return;
  }
  int d = std::atoi(r.dateBox.c_str());
  if (d <= 0) {
    setStatus(app, "请输入8位日期 YYYYMMDD");
    cancelStart(app);
    return;
  }

  int accountMode = modeOfTab(int(app.mode.tradeTab));
  Account& acct = app.trading.accounts[size_t(accountMode)];
  int pos = findPosition(acct, rec.code);
  if (askConflict && pos >= 0) {
    std::string text = strPrintf(
        "标的 %s %s 已存在持仓列表中。\n\n如需重新训练此标的，需先重置账户（清空全部持仓与交易记录，现金恢复 100 万）。\n"
        "【是】重置账户并以 %08d 重新训练\n【否】从持仓日期的下一天继续训练",
        rec.code.c_str(), rec.name.c_str(), d);
    if (app.ui->messageBox(text, "持仓冲突", MsgQuestion | MsgYesNo) == ResultYes) {
      std::string notes = resetModeAccount(app.trading, accountMode);
      bool saved = saveAccounts(app.trading);
      setStatus(app, withSaveNotes(strPrintf("已重置账户，重新训练 %08d", d) + notes, saved, true));
      pos = -1;
    } else {
      int cont = continuationDate(acct, acct.positions[size_t(pos)], rec);
      if (cont >= 1) {
        d = cont;
        r.dateBox = strPrintf("%08d", d);
        setStatus(app, strPrintf("继续训练：从 %08d 起", d));
      } else {
        setStatus(app, strPrintf("继续训练：%08d", d));
      }
    }
  }

  // The frames: the real minute bars of the day, in data order.
  r.trainMin.clear();
  for (const MinuteBar& mb : rec.minAll)
    if (mb.date == d) r.trainMin.push_back(mb);
  if (int(r.trainMin.size()) < kMinReplayFrames) {
    std::string text;
    if (rec.minAll.empty() || rec.minAll.front().date == 0) {
      text = strPrintf("代码 %s：未加载到任何分钟数据。\n请检查数据目录(vipdoc)是否包含该标的的 .lc1 分钟文件。",
                       rec.code.c_str());
    } else {
      int first = rec.minAll.front().date, last = rec.minAll.back().date;
      text = strPrintf(
          "代码 %s 在 %08d 没有真实的分钟数据，无法回放。\n本地分钟数据范围：%04d-%02d-%02d ~ %04d-%02d-%02d。\n"
          "请选择该范围内的交易日。",
          rec.code.c_str(), d, first / 10000, first / 100 % 100, first % 100, last / 10000, last / 100 % 100,
          last % 100);
    }
    r.trainMin.clear();
    app.ui->messageBox(text, "无分钟数据 · 无法回放", MsgWarning | MsgOk);
    setStatus(app, strPrintf("无分钟数据(%08d)，已取消训练", d));
    cancelStart(app);
    return;
  }

  int frames = int(r.trainMin.size());
  std::string message = strPrintf("训练开始(真实回放) %s %08d 共%d分钟", rec.code.c_str(), d, frames);
  if (pos >= 0) {
    acct.positions[size_t(pos)].replayDate = d;
    message = withSaveNotes(message, saveAccounts(app.trading), true);
  }
  setStatus(app, message);

  r.trainDi = findBarByDate(rec, strPrintf("%08d", d));
  if (r.trainDi >= 0) r.selectedDay = r.trainDi;
  for (size_t i = rec.minAll.size(); i-- > 0;) {
    const MinuteBar& mb = rec.minAll[i];
    if (mb.date < d && mb.close > 0 && isValidMinute(mb)) {
      rec.prevClose = mb.close;
      break;
    }
  }
  r.cursor = 0;
  r.frames = frames;
  rec.minc.assign(r.trainMin.begin(), r.trainMin.begin() + 1);
  quoteFromFrames(rec, r.trainMin, 0);
  r.replayPaused = false;
  r.training = true;
  ++r.generation;
  app.view.period = PeriodDay;
  app.view.trend = true;
  app.view.barCount = 0;
  startTimer(app, TimerId::Replay);
  app.ui->requestRepaint();
}

void trainTick(AppState& app) {
  ReplayState& r = app.replay;
  if (msgTraceOn())
    traceLine("trainTick IN training=%d cursor=%d frames=%d curIdx=%d trainMin=%zu", int(r.training), r.cursor,
              r.frames, app.view.curIdx, r.trainMin.size());
  if (!r.training) return;
  if (app.train.active) {
    r.training = false;
    stopTimer(app, TimerId::Replay);
    return;
  }
  ++r.cursor;
  if (r.cursor >= r.frames || r.cursor >= int(r.trainMin.size())) {
    stopTimer(app, TimerId::Replay);
    r.training = false;
    r.replayPaused = false;
    ++r.generation;
    replayNextDay(app);
    return;
  }
  StockRecord* rec = replayStock(app);
  if (!rec) return;
  rec->minc.assign(r.trainMin.begin(), r.trainMin.begin() + r.cursor + 1);
  const MinuteBar& f = r.trainMin[size_t(r.cursor)];
  if (isValidMinute(f)) markHistoryPositions(app, *rec, f.close);
  quoteFromFrames(*rec, r.trainMin, r.cursor);
  app.ui->requestRepaint();
}

void replayNextDay(AppState& app) {
  ReplayState& r = app.replay;
  StockRecord* rec = replayStock(app);
  if (!rec) return;
  if (rec->k.empty()) {
    setStatus(app, "无K线数据，无法跳下一天");
    return;
  }
  if (r.dateBox.empty()) r.dateBox = strPrintf("%08d", rec->k.back().dateInt());
  int base = std::atoi(r.dateBox.c_str());
  int at = -1;
  for (size_t i = 0; i < rec->k.size(); ++i)
    if (rec->k[i].dateInt() == base) at = int(i);
  if (at < 0 || at + 1 >= int(rec->k.size())) {
    setStatus(app, strPrintf("已是最后一天(%08d)，无下一天", base));
    return;
  }
  r.dateBox = strPrintf("%08d", rec->k[size_t(at + 1)].dateInt());
  std::string code = rec->code;
  replayStop(app);
  r.replayCode = code;
  // The next day keeps the chart's zoom and scroll.
  int barCount = app.view.barCount, scrollBack = app.view.scrollBack;
  replayStart(app, false);
  app.view.barCount = barCount;
  app.view.scrollBack = scrollBack;
}

void replayStop(AppState& app) {
  ReplayState& r = app.replay;
  if (!r.training && r.trainMin.empty()) return;
  r.cursor = r.frames = 0;
  app.view.period = PeriodDay;
  app.view.barCount = 0;
  r.training = false;
  r.replayPaused = false;
  r.dateView = true;
  app.view.trend = false;
  stopTimer(app, TimerId::Replay);
  r.trainMin.clear();
  ++r.generation;
  if (StockRecord* rec = replayStock(app)) {
    // The day's frames go; the quote returns to the daily bars until the minutes load again.
    rec->minc.clear();
    rec->lastPrice = rec->open = rec->high = rec->low = 0;
    buildQuoteSnapshot(*rec, app.mode.tradeMode);
    rec->minLoaded = false;
  }
  app.ui->requestRepaint();
}

void replaySettle(AppState& app) {
  ReplayState& r = app.replay;
  StockRecord* rec = replayStock(app);
  if (!rec) return;
  int date = r.trainMin.empty() ? 0 : r.trainMin.front().date;
  bool saved = true;
  if (!r.trainMin.empty()) {
    rec->minc = r.trainMin;
    const MinuteBar& last = r.trainMin.back();
    if (isValidMinute(last)) {
      rec->lastPrice = last.close;
      rec->high = std::max(rec->high, double(last.close));
      rec->low = rec->low > 0 ? std::min(rec->low, double(last.close)) : last.close;
      // The history account is valued at the day's close.
      markHistoryPositions(app, *rec, last.close);
      saved = saveAccounts(app.trading);
    }
  }
  r.training = false;
  r.replayPaused = false;
  r.dateView = true;
  app.view.trend = true;
  stopTimer(app, TimerId::Replay);
  r.trainMin.clear();
  r.cursor = 0;
  ++r.generation;
  setStatus(app, withSaveNotes(strPrintf("训练停止·已结算 %s %08d 共%d分钟", rec->code.c_str(), date,
                                         int(rec->minc.size())),
                               saved, true));
}

void replayFullDay(AppState& app) {
  ReplayState& r = app.replay;
  if (app.mode.tradeMode == TradeMode::RealTime) {
    setStatus(app, "实时模式不使用历史全天分时数据，请用『数据接口』配置服务器后点「加载」");
    return;
  }
  if (!app.market.valid(app.view.curIdx)) return;
  StockRecord& rec = app.market.stocks[size_t(app.view.curIdx)];
  loadBarsAndMinutes(app, rec);
  if (rec.minAll.empty()) {
    app.ui->messageBox("当日没有可用的分钟数据，无法显示全天分时图。\n请确认该日期在本地分钟数据范围内。", "提示",
                       MsgInfo | MsgOk);
    return;
  }
  int date = r.dateBox.empty() ? rec.minAll.back().date : std::atoi(r.dateBox.c_str());
  std::vector<MinuteBar> day;
  for (const MinuteBar& mb : rec.minAll)
    if (mb.date == date) day.push_back(mb);
  if (day.empty()) {
    int last = rec.minAll.back().date;
    for (const MinuteBar& mb : rec.minAll)
      if (mb.date == last) day.push_back(mb);
    app.ui->messageBox(strPrintf("日期 %08d 没有分钟数据，已显示最后一天的分时图。", date), "提示", MsgInfo | MsgOk);
  }
  rec.minc = std::move(day);
  const MinuteBar& last = rec.minc.back();
  if (isValidMinute(last)) {
    rec.lastPrice = last.close;
    markHistoryPositions(app, rec, last.close);
  }
  bool wasRunning = r.training;
  app.view.trend = true;
  r.training = false;
  if (wasRunning) {
    r.dateView = true;
    ++r.generation;
  }
  r.fullDayShown = true;
  stopTimer(app, TimerId::Replay);
  setStatus(app, strPrintf("全天分时图 %s %08d 共%d分钟", rec.code.c_str(), rec.minc.front().date,
                           int(rec.minc.size())));
}

void replayPause(AppState& app) {
  ReplayState& r = app.replay;
  if (!r.training) return;
  r.replayPaused = !r.replayPaused;
  if (r.replayPaused)
    stopTimer(app, TimerId::Replay);
  else
    startTimer(app, TimerId::Replay);
  app.ui->requestRepaint();
}

void replaySpeed(AppState& app, int i) {
  if (i == 6) {
    replayFullDay(app);
    return;
  }
  if (i < 0 || i > 5) return;
  app.replay.replayIntervalMs = kReplaySpeeds[i];
  if (app.replay.training && !app.replay.replayPaused) startTimer(app, TimerId::Replay);
  app.ui->requestRepaint();
}

void locateDate(AppState& app) {
  ReplayState& r = app.replay;
  r.dateView = false;
  if (!app.market.valid(app.view.curIdx)) return;
  StockRecord& rec = app.market.stocks[size_t(app.view.curIdx)];
  loadDayBars(app.market, rec, app.mode.tradeMode);
  if (r.dateBox.empty() || std::atoi(r.dateBox.c_str()) == 0) {
    if (rec.k.empty()) {
      setStatus(app, "请输入8位日期 YYYYMMDD");
      return;
    }
    r.dateBox = strPrintf("%08d", rec.k.back().dateInt());
  }
  if (r.dateBox.size() != 8) {
    setStatus(app, strPrintf("日期需 8 位 YYYYMMDD（当前 \"%s\"），可直接重新输入", r.dateBox.c_str()));
    return;
  }
  int day = findBarByDate(rec, r.dateBox);
  if (day < 0) {
    if (rec.k.empty())
      setStatus(app, "该标的无日线数据");
    else
      setStatus(app, strPrintf("该日期早于数据起点（本股 %s ~ %s），可直接重新输入",
                               std::string(rec.k.front().dateText()).c_str(),
                               std::string(rec.k.back().dateText()).c_str()));
    return;
  }
  r.selectedDay = day;
  setStatus(app, strPrintf("已定位 %s 收盘 %.2f", std::string(rec.k[size_t(day)].dateText()).c_str(),
                           rec.k[size_t(day)].close));
}

void replayContinueHolding(AppState& app, int positionIndex) {
  const Account& acct = currentAccount(app.trading, int(app.mode.tradeTab));
  if (positionIndex < 0 || positionIndex >= int(acct.positions.size())) return;
  const Position& p = acct.positions[size_t(positionIndex)];
  const StockRecord* found = findInstrument(app.market.stocks, p.code);
  if (!found) return;
  int idx = int(found - app.market.stocks.data());
  selectStock(app, idx);
  StockRecord& rec = app.market.stocks[size_t(idx)];
  loadBarsAndMinutes(app, rec);
  int cont = continuationDate(acct, p, rec);
  if (cont >= 1) app.replay.dateBox = strPrintf("%08d", cont);
  app.replay.replayCode = rec.code;
  replayStart(app, false);
}

void replayAskSettle(AppState& app) {
  if (!app.replay.training) return;
  HeldTimers held = holdTimers(app);
  int answer = app.ui->messageBox(
      "确定停止训练吗？\n\n停止后将自动加载当天全量分时图，并按当天收盘价结算盈亏。若想继续训练，请点【取消】。\n\n"
      "【确定】停止并结算    【取消】继续训练",
      "停止训练确认", MsgQuestion | MsgOkCancel);
  if (answer == ResultOk && replayUnchanged(app, held))
    replaySettle(app);
  else
    resumeTimers(app);
}

void replayAskNextDay(AppState& app) {
  if (!app.replay.training) {
    replayNextDay(app);
    return;
  }
  HeldTimers held = holdTimers(app);
  int answer = app.ui->messageBox(
      "当前正在训练回放，是否确定跳过当天？\n\n【是】停止当前训练，跳到下一天重新开跑\n【否】关闭提示，继续当前训练",
      "训练中 · 跳下一天确认", MsgQuestion | MsgYesNo);
  if (answer == ResultYes && replayUnchanged(app, held))
    replayNextDay(app);
  else
    resumeTimers(app);
}

}  // namespace zor

namespace zor {

void replayAskDateField(AppState& app) {
  if (app.replay.training) {
    HeldTimers held = holdTimers(app);
    int answer = app.ui->messageBox(
        "当前正在训练回放，是否确定跳过当天？\n\n【是】停止当前训练，允许切换日期\n【否】不停止训练，但日期框同样可以编辑",
        "训练中 · 切换日期确认", MsgQuestion | MsgYesNo);
    if (answer == ResultYes && replayUnchanged(app, held)) {
      replayStop(app);
    } else {
      resumeTimers(app);
      if (answer != ResultYes)
        setStatus(app, "当前训练继续（日期框已可编辑：改完点【开始训练】会先停当前训练，再用新日期开练）");
    }
  }
  // Either way the date box takes the keys.
  app.train.inputFocus = 0;
  app.win.tradeFocus = kToolbarDateFocus;
  app.win.panelFieldFocused = true;
}

}  // namespace zor
