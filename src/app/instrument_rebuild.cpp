// Rebuilding the instrument table while the program runs (after the data directories were
// saved again). Every index into the old table may now name another instrument or none, so
// everything that holds one starts over.
#include "app/app_state.h"
#include "app/setup_dialogs.h"
#include "app/timers.h"

namespace zor {

namespace {

// The replay and the game hold their instrument by index: both end without settling, since
// the bars they were playing are gone.
void endModesOnInstruments(AppState& app) {
  ReplayState& r = app.replay;
  stopTimer(app, TimerId::Replay);
  r.training = false;
  r.dateView = false;
  r.cursor = r.frames = r.trainMin = 0;
  r.trainDi = -1;
  r.replayStockIdx = -1;

  TrainState& t = app.train;
  stopTimer(app, TimerId::Autoplay);
  t.autoplay = false;
  t.active = false;
  t.stockIdx = -1;
  t.cur = t.start = 0;

  app.live.liveStockIdx = -1;
}

// The panels' inputs and focus, and the pointer state of the last paint, which named rows of
// the old table.
void resetInputs(AppState& app) {
  WindowState& w = app.win;
  w.panelFieldFocused = false;
  w.trainFieldFocused = false;
  w.tradeFocus = 0;
  w.blink = false;
  w.hover = {};
  w.pressed = {};
  app.list.codeEntry.clear();
}

}  // namespace

bool rebuildInstrumentTable(AppState& app) {
  if (!loadAllStocks(app)) return false;

  endModesOnInstruments(app);
  resetInputs(app);
  // The sorted view order lists old indices: back to load order.
  app.list.listOrder.clear();
  app.list.sortColumn = 0;
  app.list.sortAscending = true;
  app.list.listTop = 0;
  // The training and trading subsystems reset their own instrument references here as they
  // arrive: the selected trading-panel row, the replay's selected day, the game's pending
  // choice.

  app.view.curIdx = 0;
  selectStock(app, 0);
  app.ui->requestRepaint();
  return true;
}

}  // namespace zor
