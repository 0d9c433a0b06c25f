#include "app/hit_dispatch.h"

#include "app/app_state.h"
#include "app/replay_ops.h"
#include "app/training_ops.h"
#include "chart/indicator_strip.h"
#include "platform/trace_log.h"

namespace zor {

namespace {

const char* tabName(TradeTab tab) {
  switch (tab) {
    case TradeTab::HistoryTraining: return "历史训练";
    case TradeTab::TradeRecords: return "交易记录查询";
    case TradeTab::KlineTraining:
    case TradeTab::KlineTraining2: return "训练模式";
    case TradeTab::RealTime: return "实时交易";
    default: return "实时交易记录查询";
  }
}

// The intraday sub-panel switch: either sub panel set, both go with their parameters; none,
// the first shows MACD.
void toggleIntradaySubPanels(AppState& app) {
  IntradaySettings& fs = app.config.fsLive;
  if (!fs.sub1.empty() || !fs.sub2.empty()) {
    fs.sub1.clear();
    fs.sub2.clear();
    fs.sub1Param = {};
    fs.sub2Param = {};
  } else {
    fs.sub1 = "MACD";
    fs.sub1Param = {};
  }
}

// The trading view with the order entry (or the code field) focused.
void openTradingView(AppState& app, int focus) {
  app.view.tradeView = true;
  app.win.tradePanelClosed = false;
  app.win.tradeFocus = focus;
}

// Clears the panels' inputs and focus; with the training state also the game and the replay.
void resetPanelInputs(AppState& app, bool withTraining) {
  app.win.tradeFocus = 0;
  app.win.panelFieldFocused = false;
  app.train.inputFocus = 0;
  if (withTraining) {
    if (app.train.active) trnEnd(app);
    replayStop(app);
  }
  if (!app.market.valid(app.live.liveStockIdx)) app.live.liveStockIdx = -1;
}

}  // namespace

void selectTab(AppState& app, TradeTab tab) {
  if (isKlineTrainingTab(tab)) {
    if (app.replay.training) {
      replaySettle(app);
      traceLine("TAB 进K线训练: 历史回放已按收盘价结算并退出");
    }
    replayStop(app);
    app.replay.trainDi = app.replay.selectedDay = -1;
    app.replay.dateBox.clear();
    app.replay.trainMin.clear();
    app.view.trend = false;
  } else {
    trnLeave(app);
  }
  switchTab(app, tab);
  setTradeMode(app, isRealTimeTab(tab) ? TradeMode::RealTime : TradeMode::History);
  traceLine("TAB %s tab=%d mode=%d trainOn=%d", tabName(tab), int(tab), int(app.mode.tradeMode),
            int(app.replay.training));
}

bool runHitArea(AppState& app, const HitArea& h) {
  switch (h.kind) {
    case HitKind::QuoteRow:
      selectStock(app, h.index);
      return true;
    case HitKind::OpenTradingView:
      openTradingView(app, 1);
      return true;
    case HitKind::RealTimeTrading:
      setTradeMode(app, TradeMode::RealTime);
      selectTab(app, TradeTab::RealTime);
      resetPanelInputs(app, true);
      openTradingView(app, 1);
      return true;
    case HitKind::HistoryTrading:
      setTradeMode(app, TradeMode::History);
      selectTab(app, TradeTab::HistoryTraining);
      resetPanelInputs(app, true);
      openTradingView(app, 3);
      return true;
    case HitKind::CloseTradingView:
      app.view.tradeView = false;
      app.win.tradeFocus = 0;
      app.win.panelFieldFocused = false;
      return true;
    case HitKind::TabHistoryTraining:
    case HitKind::TabTradeRecords:
    case HitKind::TabKlineTraining:
    case HitKind::TabKlineTraining2:
    case HitKind::TabRealTime:
    case HitKind::TabRealTimeRecords:
      selectTab(app, TradeTab(hitKindValue(h.kind) - hitKindValue(HitKind::TabHistoryTraining)));
      return true;
    case HitKind::IndicatorStripItem:
      return applyIndicatorStripItem(app.view, h.index);
    case HitKind::IntradaySubPanelToggle:
      toggleIntradaySubPanels(app);
      return true;
    default:
      // The indicator pickers (kinds 500-502, 505-507) arrive with the indicator dialogs.
      return runPanelAction(app, h);
  }
}

}  // namespace zor
