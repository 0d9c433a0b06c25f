// The history replay: which days can be replayed, frames on timer 2, the next day by itself,
// settlement at the close, and prompts that hold the timers.
#include <gtest/gtest.h>

#include <cstring>

#include "app/replay_ops.h"
#include "app/timers.h"
#include "app/training_ops.h"
#include "trading/account_file.h"
#include "training_fixture.h"

namespace zor {
namespace {

using test::dayMinutes;
using test::TrainingFixture;

struct ReplayFixture : TrainingFixture {
  std::vector<int> dates = test::weekdays(12);
  int idx = 0;
  ReplayFixture() {
    std::vector<MinuteBar> minutes;
    auto day = [&](int i, int count) {
      for (const MinuteBar& m : dayMinutes(dates[size_t(i)], 10 + i, count)) minutes.push_back(m);
    };
    day(7, 29);
    day(8, 30);
    day(9, 240);
    day(10, 240);
    day(11, 240);
    std::vector<double> closes;
    for (int i = 0; i < 12; ++i) closes.push_back(10 + i + 0.239);
    idx = add("600001", "回放股", closes, minutes);
    app.view.curIdx = idx;
  }
  void startOn(int dayIndex) {
    app.replay.dateBox = std::to_string(dates[size_t(dayIndex)]);
    replayStart(app, true);
  }
  void tick(int n = 1) {
    for (int i = 0; i < n; ++i) onTimer(app, int(TimerId::Replay));
  }
};

TEST(Replay, ADayNeedsThirtyMinuteBars) {
  ReplayFixture f;
  f.startOn(7);  // 29 bars
  EXPECT_FALSE(f.app.replay.training);
  EXPECT_TRUE(f.app.replay.dateView);
  EXPECT_EQ(f.app.replay.replayStockIdx, -1);
  ASSERT_FALSE(f.ui.boxes.empty());
  EXPECT_EQ(f.ui.boxes.back().caption, "无分钟数据 · 无法回放");
  EXPECT_EQ(f.app.win.statusText, "无分钟数据(" + std::to_string(f.dates[7]) + ")，已取消训练");

  f.startOn(8);  // 30 bars
  EXPECT_TRUE(f.app.replay.training);
  EXPECT_EQ(f.app.replay.frames, 30);
  EXPECT_EQ(f.app.replay.trainDi, 8);
  EXPECT_EQ(f.app.win.statusText, "训练开始(真实回放) 600001 " + std::to_string(f.dates[8]) + " 共30分钟");
  EXPECT_EQ(f.ui.timers.back(), (std::pair<int, int>{2, 2000}));
  EXPECT_TRUE(f.app.view.trend);

  f.startOn(5);  // no minutes at all that day
  EXPECT_FALSE(f.app.replay.training);
  EXPECT_NE(f.ui.boxes.back().text.find("本地分钟数据范围"), std::string::npos);
}

TEST(Replay, FramesNeverTouchTheDailyBarAndTheNextDayStartsByItself) {
  ReplayFixture f;
  const DayBar before = f.stock(f.idx).k[8];
  f.startOn(8);
  f.tick(10);
  const StockRecord& rec = f.stock(f.idx);
  EXPECT_EQ(f.app.replay.cursor, 10);
  EXPECT_EQ(rec.minc.size(), 11u);
  EXPECT_DOUBLE_EQ(rec.volume, 11 * 1000.0);  // the day so far, not the frame alone
  EXPECT_FLOAT_EQ(float(rec.lastPrice), f.app.replay.trainMin[10].close);
  EXPECT_EQ(std::memcmp(&rec.k[8], &before, sizeof before), 0);  // the daily bar is left alone

  f.tick(19);  // frame 29, the last of the day
  EXPECT_EQ(f.app.replay.cursor, 29);
  f.tick();  // past the end: the next trading day starts
  EXPECT_TRUE(f.app.replay.training);
  EXPECT_EQ(f.app.replay.dateBox, std::to_string(f.dates[9]));
  EXPECT_EQ(f.app.replay.frames, 240);
  EXPECT_EQ(f.app.replay.cursor, 0);
  EXPECT_EQ(std::memcmp(&f.stock(f.idx).k[8], &before, sizeof before), 0);

  // From the last day there is no next one.
  f.app.replay.dateBox = std::to_string(f.dates[11]);
  replayNextDay(f.app);
  EXPECT_EQ(f.app.win.statusText, "已是最后一天(" + std::to_string(f.dates[11]) + ")，无下一天");
}

TEST(Replay, SettlementValuesTheHoldingAtTheCloseAndSavesIt) {
  ReplayFixture f;
  Position p;
  p.code = "600001";
  p.name = "回放股";
  p.market = 1;
  p.qty = 500;
  p.avgCost = 18;
  p.buyDate = f.dates[6];
  f.historyAccount().positions.push_back(p);
  f.startOn(9);
  EXPECT_EQ(f.app.win.statusText.rfind("继续训练", 0), std::string::npos);  // no conflict asked: Yes was the answer
  f.tick(50);
  replaySettle(f.app);
  EXPECT_FALSE(f.app.replay.training);
  EXPECT_TRUE(f.app.replay.dateView);
  EXPECT_EQ(f.stock(f.idx).minc.size(), 240u);  // the whole day
  EXPECT_EQ(f.app.win.statusText, "训练停止·已结算 600001 " + std::to_string(f.dates[9]) + " 共240分钟");

  TradingState loaded;
  loadTrading(loaded, f.dir.path(), LocalTime{});
  ASSERT_EQ(loaded.accounts[ModeHistory].positions.size(), 0u);  // the conflict's Yes reset it
}

TEST(Replay, ConflictAnsweredNoContinuesAfterTheLastReplay) {
  ReplayFixture f;
  Position p;
  p.code = "600001";
  p.qty = 500;
  p.avgCost = 18;
  p.replayDate = f.dates[8];
  f.historyAccount().positions.push_back(p);
  f.ui.answers.push_back(ResultNo);
  f.startOn(3);
  EXPECT_EQ(f.ui.boxes.back().caption, "持仓冲突");
  EXPECT_TRUE(f.app.replay.training);
  EXPECT_EQ(f.app.replay.dateBox, std::to_string(f.dates[9]));  // the day after its last replay
  EXPECT_EQ(f.historyAccount().positions[0].replayDate, f.dates[9]);
  f.tick(239);
  replaySettle(f.app);
  TradingState loaded;
  loadTrading(loaded, f.dir.path(), LocalTime{});
  ASSERT_EQ(loaded.accounts[ModeHistory].positions.size(), 1u);
  // Valued at the day's close: the last frame of day 9 closes at 19 + 239 / 1000.
  EXPECT_NEAR(loaded.accounts[ModeHistory].positions[0].lastPrice, 19.239, 1e-4);
}

TEST(Replay, PromptsHoldTheTimersAndActOnlyOnTheReplayTheyAsked) {
  ReplayFixture f;
  f.startOn(9);
  f.tick(5);
  // While the question is open, a timer that still ran would play the day to its end and
  // start the next; the held timer lets nothing move.
  f.ui.whileBoxOpen = [&] {
    for (int i = 0; i < 300; ++i)
      if (f.ui.armed.count(int(TimerId::Replay))) f.tick();
  };
  f.ui.answers.push_back(ResultNo);
  replayAskNextDay(f.app);
  EXPECT_EQ(f.app.replay.dateBox, std::to_string(f.dates[9]));
  EXPECT_EQ(f.app.replay.cursor, 5);
  EXPECT_TRUE(f.ui.armed.count(int(TimerId::Replay)));  // running again after No

  f.ui.answers.push_back(ResultCancel);
  replayAskSettle(f.app);
  EXPECT_TRUE(f.app.replay.training);
  EXPECT_EQ(f.app.replay.cursor, 5);

  f.ui.answers.push_back(ResultYes);
  replayAskNextDay(f.app);
  EXPECT_EQ(f.app.replay.dateBox, std::to_string(f.dates[10]));
  EXPECT_EQ(f.app.replay.cursor, 0);

  f.ui.answers.push_back(ResultOk);
  replayAskSettle(f.app);
  EXPECT_FALSE(f.app.replay.training);
  EXPECT_EQ(f.app.win.statusText, "训练停止·已结算 600001 " + std::to_string(f.dates[10]) + " 共240分钟");
}

TEST(Replay, PauseSpeedAndTheWholeDay) {
  ReplayFixture f;
  f.startOn(9);
  replaySpeed(f.app, 2);
  EXPECT_EQ(f.app.replay.replayIntervalMs, 333);
  EXPECT_EQ(f.ui.timers.back(), (std::pair<int, int>{2, 333}));
  replayPause(f.app);
  EXPECT_TRUE(f.app.replay.replayPaused);
  EXPECT_FALSE(f.ui.armed.count(int(TimerId::Replay)));
  replayPause(f.app);
  EXPECT_TRUE(f.ui.armed.count(int(TimerId::Replay)));
  replaySpeed(f.app, 6);  // 全天
  EXPECT_FALSE(f.app.replay.training);
  EXPECT_TRUE(f.app.replay.fullDayShown);
  EXPECT_EQ(f.stock(f.idx).minc.size(), 240u);
  EXPECT_EQ(f.app.win.statusText, "全天分时图 600001 " + std::to_string(f.dates[9]) + " 共240分钟");

  // A K-line game takes over: the next frame ends the replay.
  f.startOn(10);
  f.app.train.active = true;
  f.tick();
  EXPECT_FALSE(f.app.replay.training);
}

TEST(Replay, LocateDate) {
  ReplayFixture f;
  struct {
    std::string box;
    const char* status;
  } cases[] = {
      {"2024011", "日期需 8 位 YYYYMMDD（当前 \"2024011\"），可直接重新输入"},
      {"20231229", "该日期早于数据起点（本股 20240102 ~ 20240117），可直接重新输入"},
      {"20240106", "已定位 20240105 收盘 13.24"},  // a Saturday: the Friday before
      {"", "已定位 20240117 收盘 21.24"},          // empty: the last bar
  };
  for (const auto& c : cases) {
    f.app.replay.dateBox = c.box;
    locateDate(f.app);
    EXPECT_EQ(f.app.win.statusText, c.status) << c.box;
  }
  EXPECT_EQ(f.app.replay.selectedDay, 11);
}

}  // namespace
}  // namespace zor
