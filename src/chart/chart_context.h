// Everything a chart paint reads, handed in by the application: the market, the view, the
// game and the replay, the mode, and the few settings owned elsewhere. Charts read it and
// never write it.
#pragma once

#include <array>
#include <string>

#include "chart/view_state.h"
#include "data/market.h"
#include "trading/account.h"
#include "trading/trade_tab.h"
#include "training/replay_state.h"
#include "training/train_state.h"

namespace zor {

// The intraday chart's settings (the live copy of the configuration's FS_ keys).
struct IntradayView {
  std::array<int, 4> ma = {5, 10, 20, 60};  // minutes of the moving averages, 0 off
  bool avg = true;                          // the average-price line
  std::string mainInd = "MA";               // "MA", another formula's name, or empty for none
  std::string sub1, sub2;                   // sub-panel formulas, empty for none
  std::array<int, 4> sub1Param{}, sub2Param{};  // values of at least 1 replace the formula's
};

struct ChartContext {
  ChartContext(const Market& m, const ChartView& v, const TrainState& t, const ReplayState& r)
      : market(m), view(v), train(t), replay(r) {}

  const Market& market;
  const ChartView& view;
  const TrainState& train;
  const ReplayState& replay;
  TradeMode tradeMode = TradeMode::History;
  TradeTab tradeTab = TradeTab::HistoryTraining;
  int liveStockIdx = -1;
  const Account* dealAccount = nullptr;  // the current tab's account, whose deals are marked
  IntradayView intraday;
  bool tradingDocked = false;            // the trading panels sit under the chart
};

// A K-line game is running with the instrument's code, name and dates hidden.
inline bool isBlindGame(const TrainState& t) { return t.active && t.hidden && !t.revealed; }

// The instrument the charts show: the game's on the K-line training tabs, the live one in
// real-time mode, else the selected one. May be out of range.
int chartInstrument(const ChartContext& ctx);

// True when the shown instrument's code, name and dates must not appear.
bool chartMasked(const ChartContext& ctx, int stockIdx);

}  // namespace zor
