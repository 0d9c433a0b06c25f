#include "chart/chart_series.h"

#include <algorithm>
#include <cstring>

#include "chart/formula_input.h"

namespace zor {

bool SeriesKey::operator==(const SeriesKey& o) const {
  return generation == o.generation && period == o.period && merged == o.merged && cut == o.cut &&
         cutDate == o.cutDate && cutSub == o.cutSub && count == o.count &&
         std::memcmp(&last, &o.last, sizeof last) == 0;
}

int chartInstrument(const ChartContext& ctx) {
  if (ctx.train.active && isKlineTrainingTab(ctx.tradeTab) && ctx.market.valid(ctx.train.stockIdx))
    return ctx.train.stockIdx;
  if (ctx.tradeMode == TradeMode::RealTime && ctx.liveStockIdx >= 0) return ctx.liveStockIdx;
  return ctx.view.curIdx;
}

bool chartMasked(const ChartContext& ctx, int stockIdx) {
  return isBlindGame(ctx.train) && stockIdx >= 0 && stockIdx == ctx.train.stockIdx;
}

namespace {

// Index of the last daily bar dated on or before `date`, or -1.
int lastDayOnOrBefore(const std::vector<DayBar>& k, int date) {
  for (size_t i = k.size(); i-- > 0;)
    if (k[i].dateInt() <= date) return int(i);
  return -1;
}

// Distinct dates of minutes[0 .. n), in order, appended to `days`.
void appendMinuteDays(const MinuteBar* minutes, size_t n, std::vector<int32_t>& days) {
  for (size_t i = 0; i < n; ++i)
    if (days.empty() || days.back() != minutes[i].date) days.push_back(minutes[i].date);
}

// Minute runs of the game instrument: the minutes before the current bar's day, or when there
// are none the synthetic shape of the days before it (at least 600 bars), then the first
// `sub + 1` bars of the current day.
void buildGameMinutes(const StockRecord& rec, int period, int cur, int sub, ChartSeries& s) {
  const int D = rec.k[size_t(cur)].dateInt();
  const std::vector<MinuteBar>& mins = rec.minAll;
  const size_t before = size_t(std::lower_bound(mins.begin(), mins.end(), D,
                                                [](const MinuteBar& m, int d) { return m.date < d; }) -
                               mins.begin());
  if (before > 0) {
    appendMinuteBars(mins.data(), before, period, s.own);
    appendMinuteDays(mins.data(), before, s.dayDates);
  }
  if (s.own.empty()) {
    std::vector<std::vector<DayBar>> days;  // newest first
    std::vector<int32_t> dates;
    size_t total = 0;
    for (int d = cur - 1; d >= 0 && total < 600; --d) {
      std::vector<DayBar> one;
      synthesizeDay(rec.k[size_t(d)], period, one);
      if (one.empty()) continue;
      total += one.size();
      days.push_back(std::move(one));
      dates.push_back(rec.k[size_t(d)].dateInt());
    }
    for (size_t i = days.size(); i-- > 0;) {
      s.own.insert(s.own.end(), days[i].begin(), days[i].end());
      s.dayDates.push_back(dates[i]);
    }
  }
  std::vector<DayBar> today = daySeries(rec.k[size_t(cur)], mins, D, period);
  const size_t keep = std::min(today.size(), size_t(std::max(0, sub + 1)));
  if (keep > 0) {
    s.own.insert(s.own.end(), today.begin(), today.begin() + std::ptrdiff_t(keep));
    s.dayDates.push_back(D);
  }
}

// The replay day as it stands: open, high and low of the running quote where they are set,
// the last price as close, volume and amount summed over the frames shown so far.
DayBar runningDay(const StockRecord& rec, DayBar day) {
  if (rec.open > 0) day.open = rec.open;
  if (rec.high > 0) day.high = rec.high;
  if (rec.low > 0) day.low = rec.low;
  if (rec.lastPrice > 0) day.close = rec.lastPrice;
  if (!rec.minc.empty()) {
    double volume = 0, amount = 0;
    for (const MinuteBar& m : rec.minc) volume += m.volume, amount += m.amount;
    day.volume = volume;
    day.amount = amount;
  }
  return day;
}

// Day-based bars up to daily bar `last`: the display series' own prefix for the daily period,
// else the days up to it aggregated afresh, so that a week or month bar never holds a later day.
void cutDays(const StockRecord& rec, int period, int last, const DayBar* overlay, TradeMode mode, ChartSeries& s) {
  if (period == PeriodDay && !overlay) {
    s.shared = displaySeries(rec, period, mode);
    s.bars = std::span<const DayBar>(s.shared->data(), std::min(s.shared->size(), size_t(last + 1)));
    return;
  }
  std::vector<DayBar> days(rec.k.begin(), rec.k.begin() + last + 1);
  if (overlay) days.back() = *overlay;
  s.own = aggregateDayBars(days, period);
}

// Minute bars up to the replay day: the real minutes before it (on or before it without a
// running replay), then the frames shown so far, the last one at the last price.
void cutReplayMinutes(const StockRecord& rec, int period, int D, bool running, ChartSeries& s) {
  const std::vector<MinuteBar>& mins = rec.minAll;
  auto end = running ? std::lower_bound(mins.begin(), mins.end(), D,
                                        [](const MinuteBar& m, int d) { return m.date < d; })
                     : std::upper_bound(mins.begin(), mins.end(), D,
                                        [](int d, const MinuteBar& m) { return d < m.date; });
  const size_t n = size_t(end - mins.begin());
  appendMinuteBars(mins.data(), n, period, s.own);
  appendMinuteDays(mins.data(), n, s.dayDates);
  if (!running || rec.minc.empty()) return;
  appendMinuteBars(rec.minc.data(), rec.minc.size(), period, s.own);
  appendMinuteDays(rec.minc.data(), rec.minc.size(), s.dayDates);
  const double last = rec.lastPrice;
  if (last > 0 && !s.own.empty()) {
    DayBar& b = s.own.back();
    b.close = last;
    b.high = std::max(b.high, last);
    b.low = std::min(b.low, last);
  }
}

int replayDate(const ReplayState& r, const StockRecord& rec) {
  if (r.trainDi >= 0 && size_t(r.trainDi) < rec.k.size()) return rec.k[size_t(r.trainDi)].dateInt();
  int d = 0;
  for (char ch : r.dateBox) {
    if (ch < '0' || ch > '9' || d > 99999999 / 10) return 0;
    d = d * 10 + (ch - '0');
  }
  return d;
}

}  // namespace

ChartSeries chartSeries(const ChartContext& ctx, int stockIdx) {
  ChartSeries s;
  s.stockIdx = stockIdx;
  if (!ctx.market.valid(stockIdx)) return s;
  const StockRecord& rec = ctx.market.stocks[size_t(stockIdx)];
  const int period = ctx.view.period;
  const bool minute = isMinutePeriod(period);
  s.masked = chartMasked(ctx, stockIdx);
  s.key.generation = rec.barsGeneration;
  s.key.period = period;
  s.key.merged = minute && ctx.tradeMode != TradeMode::RealTime;

  const TrainState& t = ctx.train;
  const ReplayState& r = ctx.replay;
  // A running game cuts its instrument at the current bar on every tab, so that no view of a
  // game shows what comes after it.
  const bool game = t.active && stockIdx == t.stockIdx && t.cur >= 0 && size_t(t.cur) < rec.k.size();
  if (game && minute) {
    s.key.cut = CutGameMinutes;
    s.key.cutDate = rec.k[size_t(t.cur)].dateInt();
    s.key.cutSub = t.sub;
    buildGameMinutes(rec, period, t.cur, t.sub, s);
  } else if (game) {
    s.key.cut = CutGameDays;
    s.key.cutDate = t.cur;
    cutDays(rec, period, lastDayOnOrBefore(rec.k, rec.k[size_t(t.cur)].dateInt()), nullptr, ctx.tradeMode, s);
  } else if ((r.training || r.dateView) && (r.replayStockIdx < 0 || r.replayStockIdx == stockIdx) &&
             replayDate(r, rec) > 0) {
    const int D = replayDate(r, rec);
    s.key.cutDate = D;
    if (minute) {
      s.key.cut = CutReplayMinutes;
      cutReplayMinutes(rec, period, D, r.training, s);
    } else {
      s.key.cut = CutReplayDays;
      const int last = lastDayOnOrBefore(rec.k, D);
      if (last >= 0) {
        DayBar running = runningDay(rec, rec.k[size_t(last)]);
        cutDays(rec, period, last, r.training ? &running : nullptr, ctx.tradeMode, s);
      }
    }
  } else {
    s.shared = displaySeries(rec, period, ctx.tradeMode);
    s.bars = std::span<const DayBar>(*s.shared);
  }
  if (!s.shared) s.bars = std::span<const DayBar>(s.own);
  s.key.count = s.bars.size();
  if (!s.bars.empty()) s.key.last = s.bars.back();
  return s;
}

void minuteBarDates(std::span<const DayBar> bars, std::span<const int32_t> days, std::vector<int32_t>& dates,
                    std::vector<int32_t>& times) {
  dates.assign(bars.size(), 0);
  times.assign(bars.size(), 0);
  auto two = [](const char* p) {
    return (p[0] >= '0' && p[0] <= '9' && p[1] >= '0' && p[1] <= '9') ? (p[0] - '0') * 10 + (p[1] - '0') : -1;
  };
  size_t d = 0;
  int prevMonthDay = -1, prevTime = -1;
  for (size_t i = 0; i < bars.size(); ++i) {
    const char* t = bars[i].date;
    const int monthDay = two(t) * 100 + two(t + 3);
    const int time = two(t + 6) * 100 + two(t + 9);
    times[i] = std::max(0, time);
    if (i > 0 && (monthDay != prevMonthDay || time <= prevTime)) ++d;
    while (d < days.size() && days[d] % 10000 != monthDay) ++d;
    if (d < days.size()) dates[i] = days[d];
    prevMonthDay = monthDay;
    prevTime = time;
  }
}

namespace {

// The days of a minute-period display series in order, as the series builds them: in history
// mode every date of the daily bars and the minutes (a date with minutes by its minutes, any
// other by its synthetic shape, which an invalid daily bar does not have); in real-time mode
// the dates of the minutes alone.
std::vector<int32_t> displayDays(const StockRecord& rec, bool merged) {
  std::vector<int32_t> days;
  const std::vector<DayBar>& k = rec.k;
  const std::vector<MinuteBar>& mins = rec.minAll;
  if (!merged) {
    appendMinuteDays(mins.data(), mins.size(), days);
    return days;
  }
  size_t i = 0, j = 0;
  while (i < k.size() || j < mins.size()) {
    const int dayDate = i < k.size() ? k[i].dateInt() : 0;
    if (j < mins.size() && (i >= k.size() || mins[j].date <= dayDate)) {
      const int date = mins[j].date;
      while (j < mins.size() && mins[j].date == date) ++j;
      while (i < k.size() && k[i].dateInt() == date) ++i;
      days.push_back(date);
    } else {
      const DayBar& b = k[i++];
      const bool shaped = b.open > 0 && b.high > 0 && b.low > 0 && b.close > 0 && b.high >= b.low;
      if (shaped) days.push_back(b.dateInt());
    }
  }
  return days;
}

}  // namespace

void fillChartFormulaInput(const ChartSeries& s, const StockRecord& rec, TradeMode mode, FormulaInput& out) {
  fillFormulaPrices(s.bars, out);
  if (s.masked) {
    out.dates.clear();
    out.times.clear();
  } else if (!isMinutePeriod(s.key.period)) {
    out.dates.resize(s.bars.size());
    for (size_t i = 0; i < s.bars.size(); ++i) out.dates[i] = s.bars[i].dateInt();
    out.times.assign(s.bars.size(), 0);
  } else if (s.key.cut != CutNone) {
    minuteBarDates(s.bars, s.dayDates, out.dates, out.times);
  } else {
    minuteBarDates(s.bars, displayDays(rec, s.key.merged != 0), out.dates, out.times);
  }
}

FormulaInput chartFormulaInput(const ChartSeries& s, const StockRecord& rec, TradeMode mode) {
  FormulaInput in;
  fillChartFormulaInput(s, rec, mode, in);
  return in;
}

}  // namespace zor
