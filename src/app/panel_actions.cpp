// The actions of the toolbar, the tab bar's chart buttons, the training bar and the quote
// list's header. They join here with the painters of those bars.
#include "app/app_state.h"
#include "app/hit_dispatch.h"
#include "app/main_window.h"
#include "app/quote_list.h"
#include "app/replay_ops.h"
#include "app/training_bar.h"

namespace zor {

namespace {

void focusToolbarField(AppState& app, int focus) {
  app.train.inputFocus = 0;
  app.win.tradeFocus = focus;
  app.win.panelFieldFocused = true;
}

}  // namespace

bool runPanelAction(AppState& app, const HitArea& h) {
  ChartView& v = app.view;
  switch (h.kind) {
    case HitKind::PeriodButton:
      if (h.index < 0 || h.index > 7) return false;
      v.period = h.index;
      v.scrollBack = 0;
      v.barCount = 0;
      v.trend = false;
      return true;
    case HitKind::MainIndicatorButton:
      v.mainInd = h.index == 1 ? MainBOLL : MainMA;
      return true;
    case HitKind::SubIndicatorButton:
      if (h.index < 0 || h.index > 3) return false;
      v.subInd = h.index;
      return true;
    case HitKind::ChartKindButton:
      // The training tabs always show K-lines.
      if (isKlineTrainingTab(app.mode.tradeTab)) return false;
      v.trend = h.index == 1;
      return true;
    case HitKind::ToggleVolumePanel:
      v.showVol = !v.showVol;
      return true;
    case HitKind::ToggleSubPanel:
      v.showSub = !v.showSub;
      return true;
    case HitKind::ReplayStartStop:
      if (app.replay.training)
        replayAskSettle(app);
      else
        replayStart(app, true);
      return true;
    case HitKind::ReplayNextDay:
      replayAskNextDay(app);
      return true;
    case HitKind::ReplayPause:
      replayPause(app);
      return true;
    case HitKind::ReplaySpeed:
      if (h.index == 6) {
        replayFullDay(app);
      } else {
        app.replay.fullDayShown = false;
        replaySpeed(app, h.index);
      }
      return true;
    case HitKind::F12Trading:
      v.tradeView = true;
      app.win.tradePanelClosed = false;
      app.win.tradeFocus = 1;
      return true;
    case HitKind::ReplayCodeField:
      focusToolbarField(app, kToolbarCodeFocus);
      return true;
    case HitKind::ReplayDateField:
      replayAskDateField(app);
      return true;
    default:
      return runTrainingBarAction(app, h);
  }
}

bool clickListHeader(AppState& app, int x, int y) {
  int column = listHeaderColumnAt(app.win.painted, x, y);
  if (column < 0) return false;
  clickSortColumn(app.list, app.market.stocks, column);
  return true;
}

}  // namespace zor
