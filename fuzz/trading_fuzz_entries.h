// The fuzz entries of the trading files' readers, shared by the libFuzzer targets and the unit
// test that replays their corpora. Each entry decodes the bytes directly, checks that what was
// loaded writes and reads back unchanged, and loads them the way the program starts: from the
// file in a scratch directory, next to the other trading files, followed by what the query
// screens compute from the result.
#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "trading/account_file.h"
#include "trading/order_lists.h"
#include "trading/trading_state.h"

namespace zor::fuzz {

// The scratch directory (ends in a separator); the replay test points it at its own.
inline std::string& tradingScratchDir() {
  static std::string dir;
  if (dir.empty()) {
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    auto p = std::filesystem::temp_directory_path() / ("zorfuzz_trading_" + std::to_string(stamp));
    std::filesystem::create_directories(p);
    dir = p.string() + "/";
  }
  return dir;
}

inline void writeTradingBytes(const std::string& path, std::string_view bytes) {
  std::ofstream f(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), std::streamsize(bytes.size()));
}

// Whatever a file held, the program's own rewrite of it must read back clean and identical.
inline void checkRewrite(const std::string& once, AccountFileKind kind) {
  Account back;
  FileReport report;
  decodeAccountFile(once, kind, "fuzz", back, report);
  if (report.damaged || encodeAccountFile(back, kind) != once) std::abort();
}

// What the lists and limits compute from a loaded state.
inline void exerciseState(TradingState& s) {
  for (int m = 0; m < kModeCount; ++m) {
    const Account& a = s.accounts[size_t(m)];
    mergedOrders(s.book, a, m);
    availableCash(s, m);
    for (const Position& p : a.positions) {
      sellableQty(p, true, p.buyDate);
      maxBuyQty(a.cashCents, p.avgCost, p.code, a.feeModel);
    }
  }
}

inline void loadFromFile(const char* name, std::string_view bytes) {
  std::string dir = tradingScratchDir() + "load/";
  std::filesystem::create_directories(std::filesystem::path(dir));
  for (int f = 0; f < kTradingFileCount; ++f) std::filesystem::remove(std::filesystem::path(dir + tradingFileName(f)));
  writeTradingBytes(dir + name, bytes);
  TradingState s;
  loadTrading(s, dir, LocalTime{});
  exerciseState(s);
}

// account_hist.dat, account_live.dat and train_account.dat.
inline void fuzzAccountFile(std::string_view bytes) {
  for (AccountFileKind kind : {AccountFileKind::Account, AccountFileKind::Training, AccountFileKind::Any}) {
    Account a;
    FileReport report;
    decodeAccountFile(bytes, kind, "fuzz", a, report);
    AccountFileKind writeKind = kind == AccountFileKind::Training ? kind : AccountFileKind::Account;
    checkRewrite(encodeAccountFile(a, writeKind), writeKind);
    derivedFromDeals(a, ModeHistory);
  }
  loadFromFile("account_hist.dat", bytes);
  loadFromFile("train_account.dat", bytes);
}

// trade_orders.dat.
inline void fuzzOrderBook(std::string_view bytes) {
  OrderBook book;
  FileReport report;
  decodeOrderBook(bytes, "fuzz", book, report);
  std::string once = encodeOrderBook(book);
  OrderBook back;
  FileReport again;
  decodeOrderBook(once, "fuzz", back, again);
  if (again.damaged || encodeOrderBook(back) != once || back.nextOrderNo != book.nextOrderNo) std::abort();
  loadFromFile("trade_orders.dat", bytes);
}

struct TradingEntry {
  const char* target;  // the corpus folder fuzz/corpus/<target>
  void (*run)(std::string_view);
};

inline const TradingEntry kTradingEntries[] = {
    {"account_file_fuzz", fuzzAccountFile},
    {"order_book_fuzz", fuzzOrderBook},
};

}  // namespace zor::fuzz
