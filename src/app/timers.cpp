#include "app/timers.h"

#include <algorithm>
#include <iterator>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/replay_ops.h"
#include "app/trading_market.h"
#include "app/training_ops.h"
#include "platform/clock.h"
#include "platform/random.h"
#include "platform/trace_log.h"

namespace zor {

namespace {

constexpr unsigned kBlinkTimerMs = 700;

// Caret blink, the refresh of the quote-list rows on screen, and the order book's matching.
unsigned blinkTick(AppState& app) {
  WindowState& w = app.win;
  if (w.panelFieldFocused || w.tradeFocus != 0 || app.train.inputFocus != 0) w.blink = !w.blink;
  refreshQuoteList(app);
  matchRestingOrders(app);
  app.ui->requestRepaint();
  return 0;
}

unsigned liveFetchTick(AppState& app) {
  bool tradingTime = isTradingTime(localNow());
  if (msgTraceOn())
    traceLine("WM_TIMER_FENSHI trend=%d liveStockIdx=%d liveOK=%d stocks=%zu tradingTime=%d", int(app.view.trend),
              app.live.liveStockIdx, int(app.live.liveOK), app.market.stocks.size(), int(tradingTime));
  // The real-time fetch of the live instrument joins here with the quote client; it runs
  // only in real-time mode during trading hours.
  return nextLiveTimerInterval();
}

unsigned replayTick(AppState& app) {
  trainTick(app);
  return 0;
}

unsigned autoplayTick(AppState& app) {
  trnAutoplayTick(app);
  return 0;
}

// Keep in the order of TimerId.
constexpr TimerRow kTimers[] = {
    {TimerId::Blink, "blink", [](const AppState&) { return kBlinkTimerMs; }, blinkTick},
    {TimerId::Replay, "replay", [](const AppState& a) { return unsigned(std::max(1, a.replay.replayIntervalMs)); },
     replayTick},
    {TimerId::LiveFetch, "liveFetch", [](const AppState&) { return nextLiveTimerInterval(); }, liveFetchTick},
    // A game without a positive interval plays at the normal speed.
    {TimerId::Autoplay, "autoplay", [](const AppState& a) { return unsigned(a.train.autoplayMs > 0 ? a.train.autoplayMs : 1500); },
     autoplayTick},
};

}  // namespace

const TimerRow* findTimer(TimerId id) {
  for (const TimerRow& r : kTimers)
    if (r.id == id) return &r;
  return nullptr;
}

void startTimer(AppState& app, TimerId id) {
  if (const TimerRow* r = findTimer(id)) app.ui->setTimer(id, r->interval(app));
}

void stopTimer(AppState& app, TimerId id) { app.ui->killTimer(id); }

void stopAllTimers(AppState& app) {
  for (const TimerRow& r : kTimers) app.ui->killTimer(r.id);
}

unsigned onTimer(AppState& app, int id) {
  const TimerRow* r = findTimer(TimerId(id));
  if (!r) return 0;
  unsigned next = r->tick(app);
  if (next) app.ui->setTimer(r->id, next);
  return next;
}

unsigned nextLiveTimerInterval() { return nextRandom() % 3001 + 3000; }

}  // namespace zor
