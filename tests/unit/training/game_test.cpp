// The K-line training game's operations: where a game starts, stepping, jumping, stepping
// back, trading, autoplay, the end of a game and the mode switch.
#include <gtest/gtest.h>

#include <cmath>

#include "app/timers.h"
#include "app/training_ops.h"
#include "training/game_rules.h"
#include "training_fixture.h"

namespace zor {
namespace {

using test::dayMinutes;
using test::TrainingFixture;

std::vector<double> rising(int n, double from = 10) {
  std::vector<double> c;
  for (int i = 0; i < n; ++i) c.push_back(from + i * 0.1);
  return c;
}

// Starts a game on instrument `idx` with the given typed date and length.
bool startOn(TrainingFixture& f, int idx, std::string date = "", int days = 90) {
  f.app.view.curIdx = idx;
  f.app.train.codeInput.clear();
  f.app.train.dateInput = date;
  f.app.train.days = days;
  trnNewGame(f.app, false, -1);
  return f.app.train.active;
}

TEST(TrainGame, WhereAGameStarts) {
  struct Case {
    const char* what;
    int bars;
    int days;
    std::string date;  // offsets into the weekday list below, or a literal
    int start;         // -1: refused
  } cases[] = {
      {"one bar starts at bar 0", 1, 90, "", 0},
      {"the whole history", 50, 0, "", 0},
      {"longer than the history starts at bar 1", 50, 90, "", 1},
      {"the last 20 days", 50, 20, "", 30},
      {"a typed trading day", 50, 90, "20240110", 6},
      {"a Saturday starts on the Monday after", 50, 90, "20240113", 9},
      {"before the first bar", 50, 90, "20240101", -1},
      {"after the last bar", 50, 90, "20250101", -1},
      {"seven digits", 50, 90, "2024011", -1},
      {"month 13", 50, 90, "20241301", -1},
      {"day 32", 50, 90, "20240132", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TrainingFixture f;
    int idx = f.add("600001", "测试一", rising(c.bars));
    bool started = startOn(f, idx, c.date, c.days);
    EXPECT_EQ(started, c.start >= 0);
    if (c.start >= 0) {
      EXPECT_EQ(f.app.train.start, c.start);
      EXPECT_EQ(f.app.train.cur, c.start);
      EXPECT_EQ(f.app.mode.tradeTab, TradeTab::KlineTraining);
      EXPECT_EQ(f.app.view.period, PeriodDay);
      EXPECT_EQ(f.app.train.equity.size(), 1u);
    } else {
      ASSERT_FALSE(f.ui.boxes.empty());
      EXPECT_EQ(f.ui.boxes.back().caption, "训练日期无效");
      EXPECT_EQ(f.app.train.status, "训练日期超出行情范围，未启动（请重新填写）");
    }
  }
}

TEST(TrainGame, OneBarGameFinishesOnTheFirstStep) {
  TrainingFixture f;
  int idx = f.add("600001", "测试一", {10});
  ASSERT_TRUE(startOn(f, idx));
  EXPECT_EQ(f.app.train.status, "训练已开始  第 1/1 根（双盲：代码与日期已隐藏，按 D 可揭示）");
  trainNextBar(f.app);
  EXPECT_TRUE(f.app.train.finished);
  EXPECT_EQ(f.app.train.status, "已是最后一天，训练结束（点【结束训练】退出，账户与记录已保留）");
}

TEST(TrainGame, RandomPickTakesTheLongestWhenAllAreShort) {
  TrainingFixture f;
  f.add("600001", "短一", rising(30));
  f.add("600002", "长一", rising(80));
  f.add("600003", "长二", rising(80));
  f.app.train.days = 200;  // needs 202 bars: nobody has them
  trnNewGame(f.app, true, -1);
  ASSERT_TRUE(f.app.train.active);
  EXPECT_EQ(f.app.train.stockIdx, 1);  // the first of the two longest
  EXPECT_EQ(f.app.view.curIdx, 1);
  EXPECT_EQ(f.app.list.codeEntry, "");  // the pick shows nowhere

  TrainingFixture none;
  none.add("600001", "空", {});
  none.stock(0).k.clear();
  trnNewGame(none.app, true, -1);
  EXPECT_FALSE(none.app.train.active);
  EXPECT_EQ(none.app.train.status, "无可用于训练的标的");
}

TEST(TrainGame, SteppingBackAndForth) {
  TrainingFixture f;
  int idx = f.add("600001", "测试一", rising(10));
  ASSERT_TRUE(startOn(f, idx, "", 5));  // start 5
  trainBackBar(f.app);
  EXPECT_EQ(f.app.train.status, "已回到本局起点，不能再后退");
  for (int i = 0; i < 5; ++i) trainNextBar(f.app);
  EXPECT_TRUE(f.app.train.finished);
  EXPECT_EQ(f.app.train.cur, 9);
  trainBackBar(f.app);
  EXPECT_FALSE(f.app.train.finished);  // stepping back reopens the game
  EXPECT_EQ(f.app.train.cur, 8);
  trnReveal(f.app);
  trainNextBar(f.app);
  EXPECT_EQ(f.app.train.status, "下一天 ▶ 20240115 收 10.90  (第 5/5 根)");
  EXPECT_EQ(f.app.replay.dateBox, "20240115");
  EXPECT_DOUBLE_EQ(f.stock(idx).lastPrice, 10.9);
  EXPECT_DOUBLE_EQ(f.stock(idx).prevClose, 10.8);
  // Steps never remove equity samples: start, back, 5 forward, back, forward.
  EXPECT_EQ(f.app.train.equity.size(), 9u);
}

TEST(TrainGame, TradesOfTheGame) {
  TrainingFixture f;
  std::vector<double> closes = rising(10);
  closes[7] = 0;  // a bar without valid prices
  int idx = f.add("600001", "测试一", closes);
  f.stock(idx).k[7].open = f.stock(idx).k[7].high = f.stock(idx).k[7].low = f.stock(idx).k[7].close = NO_PRICE;
  ASSERT_TRUE(startOn(f, idx, "", 6));  // start 4
  trnReveal(f.app);

  struct Step {
    const char* what;
    void (*act)(AppState&);
    const char* status;  // prefix of train.status
    size_t deals;
  } steps[] = {
      {"an empty order form buys one lot", [](AppState& a) { trainTrade(a, true); }, "买入 600001 100 股 @ 10.40 成功", 1},
      {"under T+1 the same bar cannot sell", [](AppState& a) { trainTrade(a, false); }, "T+1规则", 1},
      {"150 shares are no whole lots",
       [](AppState& a) {
         a.train.qtyText = "150";
         trainTrade(a, true);
         a.train.qtyText.clear();
       },
       "委托数量必须是 100 股的整数倍", 1},
      {"the next day sells", [](AppState& a) { trainNextBar(a), trainTrade(a, false); }, "卖出 600001 100 股 @ 10.50 成功", 2},
      {"back a bar, then a buy dated before the last deal",
       [](AppState& a) { trainBackBar(a), trainTrade(a, true); }, "交易时间不能早于本股最后一笔成交", 2},
      {"a bar without prices has no price",
       [](AppState& a) {
         trainNextBar(a), trainNextBar(a), trainNextBar(a);  // bar 7
         trainTrade(a, true);
       },
       "当前无价格，无法成交", 2},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.act(f.app);
    EXPECT_EQ(f.app.train.status.rfind(s.status, 0), 0u) << f.app.train.status;
    EXPECT_EQ(f.trainingAccount().deals.size(), s.deals);
  }
  // The 0.1 % model: buying 100 at 10.40 costs 1,040 + 1.04; selling at 10.50 brings 1,050 - 1.05.
  EXPECT_EQ(f.trainingAccount().cashCents, 100000000 - 104104 + 104895);
  EXPECT_EQ(trnPrice(f.app), 0);
  double equity = trnEquity(f.app);
  EXPECT_TRUE(std::isfinite(equity));
  EXPECT_NEAR(equity, 1000000 - 1041.04 + 1048.95, 1e-6);

  // T+0 lets the same bar sell.
  trainNextBar(f.app);  // bar 8
  f.app.trading.tPlusOne = false;
  trainTrade(f.app, true);
  trainTrade(f.app, false);
  EXPECT_EQ(f.trainingAccount().deals.size(), 4u);
}

TEST(TrainGame, MinuteJumpsBookTradesAtTheEndOfTheirSlot) {
  TrainingFixture f;
  std::vector<int> dates = test::weekdays(6);
  std::vector<MinuteBar> minutes = dayMinutes(dates[4], 10.4);
  // The next day lacks 09:31-10:30: its first hour has no bars at all.
  for (const MinuteBar& m : dayMinutes(dates[5], 10.5, 180, 631)) minutes.push_back(m);
  int idx = f.add("600001", "测试一", rising(6), minutes);
  ASSERT_TRUE(startOn(f, idx, std::to_string(dates[4])));
  trnReveal(f.app);

  struct Step {
    int cur;
    int sub;
    int time;  // of a trade now, minutes after midnight
    const char* status;
  } want[] = {
      {4, 0, 630, "下60分钟 09:31 收"},  {4, 1, 690, "下60分钟 10:31 收"}, {4, 2, 840, "下60分钟 13:01 收"},
      {4, 3, 900, "下60分钟 14:01 收"},  {5, 0, 690, "下60分钟 10:31 收"}, {5, 1, 840, "下60分钟 13:01 收"},
      {5, 2, 900, "下60分钟 14:01 收"},
  };
  for (const auto& w : want) {
    trainJump(f.app, 3);
    SCOPED_TRACE(f.app.train.status);
    EXPECT_EQ(f.app.train.cur, w.cur);
    EXPECT_EQ(f.app.train.sub, w.sub);
    EXPECT_EQ(f.app.view.period, PeriodMin60);
    EXPECT_EQ(f.app.train.status.rfind(w.status, 0), 0u);
    f.app.trading.tPlusOne = false;
    trnTrade(f.app, true);
    ASSERT_FALSE(f.trainingAccount().deals.empty());
    EXPECT_EQ(f.trainingAccount().deals.back().time, w.time);
    EXPECT_EQ(f.trainingAccount().deals.back().date, dates[size_t(w.cur)]);
  }
  trainJump(f.app, 3);
  EXPECT_TRUE(f.app.train.finished);
  EXPECT_EQ(f.app.train.status, "已是最后一天，训练结束");
  // Jumps are sampled like steps: the start and eight jumps.
  EXPECT_EQ(f.app.train.equity.size(), 9u);
  // A day step leaves the minute period.
  trainBackBar(f.app);
  EXPECT_EQ(f.app.view.period, PeriodDay);
  EXPECT_EQ(f.app.train.sub, -1);
}

TEST(TrainGame, WeekAndMonthJumps) {
  TrainingFixture f;
  int idx = f.add("600001", "测试一", rising(60));  // 2024-01-02 .. 2024-03-25
  ASSERT_TRUE(startOn(f, idx, "20240103"));
  trnReveal(f.app);
  struct {
    int p;
    int date;  // of the bar landed on
    const char* status;
  } want[] = {
      {1, 20240112, "下一周 ▶ 20240112 收"},  // the last day of the next week
      {1, 20240119, "下一周 ▶ 20240119 收"},
      {2, 20240229, "下一月 ▶ 20240229 收"},
      {2, 20240325, "下一月 ▶ 20240325 收"},  // March ends with the data
  };
  for (const auto& w : want) {
    trainJump(f.app, w.p);
    EXPECT_EQ(f.dateOf(idx, f.app.train.cur), w.date);
    EXPECT_EQ(f.app.train.status.rfind(w.status, 0), 0u) << f.app.train.status;
    EXPECT_EQ(f.app.view.period, w.p);
  }
  trainJump(f.app, 2);
  EXPECT_EQ(f.app.train.status, "已是最后一月，训练结束");
  trainJump(f.app, 1);
  EXPECT_EQ(f.app.train.status, "已是最后一周，训练结束");
  trainJump(f.app, 9);
  EXPECT_EQ(f.app.train.status, "周期参数错误");
}

TEST(TrainGame, AutoplayRunsOnTimerFourUntilTheEnd) {
  TrainingFixture f;
  int idx = f.add("600001", "测试一", rising(10));
  ASSERT_TRUE(startOn(f, idx, "", 4));  // start 6
  trnAutoplay(f.app);
  EXPECT_TRUE(f.ui.armed.count(4));
  EXPECT_EQ(f.ui.timers.back(), (std::pair<int, int>{4, 1500}));
  trnAutoplaySpeed(f.app, 3);  // restarts at once
  EXPECT_EQ(f.ui.timers.back(), (std::pair<int, int>{4, 375}));
  for (int i = 0; i < 3; ++i) onTimer(f.app, int(TimerId::Autoplay));
  EXPECT_EQ(f.app.train.cur, 9);
  EXPECT_TRUE(f.app.train.autoplay);
  onTimer(f.app, int(TimerId::Autoplay));
  EXPECT_EQ(f.app.train.status, "已到最后一根，自动播放结束");
  EXPECT_FALSE(f.app.train.autoplay);
  EXPECT_FALSE(f.ui.armed.count(4));

  // Leaving the training tabs stops it without a word.
  trainBackBar(f.app);
  trnAutoplay(f.app);
  switchTab(f.app, TradeTab::HistoryTraining);
  onTimer(f.app, int(TimerId::Autoplay));
  EXPECT_FALSE(f.app.train.autoplay);
  EXPECT_EQ(f.app.train.cur, 8);
}

TEST(TrainGame, EndLeaveResetAndModes) {
  TrainingFixture f;
  int idx = f.add("600001", "测试一", rising(10));
  ASSERT_TRUE(startOn(f, idx, "", 4));
  trainTrade(f.app, true);
  trnEnd(f.app);
  EXPECT_FALSE(f.app.train.active);
  EXPECT_EQ(f.trainingAccount().deals.size(), 1u);  // kept for scoring
  ScoreInput in;
  EXPECT_TRUE(scoreInput(f.app, in));  // the card still scores the game on the training tab
  EXPECT_EQ(in.dealCount, 1);

  trnResetAccount(f.app);
  EXPECT_EQ(f.app.train.status, "训练账户已重置（现金 100 万，持仓/记录清空）");
  EXPECT_TRUE(f.trainingAccount().deals.empty());

  switchMode(f.app, 2);
  EXPECT_TRUE(f.app.train.active);
  EXPECT_TRUE(trnBlind(f.app.train));
  EXPECT_EQ(f.app.mode.tradeTab, TradeTab::KlineTraining);
  switchMode(f.app, 1);
  EXPECT_FALSE(f.app.train.active);
  EXPECT_EQ(f.app.mode.tradeTab, TradeTab::HistoryTraining);
  EXPECT_FALSE(f.app.view.tradeView);
}

}  // namespace
}  // namespace zor
