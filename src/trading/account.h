// The simulated accounts: holdings, deals, and the one execution routine every fill of every
// mode passes through (the K-line training's keys and the order book's fills alike).
//
// Units: cash, amounts and fees in cents (int64); prices in yuan on the instrument's price
// grid; quantities in shares; dates yyyymmdd; times minutes after midnight (0 = none).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "trading/money.h"

namespace zor {

struct StockRecord;

// The three trading modes. Each has its own account, its own orders in the book, its own
// clock and its own price source. The numbering is stored in the order-book file.
enum AccountMode : int { ModeHistory = 0, ModeLive = 1, ModeTraining = 2 };
constexpr int kModeCount = 3;

// The mode a trading tab works on: 2 and 3 training, 4 and 5 real-time, any other history.
int modeOfTab(int tradeTab);

// Text limits of the fixed file fields, in bytes.
constexpr size_t kTradeCodeMax = 9;
constexpr size_t kTradeNameMax = 31;

struct Position {
  int32_t market = 0;
  std::string code;          // identifies the position (exact text); at most 9 bytes
  std::string name;          // at most 31 bytes
  int64_t qty = 0;           // always positive; a position reaching 0 is removed
  double avgCost = 0;        // yuan per share, fees not included
  int32_t buyDate = 0;       // date of the latest purchase day
  int32_t replayDate = 0;    // last date a history replay of this instrument started; 0 none
  int64_t boughtToday = 0;   // shares bought on buyDate, frozen under T+1
  double lastPrice = 0;      // last known price, 0 none yet
};

struct Deal {
  std::string code;
  std::string name;
  int32_t side = 0;  // 0 buy, 1 sell
  double price = 0;
  int64_t qty = 0;
  int64_t amountCents = 0;  // price × qty
  int64_t feeCents = 0;     // total fee of the fill
  int32_t date = 0;
  int32_t time = 0;         // 0 = no time of day
  int64_t orderNo = 0;      // the book order this fill completed; 0 for fills outside the book
};

struct Account {
  int64_t cashCents = kInitialCashCents;
  // What the owner put in: profit and return are measured against it. Moves with the funds
  // set by hand, so that a deposit never counts as profit.
  int64_t baselineCents = kInitialCashCents;
  std::vector<Position> positions;  // in order of first purchase
  std::vector<Deal> deals;          // oldest first
  FeeModel feeModel = FeeModel::Standard;
};

// Order numbers run from 1 to 10^15; the files refuse any other.
constexpr int64_t kMaxOrderNo = 1000000000000000;

// Most deals an account keeps: the file format's limit.
constexpr size_t kMaxDeals = 1000000;
constexpr size_t kMaxPositions = 100000;

// One fill to perform.
struct Execution {
  bool buy = true;
  double price = 0;  // rounded to the instrument's price grid before use
  int64_t qty = 0;
  int32_t date = 0, time = 0;
  bool tPlusOne = true;
  int64_t orderNo = 0;  // recorded in the deal
  // The instrument is hidden (a blind training game): messages name neither code nor date.
  bool masked = false;
};

// Performs one fill on `account` or refuses it. Returns true when a deal was appended (the
// new deal is account.deals.back()); `message` receives the outcome either way. A refused
// fill changes nothing. The account's own fee model prices the fill.
bool executeOrder(Account& account, const StockRecord& instrument, const Execution& x, std::string& message);

// Index of the position whose code is exactly `code`, -1 when none.
int findPosition(const Account& account, std::string_view code);
// The position whose code equals `code` with a leading sh/sz/bj ignored on both sides.
int findPositionLoose(const Account& account, std::string_view code);
// Codes equal once a leading sh/sz/bj is dropped from each.
bool sameCode(std::string_view a, std::string_view b);

// Valuation price: lastPrice when positive; else the instrument's last price (found by market
// and code) when positive; else avgCost.
double positionPrice(const Position& p, const std::vector<StockRecord>& stocks);
// The close of the instrument's last valid daily bar dated on or before `date`; avgCost when
// the instrument, its loaded bars or such a bar are missing.
double positionPriceAt(const Position& p, const std::vector<StockRecord>& stocks, int date);

// The most shares, in whole lots of 100, that `fundsCents` buys at `price` including the fees
// of `model`; 0 when the price is not positive or nothing fits.
int64_t maxBuyQty(int64_t fundsCents, double price, std::string_view code, FeeModel model);
// Shares that may be sold on `date`: under T+1 the shares bought that day are frozen.
int64_t sellableQty(const Position& p, bool tPlusOne, int date);

// Lifts every T+1 freeze of the account; returns the confirmation text.
std::string clearT1Freeze(Account& account);
// Cash 1,000,000, baseline 1,000,000, no positions, no deals; the fee model stays.
void clearAccount(Account& account);
// Sets the cash by hand (the funds dialog); the baseline moves by the same difference.
void setFunds(Account& account, int64_t cashCents);

// A text as the account files can keep it: cut to maxBytes at a character boundary, with
// control bytes, '/', '\\' and ".." (which the file reader refuses) replaced by '_'.
std::string storableText(std::string_view s, size_t maxBytes);
// True when the account files keep `s` unchanged.
bool isStorableText(std::string_view s);

}  // namespace zor
