// Small pieces the trading tests share: instruments, a market with a clock and a price per
// mode, and a builder for hand-made file bytes.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "data/market.h"
#include "trading/byte_fields.h"
#include "trading/matching.h"

namespace zor::test {

inline StockRecord instrument(std::string code, int market, std::string name, double lastPrice = 0) {
  StockRecord r;
  r.code = std::move(code);
  r.market = market;
  r.name = std::move(name);
  r.lastPrice = lastPrice;
  return r;
}

// A market whose clocks and prices the test sets per mode.
class FakeMarket : public TradingMarket {
 public:
  std::vector<StockRecord> stocks;
  TradeClock clocks[kModeCount] = {{20240102, 600}, {20240102, 600}, {20240102, 900}};
  std::map<std::string, double> prices[kModeCount];  // bare code -> price
  bool blind = false;

  FakeMarket() {
    stocks.push_back(instrument("600000", 1, "浦发银行", 10));
    stocks.push_back(instrument("000001", 0, "平安银行", 12));
    stocks.push_back(instrument("510300", 1, "沪深300ETF", 4));
  }
  // The same price in every mode.
  void setPrice(const std::string& code, double p) {
    for (auto& m : prices) m[code] = p;
  }
  void setDate(int date, int time = 600) {
    for (auto& c : clocks) c = {date, time};
  }
  TradeClock clock(int mode) const override { return clocks[mode]; }
  const StockRecord* find(std::string_view code) const override { return findInstrument(stocks, code); }
  double price(int mode, const StockRecord& r) const override {
    auto it = prices[mode].find(r.code);
    return it == prices[mode].end() ? 0 : it->second;
  }
  bool masked(int mode, const StockRecord&) const override { return blind && mode == ModeTraining; }
};

// Little-endian file bytes built field by field.
struct Bytes {
  std::string s;
  ByteWriter w{s};
  Bytes& raw(std::string_view v) { return w.raw(v), *this; }
  Bytes& i32(int32_t v) { return w.i32(v), *this; }
  Bytes& i64(int64_t v) { return w.i64(v), *this; }
  Bytes& f64(double v) { return w.f64(v), *this; }
  Bytes& text(std::string_view v, size_t size) { return w.text(v, size), *this; }
  // A position record of `size` bytes (66, 70, 74 or 82).
  Bytes& position(size_t size, std::string_view code, int64_t qty, double avgCost, int buyDate = 20240102,
                  int replayDate = 0, int boughtToday = 0, double lastPrice = 0, std::string_view name = "名称") {
    i32(1).text(code, 10).text(name, 32).i64(qty).f64(avgCost).i32(buyDate);
    if (size >= 70) i32(replayDate);
    if (size >= 74) i32(boughtToday);
    if (size >= 82) f64(lastPrice);
    return *this;
  }
  Bytes& deal(std::string_view code, int side, double price, int64_t qty, double amount, double fee, int date = 20240102,
              int time = 600, std::string_view name = "名称") {
    return i32(time <= 0 ? 1 : 0).text(code, 10).text(name, 32).i32(side).f64(price).i64(qty).f64(amount).f64(fee)
        .i32(date).i32(time);
  }
};

}  // namespace zor::test
