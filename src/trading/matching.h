// Entering limit orders and matching the resting ones. Each mode trades on its own clock and
// its own prices, which other subsystems own; they reach the book through TradingMarket.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "trading/trading_state.h"

namespace zor {

struct StockRecord;

struct TradeClock {
  int32_t date = 0;  // yyyymmdd; 0 when the mode has no trading day now
  int32_t time = 0;  // minutes after midnight; 0 when unknown
};

// What the order book needs from the training, replay and quote subsystems.
class TradingMarket {
 public:
  virtual ~TradingMarket() = default;
  // The mode's clock. Training: the game bar's date and time. History: the replay frame during
  // a replay, else the date typed or selected, else the instrument's last bar. Real-time: the
  // local date and time.
  virtual TradeClock clock(int mode) const = 0;
  // The instrument of a code, a leading sh/sz/bj ignored on either side; null when none.
  virtual const StockRecord* find(std::string_view code) const = 0;
  // The mode's price of an instrument, 0 when it has none. Training: the game price, for the
  // game instrument only. History: the replay frame's close for the replayed instrument, else
  // the last valid close on the history date. Real-time: the live instrument's last price
  // while connected.
  virtual double price(int mode, const StockRecord& instrument) const = 0;
  // True while the instrument must not be named (a blind training game).
  virtual bool masked(int mode, const StockRecord& instrument) const { return false; }
};

// The first instrument whose code equals `code` with a leading sh/sz/bj ignored on both
// sides; a prefix on `code` also selects the market (sh 1, sz 0). Null when none.
const StockRecord* findInstrument(const std::vector<StockRecord>& stocks, std::string_view code);
// The real-time mode's clock from the local time.
TradeClock localTradeClock(const LocalTime& now);

struct OrderRequest {
  int mode = ModeHistory;
  std::string code;  // as typed; a market prefix is allowed
  std::string name;  // empty: the instrument's
  int side = 0;      // 0 buy, 1 sell
  double price = 0;  // rounded to the instrument's price grid
  int64_t qty = 0;
};

struct SubmitResult {
  bool ok = false;
  std::string error;   // the refusal, at most 159 bytes
  std::string status;  // the status-line text of a success, with notes of failed saves
  Order order;
  bool filled = false;  // filled at once; `fill` is its record
  Fill fill;
};

// Enters a limit order. A buy priced below the mode's price, or a sell above it, rests in the
// book; any other order fills at once at its own limit price. Both pass the entry checks
// (holding, sellable shares net of resting sells, cash net of resting buys). Writes the
// account, then the book.
SubmitResult submitOrder(TradingState& s, const TradingMarket& market, const OrderRequest& req);

struct MatchResult {
  int fills = 0;
  bool changed = false;  // some order changed status
  std::string status;    // the status-line text of the last change, empty when none
};

// One matching pass over the resting orders of `mode` (timer 1): an order from another
// trading day is cancelled; a buy fills when the price is at or below its limit, a sell at or
// above; a fill the account refuses makes the order a rejected one. Writes the account, then
// the book, when anything changed.
MatchResult matchOrders(TradingState& s, const TradingMarket& market, int mode);

}  // namespace zor
