// Period series, the synthetic day and the display series.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "data/series.h"
#include "data_fixture.h"

namespace zor {
namespace {

using test::day;
using test::minute;
using test::minutesOfDay;
using test::noPriceDay;

std::vector<std::string> dates(const std::vector<DayBar>& bars) {
  std::vector<std::string> out;
  for (const DayBar& b : bars) out.emplace_back(b.dateText());
  return out;
}

std::vector<DayBar> daysOn(std::initializer_list<int> ds) {
  std::vector<DayBar> out;
  double p = 10;
  for (int d : ds) out.push_back(day(d, p, p + 1, p - 1, p + 0.5)), p += 1;
  return out;
}

TEST(AggregateDayBars, GroupBoundaries) {
  struct {
    const char* what;
    int period;
    std::vector<DayBar> in;
    std::vector<std::string> want;  // first date of every group
  } cases[] = {
      {"a week, then Monday", PeriodWeek, daysOn({20240101, 20240102, 20240103, 20240104, 20240105, 20240108}),
       {"20240101", "20240108"}},
      {"Thursdays two weeks apart are two weeks", PeriodWeek, daysOn({20240104, 20240118}), {"20240104", "20240118"}},
      {"Friday then Monday across a year end", PeriodWeek, daysOn({20231229, 20240101, 20240105}),
       {"20231229", "20240101"}},
      {"Wednesday and Friday of one week", PeriodWeek, daysOn({20240103, 20240105}),
       {"20240103"}},
      {"January 2023 and January 2024 are two months", PeriodMonth, daysOn({20230105, 20240105}),
       {"20230105", "20240105"}},
      {"months", PeriodMonth, daysOn({20240130, 20240131, 20240201}), {"20240130", "20240201"}},
      {"quarters", PeriodQuarter, daysOn({20240131, 20240331, 20240401, 20241231}), {"20240131", "20240401", "20241231"}},
      {"years", PeriodYear, daysOn({20231229, 20240102, 20240103}), {"20231229", "20240102"}},
      {"day is a copy", PeriodDay, daysOn({20240102, 20240103}), {"20240102", "20240103"}},
  };
  for (const auto& c : cases) EXPECT_EQ(dates(aggregateDayBars(c.in, c.period)), c.want) << c.what;
}

TEST(AggregateDayBars, RunsOfTenAndFortyFive) {
  std::vector<DayBar> in;
  for (int i = 0; i < 25; ++i) in.push_back(day(20240101 + i, 10, 11, 9, 10));
  std::vector<DayBar> ten = aggregateDayBars(in, PeriodDay10);
  ASSERT_EQ(ten.size(), 3u);
  EXPECT_EQ(ten[0].volume, 10000);
  EXPECT_EQ(ten[2].volume, 5000);
  EXPECT_EQ(ten[2].dateText(), "20240121");
  EXPECT_EQ(aggregateDayBars(in, PeriodDay45).size(), 1u);
  EXPECT_TRUE(aggregateDayBars({}, PeriodWeek).empty());
}

TEST(AggregateDayBars, PricesFromValidBarsOnly) {
  std::vector<DayBar> week = {day(20240101, 10, 12, 9, 11, 100, 1000), noPriceDay(20240102, 50, 500),
                              day(20240103, 11, 13, 10, 12, 100, 1000), noPriceDay(20240104, 50, 500)};
  std::vector<DayBar> w = aggregateDayBars(week, PeriodWeek);
  ASSERT_EQ(w.size(), 1u);
  EXPECT_EQ(w[0].open, 10);
  EXPECT_EQ(w[0].high, 13);
  EXPECT_EQ(w[0].low, 9);
  EXPECT_EQ(w[0].close, 12);
  EXPECT_EQ(w[0].volume, 300);
  EXPECT_EQ(w[0].amount, 3000);

  std::vector<DayBar> lead = {noPriceDay(20240101), day(20240102, 10, 12, 9, 11)};
  EXPECT_EQ(aggregateDayBars(lead, PeriodWeek)[0].open, 10);
  EXPECT_EQ(aggregateDayBars(lead, PeriodWeek)[0].dateText(), "20240101");

  std::vector<DayBar> none = aggregateDayBars({noPriceDay(20240101, 5, 6), noPriceDay(20240102, 5, 6)}, PeriodMonth);
  ASSERT_EQ(none.size(), 1u);
  EXPECT_FALSE(isValidBar(none[0]));
  EXPECT_EQ(none[0].low, NO_PRICE);
  EXPECT_EQ(none[0].volume, 10);
}

TEST(AggregateMinuteBars, SessionSlots) {
  struct {
    int time, size, slot;
  } cases[] = {{571, 60, 1}, {630, 60, 1}, {631, 60, 2}, {690, 60, 2}, {700, 60, 2}, {781, 60, 3},
               {840, 60, 3}, {841, 60, 4}, {900, 60, 4}, {960, 60, 4}, {500, 60, 1}, {575, 5, 1},
               {576, 5, 2},  {900, 5, 48}, {601, 30, 2}, {585, 15, 1}, {586, 15, 2}};
  for (const auto& c : cases) EXPECT_EQ(sessionSlot(c.time, c.size), c.slot) << c.time << "/" << c.size;
}

TEST(AggregateMinuteBars, GroupsByDayAndSlot) {
  // 09:31-11:30 and 13:01-14:20 (200 bars), then a full day.
  std::vector<MinuteBar> mins = minutesOfDay(20240104, 200);
  std::vector<MinuteBar> full = minutesOfDay(20240105, 240);
  mins.insert(mins.end(), full.begin(), full.end());
  struct {
    int period;
    std::vector<int> sizes;
  } cases[] = {{PeriodMin60, {60, 60, 60, 20, 60, 60, 60, 60}},
               {PeriodMin30, {30, 30, 30, 30, 30, 30, 20, 30, 30, 30, 30, 30, 30, 30, 30}}};
  for (const auto& c : cases) {
    std::vector<DayBar> bars = aggregateMinuteBars(mins, c.period);
    ASSERT_EQ(bars.size(), c.sizes.size());
    for (size_t i = 0; i < bars.size(); ++i) EXPECT_DOUBLE_EQ(bars[i].volume, 100.0 * c.sizes[i]) << i;
  }
  std::vector<DayBar> hours = aggregateMinuteBars(mins, PeriodMin60);
  EXPECT_EQ(hours[0].dateText(), "01-04 09:31");
  EXPECT_EQ(hours[3].dateText(), "01-04 14:01");
  EXPECT_EQ(hours[4].dateText(), "01-05 09:31");
  EXPECT_EQ(aggregateMinuteBars(mins, PeriodMin5).size(), 40u + 48u);
  EXPECT_EQ(aggregateMinuteBars(mins, PeriodMin1).size(), mins.size());
  EXPECT_EQ(aggregateMinuteBars(mins, PeriodMin1)[120].dateText(), "01-04 13:01");
}

TEST(AggregateMinuteBars, PricesFromValidMinutesOnly) {
  std::vector<MinuteBar> m = {minute(20240105, 571, 10, 11, 9, 10.5f, 100, 1000),
                              minute(20240105, 572, NO_PRICE_F, NO_PRICE_F, NO_PRICE_F, NO_PRICE_F, 50, 500),
                              minute(20240105, 573, 10.5f, 12, 10, 11, 100, 1000)};
  DayBar b = aggregateMinuteBars(m, PeriodMin5)[0];
  EXPECT_EQ(b.open, 10);
  EXPECT_EQ(b.high, 12);
  EXPECT_EQ(b.low, 9);
  EXPECT_EQ(b.close, 11);
  EXPECT_EQ(b.volume, 250);
  std::vector<DayBar> ones = aggregateMinuteBars(m, PeriodMin1);
  EXPECT_EQ(ones[1].close, NO_PRICE);
  EXPECT_EQ(ones[1].volume, 50);
}

// ---- the synthetic day ----

TEST(SynthesizeDay, ShapeRules) {
  DayBar d = day(20240105, 10, 11, 9.5, 10.6, 240000, 2400000);
  MinuteBar a[240], b[240];
  ASSERT_EQ(synthesizeMinutes(d, a), 240);
  ASSERT_EQ(synthesizeMinutes(d, b), 240);
  EXPECT_EQ(std::memcmp(a, b, sizeof a), 0);  // bit-identical

  DayBar other = d;
  other.setDate(20240108);
  MinuteBar c[240];
  synthesizeMinutes(other, c);
  EXPECT_NE(std::memcmp(a, c, sizeof a), 0);

  EXPECT_FLOAT_EQ(a[0].open, 10);
  EXPECT_FLOAT_EQ(a[239].close, 10.6f);
  double volume = 0, amount = 0, edges = 0, middle = 0;
  for (int j = 0; j < 240; ++j) {
    EXPECT_LE(a[j].high, 11.f);
    EXPECT_GE(a[j].low, 9.5f);
    EXPECT_GE(a[j].high, std::max(a[j].open, a[j].close));
    EXPECT_LE(a[j].low, std::min(a[j].open, a[j].close));
    EXPECT_EQ(a[j].date, 20240105);
    EXPECT_EQ(a[j].time, j < 120 ? 571 + j : 661 + j);
    volume += a[j].volume;
    amount += a[j].amount;
    if (j < 20 || j >= 220)
      edges += a[j].volume;
    else if (j >= 100 && j < 140)
      middle += a[j].volume;
  }
  EXPECT_NEAR(volume, 240000, 1e-6);
  EXPECT_NEAR(amount, 2400000, 1e-5);
  EXPECT_GT(edges, middle);  // heavier near the open and the close
}

TEST(SynthesizeDay, FlatAndInvalidDays) {
  std::vector<DayBar> flat;
  synthesizeDay(day(20240105, 10, 10, 10, 10, 2400, 24000), PeriodMin5, flat);
  ASSERT_EQ(flat.size(), 48u);
  for (const DayBar& b : flat) {
    EXPECT_EQ(b.open, 10);
    EXPECT_EQ(b.high, 10);
    EXPECT_EQ(b.low, 10);
    EXPECT_DOUBLE_EQ(b.volume, 50);
  }
  std::vector<DayBar> ones;
  synthesizeDay(day(20240105, 10, 10, 10, 10, 2400, 24000), PeriodDay, ones);
  ASSERT_EQ(ones.size(), 240u);
  EXPECT_DOUBLE_EQ(ones[0].volume, 10);

  DayBar bad[] = {day(20240105, 0, 11, 9, 10), day(20240105, 10, 9, 11, 10), noPriceDay(20240105),
                  day(20240105, 10, 11, std::nan(""), 10)};
  for (const DayBar& b : bad) {
    std::vector<DayBar> out;
    synthesizeDay(b, PeriodMin30, out);
    EXPECT_TRUE(out.empty());
  }
}

TEST(DaySeries, RealBarsFromThirty) {
  DayBar d = day(20240105, 10, 11, 9, 10.5);
  for (int n : {0, 29, 30, 240}) {
    std::vector<MinuteBar> all = minutesOfDay(20240104, 240);
    std::vector<MinuteBar> today = minutesOfDay(20240105, n, 20.f);
    all.insert(all.end(), today.begin(), today.end());
    std::vector<DayBar> s = daySeries(d, all, 20240105, PeriodMin30);
    if (n < 30) {
      EXPECT_EQ(s.size(), 8u) << n;
      EXPECT_EQ(s[0].open, 10) << n;
    } else {
      EXPECT_EQ(s.size(), size_t((n + 29) / 30)) << n;
      EXPECT_EQ(s[0].open, 20) << n;
    }
  }
}

// ---- the display series ----

StockRecord history() {
  StockRecord r;
  // Daily bars for every weekday of 2023 and 2024; minute bars for the last 20 of 2024.
  std::vector<int> weekdays;
  for (int y : {2023, 2024})
    for (int m = 1; m <= 12; ++m)
      for (int d = 1; d <= 31; ++d) {
        int date = y * 10000 + m * 100 + d;
        if (isPlausibleDate(date) && weekdayOf(date) >= 1 && weekdayOf(date) <= 5) weekdays.push_back(date);
      }
  for (int date : weekdays) r.k.push_back(day(date, 10, 11, 9, 10.5, 24000, 240000));
  for (size_t i = weekdays.size() - 20; i < weekdays.size(); ++i) {
    std::vector<MinuteBar> m = minutesOfDay(weekdays[i], 240, 20.f);
    r.minAll.insert(r.minAll.end(), m.begin(), m.end());
  }
  return r;
}

TEST(DisplaySeries, ReplayMergesSyntheticAndRealDays) {
  StockRecord r = history();
  AppState app;
  app.mode.tradeMode = TradeMode::History;
  std::vector<DayBar> s = buildDisplaySeries(r, PeriodMin30, app.mode.tradeMode);
  size_t synthetic = (r.k.size() - 20) * 8;
  ASSERT_EQ(s.size(), synthetic + 20 * 8);
  EXPECT_EQ(s[0].dateText(), "01-02 09:31");
  EXPECT_EQ(s[0].open, 10);
  EXPECT_EQ(s[synthetic].open, 20);  // the first real bar
  EXPECT_EQ(buildDisplaySeries(r, PeriodMin30, TradeMode::History).size(), s.size());

  app.mode.tradeMode = TradeMode::RealTime;
  EXPECT_EQ(buildDisplaySeries(r, PeriodMin30, app.mode.tradeMode).size(), 20u * 8);
  StockRecord noMinutes = r;
  noMinutes.minAll.clear();
  EXPECT_TRUE(buildDisplaySeries(noMinutes, PeriodMin30, app.mode.tradeMode).empty());

  // Day periods ignore the mode.
  EXPECT_EQ(buildDisplaySeries(r, PeriodDay, app.mode.tradeMode).size(), r.k.size());
  EXPECT_EQ(buildDisplaySeries(r, PeriodYear, app.mode.tradeMode).size(), 2u);
}

TEST(DisplaySeries, DatesInAscendingOrderWhateverTheirSource) {
  StockRecord r;
  r.k = {day(20240102, 10, 11, 9, 10.5), day(20240103, 10, 11, 9, 10.5), day(20240105, 10, 11, 9, 10.5)};
  // Minutes of the 3rd (a daily bar exists) and of the 4th (none); the 5th comes after them.
  std::vector<MinuteBar> a = minutesOfDay(20240103, 240, 20.f), b = minutesOfDay(20240104, 240, 30.f);
  r.minAll = a;
  r.minAll.insert(r.minAll.end(), b.begin(), b.end());
  std::vector<DayBar> s = buildDisplaySeries(r, PeriodMin60, TradeMode::History);
  std::vector<std::string> want = {"01-02 09:31", "01-02 10:31", "01-02 13:01", "01-02 14:01",
                                   "01-03 09:31", "01-03 10:31", "01-03 13:01", "01-03 14:01",
                                   "01-04 09:31", "01-04 10:31", "01-04 13:01", "01-04 14:01",
                                   "01-05 09:31", "01-05 10:31", "01-05 13:01", "01-05 14:01"};
  EXPECT_EQ(dates(s), want);
  EXPECT_EQ(s[4].open, 20);
  EXPECT_EQ(s[8].open, 30);
  EXPECT_EQ(s[12].open, 10);
}

bool sameBars(const std::vector<DayBar>& a, const std::vector<DayBar>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(DayBar)) == 0);
}

TEST(DisplaySeries, MemoIsNeverStale) {
  clearDisplaySeriesCache();
  StockRecord r = history();
  barsChanged(r);
  AppState app;
  for (int period = 0; period < kPeriodCount; ++period) {
    DisplaySeriesPtr first = displaySeries(r, period, app.mode.tradeMode);
    DisplaySeriesPtr again = displaySeries(r, period, app.mode.tradeMode);
    EXPECT_EQ(first.get(), again.get()) << period;  // memoised
    EXPECT_TRUE(sameBars(*first, buildDisplaySeries(r, period, app.mode.tradeMode))) << period;
  }
  DisplaySeriesPtr before = displaySeries(r, PeriodMin30, app.mode.tradeMode);
  struct {
    const char* what;
    void (*change)(StockRecord&, AppState&);
  } changes[] = {
      // Every writer of the bars says so (barsChanged).
      {"a new minute bar",
       [](StockRecord& s, AppState&) {
         s.minAll.push_back(minute(20250102, 571, 1, 1, 1, 1));
         barsChanged(s);
       }},
      {"a price edited in place",
       [](StockRecord& s, AppState&) {
         s.k[5].close = 10.25;
         barsChanged(s);
       }},
      {"a minute volume edited in place",
       [](StockRecord& s, AppState&) {
         s.minAll[7].volume = 1;
         barsChanged(s);
       }},
      {"real-time mode", [](StockRecord&, AppState& a) { a.mode.tradeMode = TradeMode::RealTime; }},
  };
  for (const auto& c : changes) {
    c.change(r, app);
    DisplaySeriesPtr after = displaySeries(r, PeriodMin30, app.mode.tradeMode);
    EXPECT_FALSE(sameBars(*before, *after)) << c.what;
    EXPECT_TRUE(sameBars(*after, buildDisplaySeries(r, PeriodMin30, app.mode.tradeMode))) << c.what;
    before = after;
  }
  EXPECT_EQ(before->size(), 20u * 8 + 1);  // still held after the memo moved on
}

}  // namespace
}  // namespace zor

namespace zor {
namespace {

// Series the memo drops lend their memory to the next one built; what is built then is what a
// fresh build gives, and a series still held by a chart is never written over.
TEST(DisplaySeries, DroppedSeriesLendTheirMemoryWithoutChangingAnySeries) {
  clearDisplaySeriesCache();
  std::vector<StockRecord> recs;
  for (int i = 0; i < 10; ++i) {
    recs.push_back(history());
    // The held one is the longest, so that its memory would be the one worth keeping.
    if (i > 0) recs.back().k.erase(recs.back().k.begin(), recs.back().k.begin() + 50 + i);
    for (DayBar& b : recs.back().k) b.close = std::min(b.high, b.close + 0.01 * i);
    barsChanged(recs.back());
  }
  std::vector<std::vector<DayBar>> fresh;
  for (const StockRecord& r : recs) fresh.push_back(buildDisplaySeries(r, PeriodMin1, TradeMode::History));
  DisplaySeriesPtr held = displaySeries(recs[0], PeriodMin1, TradeMode::History);
  const std::vector<DayBar> heldCopy = *held;
  for (int round = 0; round < 3; ++round)
    for (size_t i = 1; i < recs.size(); ++i) {
      DisplaySeriesPtr s = displaySeries(recs[i], PeriodMin1, TradeMode::History);
      EXPECT_TRUE(sameBars(*s, fresh[i])) << "instrument " << i << " round " << round;
      if (i % 3 == 0) clearDisplaySeriesCache();
    }
  EXPECT_TRUE(sameBars(*held, heldCopy)) << "a held series was written over";
}

}  // namespace
}  // namespace zor
