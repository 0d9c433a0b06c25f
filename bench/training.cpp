// Training benchmarks: one forward step of a K-line game with its equity sample (a day, and a
// 5-minute sub-bar, which builds the day's sub-bars) on an instrument with 8,000 daily and
// 200,000 minute bars; the training-account save a sub-bar step makes, on its own; and the
// score card's statistics over 10,000 deals (recomputed at every paint of the card).
//   ./bench/bench_training
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/app_state.h"
#include "app/training_ops.h"
#include "platform/calendar.h"
#include "trading/trading_state.h"
#include "training/scoring.h"

namespace {

using namespace zor;

std::string scratch(const char* name, bool memoryBacked) {
  std::filesystem::path base = memoryBacked && std::filesystem::is_directory("/dev/shm")
                                   ? std::filesystem::path("/dev/shm")
                                   : std::filesystem::temp_directory_path();
  std::filesystem::path dir = base / name;
  std::filesystem::create_directories(dir);
  return dir.string() + "/";
}

// One instrument: 8,000 weekdays of daily bars, the last 834 of them also in minutes.
AppState& game(bool memoryBackedFiles) {
  static AppState app;
  static bool built = false;
  app.trading.dir = scratch("zor_bench_training", memoryBackedFiles);
  if (built) return app;
  built = true;
  StockRecord r;
  r.code = "600001";
  r.name = "基准";
  r.market = 1;
  int date = 19900102;
  for (int i = 0; i < 8000; ++i) {
    while (weekdayOf(date) == 0 || weekdayOf(date) == 6) date = addDays(date, 1);
    double close = 10 + (i % 97) * 0.05;
    DayBar b;
    b.setDate(date);
    b.open = close * 0.99, b.high = close * 1.02, b.low = close * 0.97, b.close = close;
    b.volume = 1e6, b.amount = close * 1e6;
    r.k.push_back(b);
    if (i >= 8000 - 834) {
      for (int j = 0, t = 571; j < 240 && r.minAll.size() < 200000; ++j, ++t) {
        if (t == 691) t = 781;
        MinuteBar m;
        m.date = date, m.time = t;
        m.open = m.high = m.low = m.close = float(close + j * 0.001);
        m.high += 0.01f, m.low -= 0.01f;
        m.volume = 1000, m.amount = m.close * 1000.0;
        r.minAll.push_back(m);
      }
    }
    date = addDays(date, 1);
  }
  r.dayLoaded = r.minLoaded = true;
  barsChanged(r);
  app.market.stocks.push_back(std::move(r));
  app.view.curIdx = 0;
  app.train.days = 0;
  trnNewGame(app, false, -1);
  app.trading.tPlusOne = false;
  trnTrade(app, true);  // a holding to value at every sample
  return app;
}

void BM_DayStep(benchmark::State& state) {
  AppState& app = game(true);
  app.train.start = app.train.cur = 0;
  for (auto _ : state) {
    if (app.train.cur + 1 >= int(app.market.stocks[0].k.size())) app.train.cur = 0;
    trainNextBar(app);
  }
  benchmark::DoNotOptimize(app.train.equity.back());
  app.train.equity.clear();
}
BENCHMARK(BM_DayStep)->Unit(benchmark::kMicrosecond);

// A 5-minute jump on a day with real minutes, with the account written to memory-backed
// storage where the system has it, so that the disk's flush is not what is measured.
void BM_MinuteSubBarStep(benchmark::State& state) {
  AppState& app = game(true);
  int firstMinuteDay = int(app.market.stocks[0].k.size()) - 834;
  app.train.cur = firstMinuteDay;
  app.train.jumpPeriod = 0;
  app.train.sub = -1;
  for (auto _ : state) {
    if (app.train.cur + 2 >= int(app.market.stocks[0].k.size())) {
      app.train.cur = firstMinuteDay;
      app.train.sub = -1;
    }
    trainJump(app, PeriodMin5);
  }
  app.train.equity.clear();
}
BENCHMARK(BM_MinuteSubBarStep)->Unit(benchmark::kMicrosecond);

// The save a sub-bar step makes, on its own, to the temporary folder's real disk: a temporary
// file, flushed, then moved over the account file.
void BM_TrainAccountSave(benchmark::State& state) {
  AppState& app = game(false);
  for (auto _ : state) benchmark::DoNotOptimize(saveTrainAccount(app.trading));
}
BENCHMARK(BM_TrainAccountSave)->Unit(benchmark::kMicrosecond);

void BM_Score10000Deals(benchmark::State& state) {
  std::vector<Deal> deals;
  int date = 20200102;
  for (int i = 0; i < 10000; ++i) {
    Deal d;
    d.code = "600001";
    d.side = i % 2;
    d.qty = 100 * (1 + i % 5);
    d.price = 10 + (i % 13) * 0.1;
    d.amountCents = int64_t(d.price * double(d.qty) * 100 + 0.5);
    d.feeCents = d.amountCents / 1000;
    d.date = date;
    if (i % 4 == 3) date = addDays(date, 1);
    deals.push_back(d);
  }
  std::vector<DayBar> bars(3000);
  for (size_t i = 0; i < bars.size(); ++i) bars[i].setDate(addDays(20200102, int(i)));
  for (auto _ : state) {
    TradeStats s = tradeStats(deals, 1012345, 1000000, 0.05);
    DaySet days = daySet(deals);
    ScoreInput in;
    in.equity = s.equity;
    in.maxDrawdownPct = s.maxDrawdownPct;
    in.winRatePct = s.winRate;
    in.dealCount = s.dealCount;
    in.closedTrades = s.closedTrades;
    in.distinctDays = days.distinctDays;
    in.firstDate = days.firstDate;
    in.lastDate = days.lastDate;
    in.spanDays = daySpan(bars, int(bars.size()) - 1, days.firstDate, days.distinctDays);
    benchmark::DoNotOptimize(gradeScore(in).score);
  }
}
BENCHMARK(BM_Score10000Deals)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
