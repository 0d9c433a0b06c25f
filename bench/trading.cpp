// Trading benchmarks: one matching pass over a full book (the 700 ms timer), and saving and
// loading an account with a long history (every fill saves its account).
//   ./bench/bench_trading
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/market.h"
#include "platform/clock.h"
#include "platform/file_io.h"
#include "trading/matching.h"

namespace {

using namespace zor;

// 500 instruments with a price each; lookups by bare code.
class BenchMarket : public TradingMarket {
 public:
  std::vector<StockRecord> stocks;
  std::unordered_map<std::string, const StockRecord*> byCode;
  explicit BenchMarket(int n) {
    stocks.resize(size_t(n));
    for (int i = 0; i < n; ++i) {
      stocks[size_t(i)].code = std::to_string(600000 + i);
      stocks[size_t(i)].market = 1;
      stocks[size_t(i)].name = "标的" + std::to_string(i);
      stocks[size_t(i)].lastPrice = 10.0 + i % 50;
    }
    for (const StockRecord& r : stocks) byCode[r.code] = &r;
  }
  TradeClock clock(int) const override { return {20240102, 600}; }
  const StockRecord* find(std::string_view code) const override {
    auto it = byCode.find(std::string(code));
    return it == byCode.end() ? nullptr : it->second;
  }
  double price(int, const StockRecord& r) const override { return r.lastPrice; }
};

// 10,000 resting orders over 500 instruments, none of them marketable: the steady state of
// the timer's pass.
void BM_MatchTick(benchmark::State& state) {
  BenchMarket market(500);
  TradingState s;
  for (int i = 0; i < 10000; ++i) {
    const StockRecord& r = market.stocks[size_t(i % 500)];
    Order o;
    o.orderNo = kFirstOrderNo + i;
    o.code = r.code;
    o.side = i % 2;
    o.price = o.side == 0 ? r.lastPrice - 0.5 : r.lastPrice + 0.5;
    o.qty = 100;
    o.date = 20240102;
    s.book.orders.push_back(o);
  }
  for (auto _ : state) {
    MatchResult r = matchOrders(s, market, ModeHistory);
    benchmark::DoNotOptimize(r);
    if (r.changed) state.SkipWithError("an order changed");
  }
}
BENCHMARK(BM_MatchTick)->Unit(benchmark::kMicrosecond);

std::string benchDir() {
  auto p = std::filesystem::temp_directory_path() / ("zorbench_trading_" + std::to_string(processId()));
  std::filesystem::create_directories(p);
  return p.string() + "/";
}

TradingState withDeals(const std::string& dir, int n) {
  TradingState s;
  s.dir = dir;
  Account& a = s.accounts[ModeHistory];
  for (int i = 0; i < n; ++i) {
    Deal d;
    d.code = std::to_string(600000 + i % 500);
    d.name = "浦发银行";
    d.side = i % 2;
    d.price = 10.01;
    d.qty = 100;
    d.amountCents = 100100;
    d.feeCents = 506;
    d.date = 20240102;
    d.time = 570 + i % 330;
    d.orderNo = kFirstOrderNo + i;
    a.deals.push_back(d);
  }
  a.positions.push_back({1, "600000", "浦发银行", 100, 10.01, 20240102, 0, 0, 10.01});
  return s;
}

// Encoding and the write-through replace of the file (flushed to disk).
void BM_SaveAccount100k(benchmark::State& state) {
  std::string dir = benchDir();
  TradingState s = withDeals(dir, 100000);
  for (auto _ : state)
    if (!saveAccountFile(s, ModeHistory)) state.SkipWithError("save failed");
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SaveAccount100k)->Unit(benchmark::kMillisecond);

// Start-up loading of the same file (the other files missing).
void BM_LoadAccount100k(benchmark::State& state) {
  std::string dir = benchDir();
  TradingState s = withDeals(dir, 100000);
  saveAccountFile(s, ModeHistory);
  for (auto _ : state) {
    TradingState t;
    loadTrading(t, dir, LocalTime{});
    if (t.accounts[ModeHistory].deals.size() != 100000) state.SkipWithError("load failed");
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_LoadAccount100k)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
