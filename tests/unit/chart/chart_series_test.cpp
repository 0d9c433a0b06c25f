// The bars a chart shows: the game's cut (also inside week and month bars), the game's minute
// bars, the replay day with its running quote, and the dates and times formulas receive.
#include <gtest/gtest.h>

#include "chart/chart_series.h"
#include "chart/formula_cache.h"
#include "chart_fixture.h"

namespace zor {
namespace {

std::vector<DayBar> prefix(const std::vector<DayBar>& k, size_t n) { return {k.begin(), k.begin() + ptrdiff_t(n)}; }

TEST(ChartSeries, GameNeverShowsABarAfterItsCurrentOne) {
  ChartFixture f(300);
  f.train.active = true;
  f.train.stockIdx = 0;
  f.train.cur = 203;  // a Wednesday: its week has later days in the data
  f.tab = TradeTab::KlineTraining;
  for (int period : {int(PeriodDay), int(PeriodWeek), int(PeriodMonth), int(PeriodDay10), int(PeriodYear)}) {
    f.view.period = period;
    ChartSeries s = chartSeries(f.ctx(), 0);
    std::vector<DayBar> want = aggregateDayBars(prefix(f.stock().k, 204), period);
    ASSERT_EQ(s.bars.size(), want.size()) << period;
    EXPECT_EQ(std::memcmp(&s.bars.back(), &want.back(), sizeof(DayBar)), 0) << period;
    EXPECT_EQ(s.key.cut, CutGameDays);
  }
  // Also on another tab: the game's instrument never shows its future.
  f.tab = TradeTab::HistoryTraining;
  f.view.period = PeriodDay;
  EXPECT_EQ(chartSeries(f.ctx(), 0).bars.size(), 204u);
  f.train.active = false;
  EXPECT_EQ(chartSeries(f.ctx(), 0).bars.size(), 300u);
}

TEST(ChartSeries, GameMinuteBars) {
  ChartFixture f(300);
  f.train.active = true;
  f.train.stockIdx = 0;
  f.train.cur = 250;
  f.view.period = PeriodMin5;
  const int D = f.stock().k[250].dateInt();

  struct Case {
    int sub;
    size_t today;  // bars of the current day shown
  } cases[] = {{-1, 0}, {0, 1}, {2, 3}, {100, 48}};
  for (const Case& c : cases) {
    f.train.sub = c.sub;
    ChartSeries s = chartSeries(f.ctx(), 0);
    // Without minute history: the synthetic days before it, at least 600 bars (48 a day).
    ASSERT_EQ(s.bars.size(), 13 * 48 + c.today) << c.sub;
    EXPECT_EQ(s.dayDates.size(), 13u + (c.today ? 1 : 0));
    EXPECT_EQ(s.dayDates.front(), f.stock().k[237].dateInt());
    if (c.today) {
      EXPECT_EQ(s.dayDates.back(), D);
    }
  }

  // With real minutes before the current day only those show, however few.
  std::vector<MinuteBar> before = dayMinutes(f.stock().k[249].dateInt(), 10, 0.001);
  std::vector<MinuteBar> same = dayMinutes(D, 10.2, 0.001);
  f.stock().minAll = before;
  f.stock().minAll.insert(f.stock().minAll.end(), same.begin(), same.end());
  barsChanged(f.stock());
  f.train.sub = 1;
  ChartSeries s = chartSeries(f.ctx(), 0);
  ASSERT_EQ(s.bars.size(), 48u + 2u);
  EXPECT_EQ(std::string(s.bars[48].dateText()).substr(6), "09:31");
  EXPECT_FLOAT_EQ(float(s.bars[48].open), same[0].open);  // the day's own minutes (30 or more)
}

TEST(ChartSeries, ReplayDayCarriesTheRunningQuoteWithoutWritingTheBars) {
  ChartFixture f(300);
  StockRecord& rec = f.stock();
  const int di = 252;  // a Wednesday
  const int D = rec.k[di].dateInt();
  std::vector<MinuteBar> day = dayMinutes(D, 10, 0.002, 5000);
  rec.minAll = day;
  rec.minc.assign(day.begin(), day.begin() + 11);  // frames 0..10 shown
  rec.open = 10.0, rec.high = 10.05, rec.low = 9.99, rec.lastPrice = 10.03;
  barsChanged(rec);
  const DayBar stored = rec.k[di];
  f.replay.training = true;
  f.replay.replayStockIdx = 0;
  f.replay.trainDi = di;
  f.replay.cursor = 10;
  f.replay.frames = 240;

  ChartSeries daily = chartSeries(f.ctx(), 0);
  ASSERT_EQ(daily.bars.size(), size_t(di + 1));
  const DayBar& last = daily.bars.back();
  EXPECT_EQ(last.open, 10.0);
  EXPECT_EQ(last.high, 10.05);
  EXPECT_EQ(last.low, 9.99);
  EXPECT_EQ(last.close, 10.03);
  EXPECT_EQ(last.volume, 11 * 5000.0);  // frames 0..cursor
  EXPECT_EQ(std::memcmp(&rec.k[di], &stored, sizeof(DayBar)), 0);

  // A week bar holds the days before the replay day and the running day, nothing later.
  f.view.period = PeriodWeek;
  std::vector<DayBar> days = prefix(rec.k, size_t(di + 1));
  days.back() = last;
  std::vector<DayBar> want = aggregateDayBars(days, PeriodWeek);
  ChartSeries weekly = chartSeries(f.ctx(), 0);
  ASSERT_EQ(weekly.bars.size(), want.size());
  EXPECT_EQ(weekly.bars.back().volume, want.back().volume);
  EXPECT_EQ(weekly.bars.back().close, 10.03);

  // The 5-minute chart: the minutes before the day, then the frames, the last at the last price.
  f.view.period = PeriodMin5;
  ChartSeries mins = chartSeries(f.ctx(), 0);
  ASSERT_EQ(mins.bars.size(), 3u);  // 11 frames make 5-minute bars of 5, 5 and 1
  EXPECT_EQ(mins.bars.back().close, 10.03);
  EXPECT_GE(mins.bars.back().high, 10.03);

  // Without a running replay the date view cuts at the date box when no day is selected; an
  // empty box cuts nothing.
  f.replay.training = false;
  f.replay.dateView = true;
  f.replay.trainDi = -1;
  f.replay.dateBox = std::to_string(rec.k[100].dateInt());
  f.view.period = PeriodDay;
  EXPECT_EQ(chartSeries(f.ctx(), 0).bars.size(), 101u);
  f.replay.dateBox.clear();
  EXPECT_EQ(chartSeries(f.ctx(), 0).bars.size(), 300u);
  // Another instrument than the replayed one is not cut.
  f.replay.dateBox = std::to_string(rec.k[100].dateInt());
  f.replay.replayStockIdx = 5;
  EXPECT_EQ(chartSeries(f.ctx(), 0).bars.size(), 300u);
}

TEST(ChartSeries, MinuteBarDatesFollowTheDays) {
  auto label = [](const char* text) {
    DayBar b;
    b.setDate(std::string_view(text));
    return b;
  };
  // Two days with the same month and day a year apart, and a day that made no bars between.
  std::vector<DayBar> bars = {label("03-05 09:31"), label("03-05 10:31"), label("03-05 09:31"),
                              label("03-06 13:01"), label("03-07 09:31")};
  std::vector<int32_t> days = {20230305, 20230306, 20240305, 20240306, 20240307};
  std::vector<int32_t> dates, times;
  minuteBarDates(bars, days, dates, times);
  EXPECT_EQ(dates, (std::vector<int32_t>{20230305, 20230305, 20240305, 20240306, 20240307}));
  EXPECT_EQ(times, (std::vector<int32_t>{931, 1031, 931, 1301, 931}));
}

TEST(ChartSeries, FormulasReceiveDatesAndTimesExceptInABlindGame) {
  ChartFixture f(300);
  // The last 2 days also have minutes; earlier days are synthetic in the 30-minute chart.
  StockRecord& rec = f.stock();
  for (int d : {298, 299}) {
    std::vector<MinuteBar> m = dayMinutes(rec.k[size_t(d)].dateInt(), 10, 0.001);
    rec.minAll.insert(rec.minAll.end(), m.begin(), m.end());
  }
  barsChanged(rec);
  const FormulaDef year = userFormula("YEARS", "Y:YEAR;T:TIME;");

  f.view.period = PeriodDay;
  ChartSeries s = chartSeries(f.ctx(), 0);
  FormulaRunPtr run = runSeriesFormula(year, s, rec, f.mode);
  ASSERT_TRUE(run->ok) << run->error;
  EXPECT_EQ(run->lines[0].values.back(), rec.k.back().dateInt() / 10000);
  EXPECT_EQ(run->lines[1].values.back(), 0);

  f.view.period = PeriodMin30;
  s = chartSeries(f.ctx(), 0);
  FormulaInput in = chartFormulaInput(s, rec, f.mode);
  ASSERT_EQ(in.dates.size(), s.bars.size());
  EXPECT_EQ(in.dates.front(), rec.k.front().dateInt());
  EXPECT_EQ(in.dates.back(), rec.k.back().dateInt());
  EXPECT_EQ(in.times.front(), 931);
  EXPECT_EQ(in.times[8], 931);  // the next day's first bar
  EXPECT_EQ(in.dates[8], rec.k[1].dateInt());

  // In a blind game the game's formulas see no dates.
  f.train.active = true;
  f.train.stockIdx = 0;
  f.train.cur = 280;
  f.view.period = PeriodDay;
  s = chartSeries(f.ctx(), 0);
  ASSERT_TRUE(s.masked);
  run = runSeriesFormula(year, s, rec, f.mode);
  ASSERT_TRUE(run->ok);
  EXPECT_TRUE(isNoValue(run->lines[0].values.back()));
  f.train.revealed = true;
  s = chartSeries(f.ctx(), 0);
  EXPECT_EQ(runSeriesFormula(year, s, rec, f.mode)->lines[0].values.back(), rec.k[280].dateInt() / 10000);
}

}  // namespace
}  // namespace zor
