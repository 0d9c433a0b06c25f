// The order and fill lists of the query screens, and cancelling. The lists join the book with
// orders derived from an account's deals, so that fills from before the book existed, or made
// without it (the K-line training's keys), show too.
#pragma once

#include <string>
#include <vector>

#include "trading/trading_state.h"

namespace zor {

class UiServices;

struct DerivedLists {
  std::vector<Order> orders;
  std::vector<Fill> fills;
};

// One filled order and one fill per deal, in deal order. Order numbers are the deals' own when
// they have one; fill and contract numbers (and order numbers otherwise) count up from
// 900000000. Fees: the stored fee is the total, the components are the account's fee model
// applied to the amount. The cash after each fill runs from the account's baseline.
DerivedLists derivedFromDeals(const Account& account, int mode);

struct ListedOrder {
  Order order;
  bool fromDeals = false;  // derived from a deal, not in the book
};

// The book's orders of `mode`, then the derived orders of its account that the book does not
// already show: a deal carrying an order number shows under that book order; one without
// shows unless a book order has the same date, time, side, quantity and bare code.
std::vector<ListedOrder> mergedOrders(const OrderBook& book, const Account& account, int mode);

// Cancels the order of a list row after asking. Derived rows and orders that are no longer
// resting only get an explanation. The question names the order; after Yes the order is
// looked up again by its number and cancelled only if it is still resting (it may have filled
// while the question was open). `masked` hides code and name (a blind training game).
// Returns the status-line text ("" when none) and whether the order was cancelled.
struct CancelOutcome {
  bool cancelled = false;
  std::string status;
};
CancelOutcome cancelOrder(TradingState& s, UiServices& ui, const ListedOrder& row, bool masked);

// Cancels every resting order of `mode`; returns the status text.
std::string cancelAllPending(TradingState& s, int mode);

}  // namespace zor
