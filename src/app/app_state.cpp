#include "app/app_state.h"

#include "data/loaders.h"
#include "platform/text.h"

namespace zor {

bool loadAllStocks(AppState& app) {
  return loadAllStocks(app.market, app.config.dataDirs(), app.mode.tradeMode, *app.ui);
}

void selectStock(AppState& app, int index) {
  if (!app.market.valid(index)) return;
  app.view.curIdx = index;
  app.list.codeEntry = app.market.stocks[size_t(index)].code;
  // A new instrument starts with the automatic zoom at the newest bar.
  app.view.barCount = 0;
  app.view.scrollBack = 0;
  loadStockOnDemand(app, index);
}

void loadStockOnDemand(AppState& app, int index) {
  Market& m = app.market;
  if (!m.valid(index)) return;
  StockRecord& rec = m.stocks[size_t(index)];
  if (!rec.dayLoaded) loadDayBars(m, rec, app.mode.tradeMode);
  if (app.replay.training) return;
  // In real-time mode minutes come from the quote server; the file minutes stay unloaded so
  // that they load on demand after the mode changes.
  if (app.mode.tradeMode == TradeMode::RealTime) return;
  if (!rec.minLoaded) {
    loadMinuteBars(m, rec, app.mode.tradeMode);
    trimMinuteCache(app);
  }
  rec.minUse = ++m.minuteClock;  // shown now: the last to be released
  if (!rec.drawingsLoaded) rec.drawingsLoaded = true;  // drawings arrive with their subsystem
}

std::vector<int> instrumentsOwnedByModes(const AppState& app) {
  std::vector<int> owned;
  if (app.mode.tradeMode == TradeMode::RealTime && app.live.liveStockIdx >= 0) owned.push_back(app.live.liveStockIdx);
  if (app.replay.training || app.replay.dateView)
    owned.push_back(app.replay.replayStockIdx >= 0 ? app.replay.replayStockIdx : app.view.curIdx);
  if (app.train.active) owned.push_back(app.train.stockIdx);
  return owned;
}

void refreshQuoteList(AppState& app) {
  int rows = app.win.painted.listRows;
  if (!app.view.listView || app.market.stocks.empty() || rows <= 0) return;
  std::vector<int> shown = instrumentsInView(app.list, int(app.market.stocks.size()), app.list.listTop, rows);
  refreshVisibleRows(app.market, shown, app.mode.tradeMode, instrumentsOwnedByModes(app));
  trimMinuteCache(app);
}

void trimMinuteCache(AppState& app) {
  std::vector<int> inUse = {app.view.curIdx, app.live.liveStockIdx, app.replay.replayStockIdx};
  if (app.train.active) inUse.push_back(app.train.stockIdx);
  std::vector<int> onScreen;
  if (app.view.listView)
    onScreen = instrumentsInView(app.list, int(app.market.stocks.size()), app.list.listTop, app.win.painted.listRows);
  trimMinuteCache(app.market, inUse, onScreen);
}

void applyTradeModeChange(AppState& app) {
  applyTradeModeChange(app.market, app.mode.tradeMode, instrumentsOwnedByModes(app));
}

namespace {

int tabGroup(TradeTab t) { return isRealTimeTab(t) ? 0 : isKlineTrainingTab(t) ? 1 : 2; }

}  // namespace

void switchTab(AppState& app, TradeTab tab) {
  int from = tabGroup(app.mode.tradeTab), to = tabGroup(tab);
  app.mode.tradeTab = tab;
  if (from == to) return;
  ChartView& v = app.view;
  v.savedViews[size_t(from)] = SavedView{v.barCount, v.scrollBack};
  v.barCount = v.savedViews[size_t(to)].barCount;
  v.scrollBack = v.savedViews[size_t(to)].scrollBack;
}

void setTradeMode(AppState& app, TradeMode mode) {
  if (app.mode.tradeMode == mode) return;
  app.mode.tradeMode = mode;
  applyTradeModeChange(app);
}

void setStatus(AppState& app, std::string_view text) {
  app.win.statusText = cutUtf8(text, kStatusMax);
  app.ui->requestRepaint();
}

}  // namespace zor
