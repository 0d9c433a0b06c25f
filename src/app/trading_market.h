// The order book's view of the running program: each trading mode's clock and prices come
// from the subsystem that owns them (the training game, the history replay, the live link).
#pragma once

#include "trading/matching.h"

namespace zor {

struct AppState;

class AppTradingMarket : public TradingMarket {
 public:
  explicit AppTradingMarket(const AppState& app) : app_(app) {}
  // Training: the game bar's date, at 15:00 or at the end of the current sub-bar's slot.
  // History: the replay frame during a replay, else the date box, the selected day or the
  // selected instrument's last bar. Real-time: the local clock.
  TradeClock clock(int mode) const override;
  const StockRecord* find(std::string_view code) const override;
  // Training: the game price, for the game instrument only. History: the replay frame's close
  // for the replayed instrument, else the last valid close on the history date. Real-time: the
  // live instrument's last price while the link is up.
  double price(int mode, const StockRecord& instrument) const override;
  bool masked(int mode, const StockRecord& instrument) const override;

 private:
  const AppState& app_;
};

// Timer 1's matching pass over the resting orders of the current tab's mode.
void matchRestingOrders(AppState& app);

}  // namespace zor
