#include "app/keyboard.h"

#include <algorithm>
#include <cctype>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/main_window.h"
#include "app/replay_ops.h"
#include "app/training_bar.h"
#include "app/training_ops.h"
#include "chart/chart_navigation.h"
#include "platform/text.h"

namespace zor {

namespace {

constexpr size_t kCodeEntryMax = 9;
constexpr int kScrollStep = 20;  // bars a Left or Right key scrolls

bool fieldFocused(const AppState& app) {
  return app.win.panelFieldFocused || app.win.tradeFocus != 0 || app.train.inputFocus != 0;
}

bool trainingTab(const AppState& app) { return isKlineTrainingTab(app.mode.tradeTab); }

void zoom(AppState& app, bool in) {
  zoomChart(app.view, app.win.painted.chart, in, !app.market.stocks.empty());
}

// Opens the trading view with the order entry focused, on the tab of the mode.
void openTradingView(AppState& app, TradeTab tab) {
  switchTab(app, tab);
  app.view.tradeView = true;
  app.win.tradePanelClosed = false;
  app.win.tradeFocus = 1;
}

void setPeriod(AppState& app, int period) {
  app.view.period = period;
  app.view.trend = false;
  app.view.scrollBack = 0;
  app.view.barCount = 0;
}

// The K-line game's keys: tab 2, a game running, no field taking the keys.
bool gameKey(AppState& app, int key, unsigned mods) {
  if (app.mode.tradeTab != TradeTab::KlineTraining || !app.train.active || fieldFocused(app) || mods) return false;
  switch (key) {
    case KeyEnter:
    case KeySpace: trainNextBar(app); return true;
    case KeyLeft: trainBackBar(app); return true;
    case 'A': trnAutoplay(app); return true;
    case 'D': trnReveal(app); return true;
    case 'B': trainTrade(app, true); return true;
    case 'S': trainTrade(app, false); return true;
    default: return false;
  }
}

// Keys for a focused training field: the field's own editing keys; other keys fall through
// only when they move the view (page, arrows, F5, F12).
bool trainingFieldKey(AppState& app, int key, bool& swallowed) {
  swallowed = false;
  if (!trainingTab(app) || app.train.inputFocus == 0) return false;
  std::string& field = app.train.inputFocus == 6 ? app.train.codeInput : app.train.dateInput;
  switch (key) {
    case KeyBackspace:
      if (!field.empty()) field.pop_back();
      return true;
    case KeyEnter:
      startGameFromFields(app);
      return true;
    case KeyEscape:
      app.train.inputFocus = 0;
      app.win.tradeFocus = 0;
      return true;
    default:
      swallowed = !(key >= KeyPageUp && key <= KeyDown) && key != KeyF5 && key != KeyF12;
      return false;
  }
}

// The toolbar's replay fields (focus 2 the date, 3 the code) outside the trading view: their
// editing keys, Enter starts the replay; other keys fall through like a training field's.
bool replayFieldKey(AppState& app, int key, bool& swallowed) {
  swallowed = false;
  int focus = app.win.tradeFocus;
  if (app.view.tradeView || trainingTab(app) || (focus != kToolbarDateFocus && focus != kToolbarCodeFocus)) return false;
  std::string& field = focus == kToolbarDateFocus ? app.replay.dateBox : app.replay.replayCode;
  switch (key) {
    case KeyBackspace:
      if (!field.empty()) field.pop_back();
      return true;
    case KeyEnter:
      app.win.tradeFocus = 0;
      app.win.panelFieldFocused = false;
      replayStart(app, true);
      return true;
    case KeyEscape:
      // In the trading view Esc closes the view (and the focus with it).
      if (app.view.tradeView) return false;
      app.win.tradeFocus = 0;
      app.win.panelFieldFocused = false;
      return true;
    default:
      swallowed = !(key >= KeyPageUp && key <= KeyDown) && key != KeyF5 && key != KeyF12;
      return false;
  }
}

bool listKey(AppState& app, int key) {
  switch (key) {
    case KeyBackspace:
      if (!app.list.codeEntry.empty()) app.list.codeEntry.pop_back();
      return true;
    case KeyEscape:
      app.list.codeEntry.clear();
      return true;
    case KeyEnter:
      commitCodeEntry(app);
      if (!trainingTab(app) && !app.view.listView) app.view.trend = true;
      return true;
    case KeyUp:
    case KeyDown:
      selectNeighbour(app, key == KeyUp ? -1 : 1);
      scrollSelectionIntoView(app);
      return true;
    case KeyF12:
      openTradingView(app, TradeTab::HistoryTraining);
      return true;
    default:
      return false;
  }
}

bool chartKey(AppState& app, int key) {
  ChartView& v = app.view;
  switch (key) {
    case KeyEnter:
    case KeyF5:
      if (trainingTab(app)) return false;
      v.trend = !v.trend;
      return true;
    case KeyEscape:
      v.listView = true;
      v.barCount = 0;
      return true;
    case KeyHome:
      v.scrollBack = 0;
      return true;
    case KeyEnd:
      scrollToOldest(v, app.win.painted.chart);
      return true;
    case KeyLeft:
    case KeyRight:
      scrollChart(v, key == KeyLeft ? kScrollStep : -kScrollStep);
      return true;
    case KeyUp:
    case KeyDown:
      zoom(app, key == KeyUp);
      return true;
    case '1':
    case '2':
    case '3':
      setPeriod(app, PeriodDay + (key - '1'));
      return true;
    case KeyF12:
      openTradingView(app, app.mode.tradeMode == TradeMode::RealTime ? TradeTab::RealTime : TradeTab::HistoryTraining);
      return true;
    default:
      return false;
  }
}

bool tradingViewKey(AppState& app, int key) {
  switch (key) {
    case KeyEscape:
      // The order form's fields arrive with the trading window; Esc closes the view.
      app.view.tradeView = false;
      app.win.tradeFocus = 0;
      app.win.panelFieldFocused = false;
      return true;
    case KeyPageUp:
    case KeyPageDown:
      selectNeighbour(app, key == KeyPageUp ? -1 : 1);
      return true;
    case KeyLeft:
    case KeyRight:
      scrollChart(app.view, key == KeyLeft ? kScrollStep : -kScrollStep);
      return true;
    case KeyUp:
    case KeyDown:
      zoom(app, key == KeyUp);
      return true;
    default:
      return false;
  }
}

}  // namespace

bool onKeyDown(AppState& app, int key, unsigned mods) {
  bool ctrl = mods & ModControl, alt = mods & ModAlt;
  if (!fieldFocused(app)) {
    if (ctrl && key == 'D') return runCommand(app, int(CommandId::DrawingProperties)), true;
    if (key == KeyF8 && !ctrl && !alt) {
      if (!listShown(app) && app.view.trend) runCommand(app, int(CommandId::IntradaySubIndicator));
      return true;
    }
    if (key == KeyF9 && !ctrl) {
      if (!app.view.tradeView) runCommand(app, int(CommandId::DrawingToolbar));
      return true;
    }
    if (alt && key == KeyF11) return runCommand(app, int(CommandId::ToggleDrawings)), true;
    if (alt && key == KeyF12) return runCommand(app, int(CommandId::DrawingToolbar)), true;
  }
  if (gameKey(app, key, mods)) return true;
  if (ctrl && key == 'Z') return runCommand(app, int(CommandId::UndoDrawing)), true;
  bool swallowed = false;
  if (trainingFieldKey(app, key, swallowed)) return true;
  if (swallowed) return false;
  if (replayFieldKey(app, key, swallowed)) return true;
  if (swallowed) return false;
  if (app.view.tradeView) return tradingViewKey(app, key);
  if (listShown(app)) return listKey(app, key);
  return chartKey(app, key);
}

bool onChar(AppState& app, char32_t ch) {
  if (ch < 32 || ch > 126) return false;
  char c = char(ch);
  TrainState& t = app.train;
  if (trainingTab(app) && t.inputFocus == 6) {
    // The code field takes digits and lower-case letters.
    if (((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')) && t.codeInput.size() < kCodeEntryMax) t.codeInput += c;
    return true;
  }
  if (trainingTab(app) && t.inputFocus == 7) {
    if (c >= '0' && c <= '9') {
      if (t.dateInput.size() >= 8) t.dateInput.clear();  // a full date starts over
      t.dateInput += c;
    }
    return true;
  }
  if (!app.view.tradeView && !trainingTab(app) && app.win.tradeFocus == kToolbarDateFocus) {
    if (c >= '0' && c <= '9') {
      std::string& date = app.replay.dateBox;
      if (date.size() >= 8) date.clear();  // a full date starts over
      date += c;
    }
    return true;
  }
  if (!app.view.tradeView && !trainingTab(app) && app.win.tradeFocus == kToolbarCodeFocus) {
    std::string& code = app.replay.replayCode;
    if (((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')) && code.size() < kCodeEntryMax) code += c;
    return true;
  }
  if (listShown(app) && !app.view.tradeView && c >= '0' && c <= '9') {
    if (app.list.codeEntry.size() < kCodeEntryMax) app.list.codeEntry += c;
    return true;
  }
  return false;
}

bool commitCodeEntry(AppState& app) {
  const Market& m = app.market;
  std::string want = stripMarketPrefix(app.list.codeEntry);
  if (want.empty()) {
    if (!m.valid(app.view.curIdx)) return false;
    openStock(app, app.view.curIdx);
    return true;
  }
  int found = -1;
  for (size_t i = 0; i < m.stocks.size() && found < 0; ++i)
    if (equalsIgnoreCase(stripMarketPrefix(m.stocks[i].code), want)) found = int(i);
  for (size_t i = 0; i < m.stocks.size() && found < 0; ++i)
    if (startsWithIgnoreCase(stripMarketPrefix(m.stocks[i].code), want)) found = int(i);
  if (found < 0) return false;
  openStock(app, found);
  return true;
}

namespace {

// The view position of instrument `idx` in the list; -1 when it is not listed.
int viewPosOf(const AppState& app, int idx) {
  int n = int(app.market.stocks.size());
  for (int pos = 0; pos < n; ++pos)
    if (instrumentAtViewPos(app.list, n, pos) == idx) return pos;
  return -1;
}

}  // namespace

void selectNeighbour(AppState& app, int step) {
  int n = int(app.market.stocks.size());
  if (n == 0) return;
  int pos = viewPosOf(app, app.view.curIdx);
  pos = std::clamp(pos < 0 ? 0 : pos + step, 0, n - 1);
  int idx = instrumentAtViewPos(app.list, n, pos);
  if (idx >= 0 && idx != app.view.curIdx) selectStock(app, idx);
}

void scrollSelectionIntoView(AppState& app) {
  int n = int(app.market.stocks.size());
  int rows = std::max(1, app.win.painted.listRows);
  int pos = viewPosOf(app, app.view.curIdx);
  int& top = app.list.listTop;
  if (pos >= 0 && pos < top) top = pos;
  if (pos >= 0 && pos >= top + rows) top = pos + 1 - rows;
  top = std::clamp(top, 0, std::max(0, n - rows));
}

}  // namespace zor
