// The order book: limit orders of all three modes, the fills of this run, and the counters.
// Stored in trade_orders.dat, little-endian and unpadded:
//
//   "1DRO"  N i32 (0 to 100,000)  N records of 150 bytes:
//   orderNo i64, code[10], name[32], side i32, price f64, refPrice f64, qty i64, filledQty i64,
//   filledAmount f64, status i32, date i32, time i32, mode i32, holderText[16], channelText[24]
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "trading/account_file.h"

namespace zor {

enum OrderStatus : int32_t {
  OrderResting = 0,    // 已报
  OrderFilled = 1,     // 已成
  OrderPartial = 2,    // 部成 (never produced: fills are whole)
  OrderCancelled = 3,  // 已撤, by the user or when its trading day passed
  OrderRejected = 4,   // 废单, and every larger value
};
// "已报", "已成", "部成", "已撤" or "废单".
const char* orderStatusWord(int32_t status);

constexpr int64_t kFirstOrderNo = 513000;
// Order numbers of the orders derived from deals for the query lists.
constexpr int64_t kDerivedNoBase = 900000000;
extern const char* const kChannelText;

struct Order {
  int64_t orderNo = 0;
  std::string code;  // as entered, possibly with a market prefix; at most 9 bytes
  std::string name;  // at most 31 bytes
  int32_t side = 0;  // 0 buy, 1 sell
  double price = 0;     // limit price, on the instrument's price grid
  double refPrice = 0;  // resting: the price at entry; filled: the price when it filled
  int64_t qty = 0;
  int64_t filledQty = 0;          // 0 or qty
  int64_t filledAmountCents = 0;  // filledQty × price
  int32_t status = OrderResting;
  int32_t date = 0, time = 0;     // the mode's trading clock at entry
  int32_t mode = 0;               // AccountMode
  std::string holderText;         // at most 15 bytes
  std::string channelText;        // at most 23 bytes
};

// One fill, as the query screens show it; kept for the run only. Money in cents.
struct Fill {
  int32_t date = 0, time = 0;  // the mode's clock at the fill
  int64_t orderNo = 0;
  int64_t fillNo = 0;
  int32_t side = 0;
  int64_t contractNo = 0;
  std::string code, name;
  double price = 0;
  int64_t qty = 0;
  int64_t amountCents = 0;
  FeeBreakdown fees;
  int64_t cashChangeCents = 0;  // sell: amount − fee; buy: −(amount + fee)
  int64_t cashAfterCents = 0;
  int64_t posAfter = 0;         // shares held in the code after the fill
  int32_t orderDate = 0, orderTime = 0;
  int32_t matchDate = 0;
};

struct OrderBook {
  std::vector<Order> orders;  // in entry order
  std::vector<Fill> fills;    // this run's fills
  int64_t nextOrderNo = kFirstOrderNo;
  int64_t nextFillNo = 1;
  int64_t nextContractNo = 1;
};

// The shareholder-account text stored with an order: "A" and nine or ten digits derived from
// the order number.
std::string holderTextFor(int64_t orderNo);

// Reads trade_orders.dat into `out.orders` (emptied first). Records with an impossible side,
// mode, quantity, price, status or order number, or a number already read, are skipped.
// nextOrderNo rises above the largest number read; the fills and the other counters stay.
void decodeOrderBook(std::string_view bytes, std::string_view fileName, OrderBook& out, FileReport& report);
std::string encodeOrderBook(const OrderBook& book);

}  // namespace zor
