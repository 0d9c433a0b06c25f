// Period series and the display series that charts, formulas and training read.
//
// Every output bar has the DayBar shape: day-based periods carry the group's first date text,
// minute periods the label "%02d-%02d %02d:%02d" (month, day, hour, minute of the group's
// first minute). Bars whose prices failed validation add their volume and amount to a group
// but never its prices; a group without one valid bar is a NO_PRICE bar.
#pragma once

#include <memory>
#include <vector>

#include "data/market.h"

namespace zor {

// Session position of a minute time, 1..240: 09:31 is 1, 11:30 is 120, 13:01 is 121 and
// 15:00 is 240; earlier times count as 1, the lunch break as 120, later times as 240.
int sessionPosition(int time);
// The `size`-minute slot of a time within its day (1-based); bars of one day and slot form
// one bar of a minute period, so 60-minute bars end at 10:30, 11:30, 14:00 and 15:00.
int sessionSlot(int time, int size);
// Bars per group of a minute period: 60, 30, 15, 5, 1 for codes 3..7.
int minutePeriodSize(int period);

// The label of a minute-period bar into `out` (16 bytes, the size of DayBar::date).
void minuteLabel(int date, int time, char* out);

// Day-based periods (0, 1, 2, 8, 9, 10, 11; other codes copy like 0): weeks by calendar week,
// months by year and month, quarters, years, and runs of 10 or 45 bars.
std::vector<DayBar> aggregateDayBars(const std::vector<DayBar>& days, int period);
// Minute periods 3..7 (other codes give one bar per minute bar, like 7): bars of one trading
// day and session slot.
std::vector<DayBar> aggregateMinuteBars(const std::vector<MinuteBar>& minutes, int period);
void appendMinuteBars(const MinuteBar* minutes, size_t count, int period, std::vector<DayBar>& out);

// The 240 synthetic minute bars of a daily bar (09:31..11:30, 13:01..15:00), a deterministic
// function of its prices, volume, amount and date. Returns 240, or 0 when the bar has a
// non-positive price or high below low.
int synthesizeMinutes(const DayBar& day, MinuteBar (&out)[240]);
// Appends the synthetic day aggregated to `period` (1-minute bars for day-based periods).
void synthesizeDay(const DayBar& day, int period, std::vector<DayBar>& out);
// Number of days synthesized by this process.
uint64_t synthesizedDayCount();

// The display bars of one trading day in a minute period: the real minute bars of `date`
// when there are at least 30 of them, else the synthetic shape of the daily bar.
std::vector<DayBar> daySeries(const DayBar& day, const std::vector<MinuteBar>& minAll, int date, int period);

// The display series of an instrument. Day-based periods: the daily bars aggregated. Minute
// periods in history mode (replay and training): every date of `k` and `minAll` in ascending
// order, a date with minute bars by its real bars, any other by the synthetic shape of its
// daily bar. Minute periods in real-time mode: the real bars only.
//
// Results are memoised on the instrument's bars generation (barsChanged), the period and the
// mode, so a result is never stale and is bit-identical to a fresh build; the shared array
// stays valid for as long as the caller holds it.
using DisplaySeriesPtr = std::shared_ptr<const std::vector<DayBar>>;
DisplaySeriesPtr displaySeries(const StockRecord& rec, int period, TradeMode mode);
// The same series built afresh, without the memo.
std::vector<DayBar> buildDisplaySeries(const StockRecord& rec, int period, TradeMode mode);
// Drops every memoised series (tests, and memory pressure).
void clearDisplaySeriesCache();

}  // namespace zor
