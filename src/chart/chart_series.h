// The bars a K-line chart shows: the display series of the shown instrument and period, cut at
// the game's current bar or the replay's day, with the running replay day on the last bar.
// The game never shows a bar after its current one, also not inside a week or month bar.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "chart/chart_context.h"
#include "data/series.h"
#include "formula/formula.h"

namespace zor {

// Names one series completely, so that anything computed from it can be reused while the key
// is equal: the instrument's bars generation, the period and mode, how the series was cut, its
// length and its last bar (which a replay overlays with the running day).
struct SeriesKey {
  uint64_t generation = 0;  // 0: the bars were never registered, nothing may be reused
  int32_t period = 0;
  int32_t merged = 0;       // minute periods of history mode fill days without minutes
  int32_t cut = 0;          // SeriesCut
  int32_t cutDate = 0;
  int32_t cutSub = 0;
  uint64_t count = 0;
  DayBar last{};
  bool operator==(const SeriesKey& o) const;
};

enum SeriesCut : int32_t {
  CutNone = 0,
  CutGameDays = 1,      // day-based periods of a game: up to the current bar
  CutGameMinutes = 2,   // minute periods of a game: before its day, then its first sub-bars
  CutReplayDays = 3,    // day-based periods at the replay day
  CutReplayMinutes = 4, // minute periods at the replay day
};

struct ChartSeries {
  int stockIdx = -1;
  bool masked = false;       // blind game on this instrument: no code, name or date may show
  DisplaySeriesPtr shared;   // the display series when `bars` is a prefix of it
  std::vector<DayBar> own;   // a series built for a cut
  std::span<const DayBar> bars;
  // Dates (yyyymmdd) of the days whose bars form a minute-period series built here, in order;
  // empty for day-based and display series (their dates are found from the bars).
  std::vector<int32_t> dayDates;
  SeriesKey key;

  ChartSeries() = default;
  ChartSeries(ChartSeries&&) = default;  // `bars` may point into `own`, whose buffer moves along
  ChartSeries& operator=(ChartSeries&&) = default;
  ChartSeries(const ChartSeries&) = delete;
  ChartSeries& operator=(const ChartSeries&) = delete;
};

// The series of `stockIdx` in the view's period as the chart shows it.
ChartSeries chartSeries(const ChartContext& ctx, int stockIdx);

// The run input of the chart's formulas over `s`: prices, volume and amount, and each bar's
// date (yyyymmdd) and time (hhmm of its first minute, 0 for day-based bars). A masked series
// passes no dates and times, so that date functions give no value in a blind game.
FormulaInput chartFormulaInput(const ChartSeries& s, const StockRecord& rec, TradeMode mode);
// The same written into `out`, reusing its memory.
void fillChartFormulaInput(const ChartSeries& s, const StockRecord& rec, TradeMode mode, FormulaInput& out);

// Dates and times of the bars of a minute-period series whose days are `days` in order (each
// day's bars consecutive and ascending in time; a new day starts where the "MM-DD" of the label
// changes or its time does not increase). Bars left over get date 0.
void minuteBarDates(std::span<const DayBar> bars, std::span<const int32_t> days, std::vector<int32_t>& dates,
                    std::vector<int32_t>& times);

}  // namespace zor
