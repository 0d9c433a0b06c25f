// Display-series benchmarks: every period over 8,000 daily bars and 200,000 minute bars in
// replay mode, where the days without minutes are synthesized. The series is asked for on
// every paint; target under 5 ms per request. "Fresh" builds it without the memo, "Paint"
// asks the memoised displaySeries as a paint does.
#include <benchmark/benchmark.h>

#include "app/app_state.h"
#include "data/series.h"

namespace zor {
namespace {

const StockRecord& history() {
  static const StockRecord rec = [] {
    StockRecord r;
    std::vector<int> dates;
    for (int date = 20241231; dates.size() < 8000; --date)
      if (isPlausibleDate(date) && weekdayOf(date) >= 1 && weekdayOf(date) <= 5) dates.push_back(date);
    for (size_t i = dates.size(); i-- > 0;) {
      DayBar b;
      b.setDate(dates[i]);
      double p = 10 + double(i % 97) * 0.05;
      b.open = p, b.high = p + 0.4, b.low = p - 0.3, b.close = p + 0.1, b.volume = 2.4e6, b.amount = 2.4e7;
      r.k.push_back(b);
    }
    // 200,000 minute bars over the last 834 days.
    for (size_t d = r.k.size() - 834; d < r.k.size() && r.minAll.size() < 200000; ++d)
      for (int j = 0; j < 240 && r.minAll.size() < 200000; ++j) {
        MinuteBar m;
        m.date = r.k[d].dateInt(), m.time = j < 120 ? 571 + j : 661 + j;
        float p = float(r.k[d].open) + float(j % 9) * 0.01f;
        m.open = p, m.high = p + 0.02f, m.low = p - 0.02f, m.close = p + 0.01f, m.volume = 1e4, m.amount = 1e5;
        r.minAll.push_back(m);
      }
    return r;
  }();
  return rec;
}

void BM_DisplaySeries_Fresh(benchmark::State& state) {
  AppState app;
  app.mode.tradeMode = TradeMode::History;
  int period = int(state.range(0));
  for (auto _ : state) {
    std::vector<DayBar> s = buildDisplaySeries(history(), period, app.mode.tradeMode);
    benchmark::DoNotOptimize(s.data());
    state.counters["bars"] = double(s.size());
  }
}
BENCHMARK(BM_DisplaySeries_Fresh)->DenseRange(0, 11)->Unit(benchmark::kMillisecond);

void BM_DisplaySeries_Paint(benchmark::State& state) {
  AppState app;
  app.mode.tradeMode = TradeMode::History;
  int period = int(state.range(0));
  clearDisplaySeriesCache();
  displaySeries(history(), period, app.mode.tradeMode);  // the first paint builds it
  for (auto _ : state) {
    DisplaySeriesPtr s = displaySeries(history(), period, app.mode.tradeMode);
    benchmark::DoNotOptimize(s.get());
  }
}
BENCHMARK(BM_DisplaySeries_Paint)->DenseRange(0, 11)->Unit(benchmark::kMillisecond);

// A paint that alternates between two periods, as the chart and an indicator panel might.
void BM_DisplaySeries_PaintTwoPeriods(benchmark::State& state) {
  AppState app;
  app.mode.tradeMode = TradeMode::History;
  clearDisplaySeriesCache();
  displaySeries(history(), PeriodMin1, app.mode.tradeMode);  // the first paints build both
  displaySeries(history(), PeriodDay, app.mode.tradeMode);
  for (auto _ : state) {
    benchmark::DoNotOptimize(displaySeries(history(), PeriodMin1, app.mode.tradeMode).get());
    benchmark::DoNotOptimize(displaySeries(history(), PeriodDay, app.mode.tradeMode).get());
  }
}
BENCHMARK(BM_DisplaySeries_PaintTwoPeriods)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zor

BENCHMARK_MAIN();
