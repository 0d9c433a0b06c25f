// The trading part of the application state: the three accounts, the order book and the
// trading rule, with their files in the program directory. Every trading operation takes this
// part plus explicit inputs; what other subsystems own (clocks, prices, instruments) comes in
// through TradingMarket (matching.h).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "trading/account.h"
#include "trading/order_book.h"

namespace zor {

class UiServices;

enum TradingFile { FileHistAccount, FileLiveAccount, FileTrainAccount, FileOrderBook, kTradingFileCount };
// "account_hist.dat", "account_live.dat", "train_account.dat", "trade_orders.dat".
const char* tradingFileName(int file);
// The account file of a mode.
int accountFile(int mode);

struct TradingState {
  std::array<Account, kModeCount> accounts;  // by AccountMode: history, real-time, training
  OrderBook book;
  bool tPlusOne = true;  // not stored: every start trades under T+1
  std::string dir;       // the program directory that holds the files

  // A file found damaged at loading is copied to this path (in `dir`) before it is first
  // overwritten, so the bytes that could not be read are never lost; empty when not needed.
  std::array<std::string, kTradingFileCount> keepAside;
  // The account holds fills of book orders that are not on disk yet. The book file is never
  // written ahead of the accounts: its filled orders must always have their deals stored.
  std::array<bool, kModeCount> unsavedFills{};

  TradingState() { accounts[ModeTraining].feeModel = FeeModel::TenthPercent; }
};

// The account of a trading tab.
Account& currentAccount(TradingState& s, int tradeTab);
const Account& currentAccount(const TradingState& s, int tradeTab);

// Cash of the mode's account minus what its resting buy orders reserve (amount plus the
// account's fees of each), in cents.
int64_t availableCash(const TradingState& s, int mode);

// Sets the T+1 or T+0 rule; returns the confirmation text for the status line.
std::string setTradeRule(TradingState& s, bool tPlusOne);

// What loading found: warnings to show once (each in a warning box captioned "提示", without
// owner and topmost), and lines for the trace log.
struct TradingLoad {
  std::vector<std::string> warnings;
  std::vector<std::string> trace;
};

// Start-up: reads account_live.dat, account_hist.dat, trade_orders.dat and train_account.dat
// from `dir` (missing files leave defaults). A resting order whose number has a deal in its
// account is marked filled, and order numbers continue above every number in use. `now`
// stamps the names damaged files are kept under.
TradingLoad loadTrading(TradingState& s, const std::string& dir, const LocalTime& now);

// Writers; each returns false (leaving the file as it was) when the write failed.
bool saveAccountFile(TradingState& s, int mode);
bool saveAccounts(TradingState& s);      // history and real-time
bool saveTrainAccount(TradingState& s);
// Writes the book, after any account holding unsaved book fills; refuses (false) when such
// an account cannot be written.
bool saveOrderBook(TradingState& s);

// `message` with the notes of failed saves appended: "（账户文件保存失败）" and
// "（委托记录保存失败）".
std::string withSaveNotes(std::string message, bool accountSaved, bool bookSaved);

// Cancels every resting order of `mode`; returns how many.
int cancelResting(TradingState& s, int mode);

// Resets one mode's account to cash 1,000,000 with nothing held or recorded and cancels its
// resting orders; writes the account and, when orders were cancelled, the book. Returns the
// notes of failed saves (empty when everything was written).
std::string resetModeAccount(TradingState& s, int mode);

// The "重置账户" command of a trading tab: asks, then resets that tab's account and writes the
// three account files. True when reset (the caller then clears the lists' selection);
// `status` receives the outcome text.
bool resetAccount(TradingState& s, UiServices& ui, int tradeTab, std::string& status);

// The one-key reset: empties the book and its fills, resets the history and real-time
// accounts and writes their files and the empty book; the training account stays. Order
// numbers keep counting. Returns the status text.
std::string oneKeyReset(TradingState& s);

}  // namespace zor
