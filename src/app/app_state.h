// The one application-state object, composed of one part per subsystem. A subsystem's
// operations take their own part; only the orchestration in app/ takes the whole. It lives for
// the whole process and is never copied.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/config.h"
#include "app/index_strip.h"
#include "app/window_state.h"
#include "chart/view_state.h"
#include "data/market.h"
#include "platform/ui.h"
#include "quote/live_link.h"
#include "trading/trade_tab.h"
#include "trading/trading_state.h"
#include "training/replay_state.h"
#include "training/train_state.h"

namespace zor {

constexpr const char* kProgramTitle = "澄川K线回放训练软件";

// Which of the program's modes is current: where quotes come from, and the tab (which also
// picks the account trades go to).
struct ModeState {
  TradeMode tradeMode = TradeMode::History;
  TradeTab tradeTab = TradeTab::HistoryTraining;
};

struct AppState {
  Config config;        // zor.cfg
  Market market;        // instruments and their bars
  ChartView view;       // the selected instrument and what the chart shows
  QuoteListView list;   // the full-window quote list
  ModeState mode;
  TrainState train;     // the K-line training game
  ReplayState replay;   // the history replay

  TradingState trading; // the three accounts, the order book, the T+1 rule

  LiveLink live;        // the quote link
  WindowState win;      // the main window
  IndexStripState indexStrip;  // the index strip's quotes, read once per run

  // ---- platform services ----
  UiServices* ui = &headlessUi;
  HeadlessUi headlessUi;

  AppState() = default;
  AppState(const AppState&) = delete;
  AppState& operator=(const AppState&) = delete;
};

// Builds the instrument table from the configured directories (loadAllStocks of the market
// part, in the current trade mode, with the program's message boxes).
bool loadAllStocks(AppState& app);

// Makes the instrument at `index` the selected one; nothing for an index outside the table.
void selectStock(AppState& app, int index);

// Loads what the selected instrument needs: daily bars, and outside a replay and real-time
// mode its minute bars and drawings; then bounds the minute arrays kept in memory.
void loadStockOnDemand(AppState& app, int index);

// The instruments whose quotes and bars a running mode owns: the live instrument in real-time
// mode, the replayed one during a replay or date view, the game instrument during a game.
std::vector<int> instrumentsOwnedByModes(const AppState& app);

// The quote list's periodic refresh: the rows painted last (none before the list was painted,
// none outside list view) get their daily bars, minutes and newest close; then the minute
// arrays are bounded.
void refreshQuoteList(AppState& app);

// Releases minute arrays beyond the bound, keeping those in use and those on screen.
void trimMinuteCache(AppState& app);

// To be called right after `mode.tradeMode` changed: quote snapshots follow the new mode.
void applyTradeModeChange(AppState& app);

// Sets the trading tab. A change of tab group (real-time tabs, training tabs, the rest) keeps
// each group's chart zoom and scroll: the old group's are stored, the new group's restored.
void switchTab(AppState& app, TradeTab tab);
// Sets the trade mode; a change rebuilds the quote snapshots for it (applyTradeModeChange).
void setTradeMode(AppState& app, TradeMode mode);

// Writes `text` into statusText (cut to its limit) and asks for a repaint.
void setStatus(AppState& app, std::string_view text);

}  // namespace zor
