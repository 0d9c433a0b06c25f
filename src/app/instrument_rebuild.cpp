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
  r.replayPaused = false;
  r.dateView = false;
  r.trainMin.clear();
  r.cursor = r.frames = 0;
  r.trainDi = r.selectedDay = -1;
  r.replayStockIdx = -1;
  ++r.generation;

  TrainState& t = app.train;
  stopTimer(app, TimerId::Autoplay);
  t.autoplay = false;
  t.active = false;
  t.finished = false;
  t.inputFocus = 0;
  t.jumpPeriod = 0;
  t.sub = -1;
  t.stockIdx = -1;
  t.cur = t.start = 0;
  t.codeInput.clear();
  t.dateInput.clear();

  app.live.liveStockIdx = -1;
}

// The panels' inputs and focus, and the pointer state of the last paint, which named rows of
// the old table.
void resetInputs(AppState& app) {
  WindowState& w = app.win;
  w.panelFieldFocused = false;
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
  // The index files may lie in the new DAT directory.
  app.indexStrip = IndexStripState{};
  // The trading panel's selected row joins here with the trading window.

  app.view.curIdx = 0;
  selectStock(app, 0);
  app.ui->requestRepaint();
  return true;
}

}  // namespace zor
