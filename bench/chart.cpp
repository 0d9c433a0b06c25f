// K-line chart benchmarks on the recording canvas. The chart shows BOLL over the candles (a
// formula run), MACD in the sub panel (a formula run) and the volume panel, with the moving
// averages' periods read from the formula "MA".
//
// Goals: daily period, 8,000 bars, a full paint under 5 ms. 1-minute period over the whole
// history (8,000 days, about 1.9 million bars): a crosshair move, a scroll and a zoom under
// 16 ms, a change of instrument or period under 150 ms.
//
// "Warm" changes go to a series shown just before, whose formula results are kept. "Cold"
// changes go round three instruments, more than the kept results hold, so every formula runs
// again over the new series (whose input is written into the memory of the one before; the
// display series stay memoised by the data layer). "FirstShow" also drops that memo, so it
// includes building the 1-minute series from the daily bars. MinuteInput and MinuteFormulaRun
// are the parts of a cold change.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

// The tests' recording canvas, compiled into this program (the benchmarks link no test code).
#include "../tests/support/recording_canvas.cpp"
#include "chart/chart_layout.h"
#include "chart/chart_series.h"
#include "chart/formula_cache.h"
#include "chart/kline_chart.h"
#include "data/series.h"
#include "formula/formula_store.h"
#include "platform/calendar.h"

namespace zor {
namespace {

constexpr int kW = 1600, kH = 900;

StockRecord makeHistory(const char* code, double base) {
  StockRecord r;
  r.code = code;
  r.name = "基准测试";
  std::vector<int> dates;
  for (int date = 19900102; dates.size() < 8000; date = addDays(date, 1))
    if (weekdayOf(date) >= 1 && weekdayOf(date) <= 5) dates.push_back(date);
  double p = base;
  for (size_t i = 0; i < dates.size(); ++i) {
    DayBar b;
    b.setDate(dates[i]);
    const double o = p, c = std::max(1.0, p * (1 + 0.02 * std::sin(double(i) * 0.37)));
    b.open = o, b.close = c, b.high = std::max(o, c) * 1.01, b.low = std::min(o, c) * 0.99;
    b.volume = 2e6 + 1e6 * std::sin(double(i) * 0.11), b.amount = b.volume * c;
    r.k.push_back(b);
    p = c;
  }
  barsChanged(r);
  return r;
}

struct Bench {
  Market market;
  ChartView view;
  TrainState train;
  ReplayState replay;
  RecordingCanvas canvas{kW, kH};
  Bench() {
    market.stocks.push_back(makeHistory("600001", 10));
    market.stocks.push_back(makeHistory("600002", 30));
    market.stocks.push_back(makeHistory("600003", 50));
    view.listView = false;
    view.mainInd = MainBOLL;
    view.subInd = SubMACD;
    loadUserFormulas(userFormulaStore());
  }
  ChartGeometry paint() {
    canvas.clear();
    CanvasMeasure m(canvas);
    ChartContext ctx(market, view, train, replay);
    KLineFrame f = buildKLine(ctx, chartAreaRect(kW, kH, false), m);
    paintDrawList(canvas, f.list);
    return f.geometry;
  }
};

Bench& bench() {
  static Bench b;
  return b;
}

void BM_DailyPaint(benchmark::State& state) {
  Bench& b = bench();
  b.view.period = PeriodDay;
  b.view.curIdx = 0;
  const bool cold = state.range(0) != 0;
  b.paint();
  for (auto _ : state) {
    if (cold) clearChartFormulaCache();
    benchmark::DoNotOptimize(b.paint().valid);
  }
  state.SetLabel(cold ? "cold" : "warm");
}
BENCHMARK(BM_DailyPaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_MinuteCrosshair(benchmark::State& state) {
  Bench& b = bench();
  b.view.period = PeriodMin1;
  b.view.curIdx = 0;
  const ChartGeometry g = b.paint();
  RecordingCanvas layer(kW, kH);
  CanvasMeasure m(layer);
  int x = g.pr.left;
  for (auto _ : state) {
    layer.clear();
    x = x + 7 < g.pr.right ? x + 7 : g.pr.left;
    paintDrawList(layer, klineCrosshair(g, x, (g.pr.top + g.pr.bottom) / 2, m));
  }
  state.counters["bars"] = g.seriesLength;
}
BENCHMARK(BM_MinuteCrosshair)->Unit(benchmark::kMillisecond);

// A scroll (range 0) or a zoom (range 1) of the 1-minute chart: a full paint.
void BM_MinuteScrollOrZoom(benchmark::State& state) {
  Bench& b = bench();
  b.view.period = PeriodMin1;
  b.view.curIdx = 0;
  b.view.scrollBack = 0;
  b.view.barCount = 0;
  b.paint();
  int step = 0;
  for (auto _ : state) {
    ++step;
    if (state.range(0) == 0)
      b.view.scrollBack = (step % 50) * 20;
    else
      b.view.barCount = step % 2 ? 200 : 500;
    benchmark::DoNotOptimize(b.paint().valid);
  }
  b.view.scrollBack = 0;
  b.view.barCount = 0;
  state.SetLabel(state.range(0) == 0 ? "scroll" : "zoom");
}
BENCHMARK(BM_MinuteScrollOrZoom)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A change of instrument (range 0) or of period between 1-minute and daily (range 1).
void changePaint(benchmark::State& state, int instruments, bool clearSeries) {
  Bench& b = bench();
  const bool instrument = state.range(0) == 0;
  b.view.period = PeriodMin1;
  for (int i = instruments - 1; i >= 0; --i) {
    b.view.curIdx = i;
    b.paint();
  }
  if (!instrument) {
    b.view.period = PeriodDay;
    b.paint();
  }
  int flip = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (clearSeries) clearDisplaySeriesCache();
    ++flip;
    if (instrument) {
      b.view.curIdx = flip % instruments;
    } else {
      b.view.period = flip % 2 ? PeriodMin1 : PeriodDay;
    }
    state.ResumeTiming();
    benchmark::DoNotOptimize(b.paint().valid);
  }
  b.view.curIdx = 0;
  state.SetLabel(instrument ? "instrument" : "period");
}
void BM_MinuteChangeWarm(benchmark::State& s) { changePaint(s, 2, false); }
void BM_MinuteChangeCold(benchmark::State& s) { changePaint(s, 3, false); }
void BM_MinuteChangeFirstShow(benchmark::State& s) { changePaint(s, 3, true); }
BENCHMARK(BM_MinuteChangeWarm)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MinuteChangeCold)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(BM_MinuteChangeFirstShow)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace zor


namespace zor {
namespace {

// The parts of a cold 1-minute paint: the formulas' input, and each formula's run over it.
void BM_MinuteInput(benchmark::State& state) {
  Bench& b = bench();
  b.view.period = PeriodMin1;
  b.view.curIdx = 0;
  ChartContext ctx(b.market, b.view, b.train, b.replay);
  ChartSeries s = chartSeries(ctx, 0);
  FormulaInput in;
  for (auto _ : state) {
    // Into the memory of the input before, as a change of series does.
    fillChartFormulaInput(s, b.market.stocks[0], TradeMode::History, in);
    benchmark::DoNotOptimize(in.close.data());
  }
}
BENCHMARK(BM_MinuteInput)->Unit(benchmark::kMillisecond);

void BM_MinuteFormulaRun(benchmark::State& state) {
  Bench& b = bench();
  b.view.period = PeriodMin1;
  b.view.curIdx = 0;
  ChartContext ctx(b.market, b.view, b.train, b.replay);
  ChartSeries s = chartSeries(ctx, 0);
  FormulaInput in = chartFormulaInput(s, b.market.stocks[0], TradeMode::History);
  const FormulaDef* def = findFormula(state.range(0) == 0 ? "BOLL" : "MACD");
  std::vector<OutputLine> lines;
  std::vector<DrawingItem> items;
  std::string error;
  for (auto _ : state) benchmark::DoNotOptimize(compileAndRunFormula(*def, in, lines, items, error));
  state.SetLabel(def->name);
}
BENCHMARK(BM_MinuteFormulaRun)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zor

BENCHMARK_MAIN();
