// The score card's numbers: FIFO-matched trade statistics, the span of a game, and grading.
#include <gtest/gtest.h>

#include "training/scoring.h"

namespace zor {
namespace {

Deal deal(int side, int64_t qty, double price, double fee, int date = 20240102) {
  Deal d;
  d.code = "600000";
  d.side = side;
  d.qty = qty;
  d.price = price;
  d.amountCents = int64_t(price * double(qty) * 100 + 0.5);
  d.feeCents = int64_t(fee * 100 + 0.5);
  d.date = date;
  return d;
}

TEST(TradeStats, FifoMatchingCountsWinsAndLosses) {
  // Two buys (100 at 10, fee 5; 100 at 12, fee 5) and a sale of 150 at 13 with fee 10: net
  // price 12.9333…; profit 100 × (12.9333 − 10.05) + 50 × (12.9333 − 12.05) = 332.5.
  std::vector<Deal> deals = {deal(0, 100, 10, 5), deal(0, 100, 12, 5), deal(1, 150, 13, 10)};
  TradeStats s = tradeStats(deals, 1000332.5, 1000000, 0.05);
  EXPECT_EQ(s.dealCount, 3);
  EXPECT_EQ(s.buyCount, 2);
  EXPECT_EQ(s.sellCount, 1);
  EXPECT_EQ(s.wins, 1);
  EXPECT_EQ(s.losses, 0);
  EXPECT_NEAR(s.realizedPnl, 332.5, 1e-6);
  EXPECT_DOUBLE_EQ(s.winRate, 100);
  EXPECT_DOUBLE_EQ(s.profitRatio, 0);  // no loss to compare with
  EXPECT_NEAR(s.returnPct, 0.03325, 1e-9);
  EXPECT_DOUBLE_EQ(s.maxDrawdownPct, 5);

  // The rest of the second lot (50 at 12.05) sold at 11 with fee 5 (net 10.9) is a loss of
  // 57.5; a sale
  // with nothing bought before it is a win of 0; a zero-quantity deal only counts.
  deals.push_back(deal(1, 50, 11, 5));
  deals.push_back(deal(1, 100, 20, 5));
  deals.push_back(deal(0, 0, 10, 0));
  s = tradeStats(deals, 1000000, 1000000, 0);
  EXPECT_EQ(s.dealCount, 6);
  EXPECT_EQ(s.sellCount, 3);
  EXPECT_EQ(s.wins, 2);
  EXPECT_EQ(s.losses, 1);
  EXPECT_EQ(s.closedTrades, 3);
  EXPECT_NEAR(s.realizedPnl, 332.5 - 57.5, 1e-6);
  EXPECT_NEAR(s.winRate, 200.0 / 3, 1e-9);
  EXPECT_NEAR(s.profitRatio, (332.5 / 2) / 57.5, 1e-9);
  // A baseline other than a million measures the return.
  EXPECT_NEAR(tradeStats(deals, 2200000, 2000000, 0).returnPct, 10, 1e-9);
}

TEST(TradeStats, DaysAndSpan) {
  std::vector<Deal> deals = {deal(0, 100, 10, 5, 20240105), deal(1, 100, 11, 5, 20240103),
                             deal(0, 100, 10, 5, 20240105), deal(0, 100, 10, 5, 0)};
  DaySet days = daySet(deals);
  EXPECT_EQ(days.distinctDays, 2);
  EXPECT_EQ(days.firstDate, 20240103);
  EXPECT_EQ(days.lastDate, 20240105);
  EXPECT_EQ(daySet({}).distinctDays, 0);

  std::vector<DayBar> bars(6);
  for (int i = 0; i < 6; ++i) bars[size_t(i)].setDate(20240102 + i);
  struct {
    int cur, first, fallback, want;
  } cases[] = {
      {5, 20240103, 9, 5},  // bars 1..5
      {3, 20240104, 9, 2},  {3, 20240101, 9, 4},
      {99, 20240103, 9, 5},  // an index outside the bars is the last bar
      {2, 20240106, 9, 9},   // no bar up to cur qualifies
      {5, 0, 7, 7},          // no first date
  };
  for (const auto& c : cases) EXPECT_EQ(daySpan(bars, c.cur, c.first, c.fallback), c.want) << c.cur << " " << c.first;
  EXPECT_EQ(daySpan({}, 0, 20240103, 3), 3);
}

TEST(GradeScore, ThresholdsRatingsAndAdvice) {
  struct Case {
    double equity;
    int span;
    double drawdown, winRate;
    int deals, closed;
    int score;
    const char* rating;
    const char* advice;
  } cases[] = {
      // +10 % over 50 days: 50 % a year.
      {1100000, 50, 0, 0, 4, 0, 100, "优秀", "状态稳定，可在胜率较高的时段适度放大仓位。"},
      // +2 % over 250 days: 60 + r(1 / 19 × 20) = 61.
      {1020000, 250, 0, 0, 4, 0, 61, "合格", "方向没错但幅度不够，试着给盈利单更多持有时间。"},
      {1000000, 40, 0, 0, 4, 0, 0, "需努力", "先停手复盘：亏损单是进场错了，还是离场晚了。"},
      {900000, 40, 25, 0, 4, 0, 0, "需努力", "回撤已达 25%，先把止损位固定下来，再谈获利。"},
      // 25 % a year: 80 + r(5 / 10 × 20) = 90, "达标"; a large drawdown speaks first.
      {1100000, 100, 16.4, 0, 4, 0, 90, "达标", "最大回撤 16.4% 偏大，盈利拿不住；单笔亏 5% 就无条件离场。"},
      {1120000, 100, 0, 0, 4, 0, 100, "优秀", "状态稳定，可在胜率较高的时段适度放大仓位。"},  // 30 %
      // 0.5 % a year: r(0.5 × 60) = 30, "待提高".
      {1002000, 100, 0, 0, 4, 0, 30, "待提高", "方向没错但幅度不够，试着给盈利单更多持有时间。"},
      // 10 % a year: 60 + r(9 / 19 × 20) = 69.
      {1040000, 100, 0, 30, 8, 6, 69, "合格", "胜率 30% 偏低，降低出手频率，只做最熟悉的形态。"},
      {1020000, 100, 0, 0, 51, 0, 64, "合格", "已成交 51 笔，偏频繁，手续费正在吃掉利润。"},
  };
  for (const Case& c : cases) {
    ScoreInput in;
    in.equity = c.equity;
    in.spanDays = c.span;
    in.maxDrawdownPct = c.drawdown;
    in.winRatePct = c.winRate;
    in.dealCount = c.deals;
    in.closedTrades = c.closed;
    ScoreResult r = gradeScore(in);
    SCOPED_TRACE(c.equity);
    ASSERT_TRUE(r.scored);
    EXPECT_EQ(r.score, c.score);
    EXPECT_EQ(r.rating, c.rating);
    EXPECT_EQ(r.advice, c.advice);
  }
  ScoreInput one;
  one.equity = 1100000;
  one.spanDays = 50;
  one.dealCount = 1;
  ScoreResult r = gradeScore(one);
  EXPECT_NEAR(r.cumulativePct, 10, 1e-9);
  EXPECT_NEAR(r.annualPct, 50, 1e-9);
  EXPECT_EQ(r.verdict, "您已经是熟练的看盘高手啦！");
  EXPECT_EQ(r.ratingColor, rgb(0xFF, 0xCD, 0x3C));
}

TEST(GradeScore, NotScored) {
  ScoreInput in;
  in.equity = 1200000;
  in.spanDays = 40;
  EXPECT_EQ(gradeScore(in).note, "暂无交易记录");
  in.dealCount = 3;
  in.spanDays = 4;  // trades on 3 days spanning 4 bars
  ScoreResult r = gradeScore(in);
  EXPECT_FALSE(r.scored);
  EXPECT_EQ(r.note, "训练不足 5 个交易日，暂不评分");
  EXPECT_EQ(r.spanDays, 4);
  in.spanDays = 5;
  EXPECT_TRUE(gradeScore(in).scored);
}

}  // namespace
}  // namespace zor
