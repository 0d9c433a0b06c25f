// What a click on a clickable area does, by its kind. Areas of press-and-release kinds act
// when the press is released over the same area (the main window calls runHitArea then);
// every other area acts on the press.
#pragma once

#include "platform/hit_area.h"
#include "trading/trade_tab.h"

namespace zor {

struct AppState;

// Runs the action of `h`; true when something changed (the window repaints).
bool runHitArea(AppState& app, const HitArea& h);

// The tab bar: sets the trading tab and the mode that goes with it. Leaving the K-line
// training tabs ends the game; entering them settles and ends a running replay.
void selectTab(AppState& app, TradeTab tab);

// The actions of the bars around the chart, the training bar and the quote list's header
// (panel_actions.cpp): true when `h` was theirs.
bool runPanelAction(AppState& app, const HitArea& h);
// A click on the quote list's header in list view (the header has no hit area: its columns
// are found from what the list painted). True when it sorted.
bool clickListHeader(AppState& app, int x, int y);

}  // namespace zor
