// The K-line training bar: which buttons a window of a given width shows, the fields and
// their typing, the days button and picker, and the questions before the commands that throw
// the training account away.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "../training/training_fixture.h"
#include "app/hit_dispatch.h"
#include "app/keyboard.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "app/state_query.h"
#include "app/training_bar.h"
#include "app/training_days.h"
#include "app/training_ops.h"
#include "fake_dialog_host.h"
#include "recording_canvas.h"

namespace zor {
namespace {

using test::TrainingFixture;

std::vector<double> closes(int n) {
  std::vector<double> c;
  for (int i = 0; i < n; ++i) c.push_back(10 + i * 0.05);
  return c;
}

struct BarFixture : TrainingFixture {
  FakeDialogHost host;
  BarFixture() {
    add("600000", "浦发银行", closes(300));
    add("000001", "平安银行", closes(300));
    app.win.dialogs = &host;
    app.mode.tradeTab = TradeTab::KlineTraining;
    app.view.listView = false;
  }
  LastPainted paint(int width = 1600) {
    canvas = RecordingCanvas(width, 720);
    prepareFrame(app);
    app.win.painted = paintMainWindow(app, canvas);
    return app.win.painted;
  }
  const HitArea* area(HitKind kind, int index = 0) const {
    for (const HitArea& h : app.win.painted.hitAreas)
      if (h.kind == kind && h.index == index) return &h;
    return nullptr;
  }
  bool run(HitKind kind, int index = 0) {
    const HitArea* h = area(kind, index);
    if (!h) return false;
    HitArea copy = *h;
    return runHitArea(app, copy);
  }
  void buyOneLot() {
    app.train.qtyText = "100";
    trainTrade(app, true);
  }
  RecordingCanvas canvas{1600, 720};
};

TEST(TrainingBar, NarrowWindowsLoseButtonsFromTheRight) {
  // The limit is the width - 70; the step buttons start at x 466.
  const std::vector<HitKind> flow = {HitKind::TrainNextBar, HitKind::TrainNextWeek, HitKind::TrainNextMonth,
                                     HitKind(102), HitKind(103), HitKind(104), HitKind(105), HitKind(106),
                                     HitKind::TrainBack, HitKind::TrainAutoplay, HitKind::TrainReveal,
                                     HitKind::TrainAutoplaySpeed, HitKind::TrainEnd, HitKind::TrainResetAccount};
  struct Case {
    int width;
    size_t shown;  // how many of `flow` show, from the left
    int speeds;
  } cases[] = {
      {1700, 14, 4},
      {1600, 13, 4},  // 重置账户 needs 69 pixels before the limit
      {1500, 12, 4},  // 结束训练 and 重置账户 go before the speed buttons
      {1400, 12, 2},
      {1290, 11, 0},
      {1240, 10, 0},
      {1000, 6, 0},   // the minute jumps go from the right end: 下1分钟 and 下5分钟 first
      {700, 2, 0},
      {500, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    BarFixture f;
    f.paint(c.width);
    for (size_t i = 0; i < flow.size(); ++i)
      EXPECT_EQ(f.area(flow[i], 0) != nullptr, i < c.shown) << hitKindValue(flow[i]);
    int speeds = 0;
    for (int i = 0; i < 4; ++i) speeds += f.area(HitKind::TrainAutoplaySpeed, i) != nullptr;
    EXPECT_EQ(speeds, c.speeds);
    // The fixed part of the bar shows at any width.
    for (HitKind k : {HitKind::TrainCodeField, HitKind::TrainDateField, HitKind::TrainStart,
                      HitKind::TrainRandomStock, HitKind::TrainDays, HitKind::F12Trading})
      EXPECT_NE(f.area(k, k == HitKind::TrainCodeField ? 6 : k == HitKind::TrainDateField ? 7 : 0), nullptr);
  }
}

TEST(TrainingBar, OwnsTheToolbarOnTheTrainingTabs) {
  BarFixture f;
  f.paint();
  // The replay row's kinds never show beside the training bar.
  for (HitKind k : {HitKind::ReplayStartStop, HitKind::ReplayCodeField, HitKind::ReplayDateField,
                    HitKind::ReplayNextDay})
    EXPECT_EQ(queryState(f.app, QueryHitCount, uint64_t(hitKindValue(k)), 0), 0);
  EXPECT_EQ(queryState(f.app, QueryHitCount, uint64_t(hitKindValue(HitKind::TrainStart)), 0), 1);
  EXPECT_NE(f.canvas.findText("留空=随机"), nullptr);
  EXPECT_NE(f.canvas.findText("留空=中段"), nullptr);
  EXPECT_NE(f.canvas.findText("90天"), nullptr) << "the days button at start";
  // Without a game the step buttons are grey.
  const HitArea& next = *f.area(HitKind::TrainNextBar);
  auto fillOf = [&](const HitArea& h) {
    for (const Primitive& p : f.canvas.primitives())
      if (p.kind == Primitive::FillRect && p.rect == Rect{h.left, h.top, h.right, h.bottom}) return p.color;
    return Color(0xFFFFFFFF);
  };
  EXPECT_EQ(fillOf(next), rgb(0x78, 0x78, 0x82));
  EXPECT_EQ(fillOf(*f.area(HitKind::TrainDays)), rgb(0x96, 0x96, 0xA0));

  trnNewGame(f.app, false, -1);
  ASSERT_TRUE(f.app.train.active);
  f.app.train.autoplayMs = 750;
  f.paint();
  EXPECT_EQ(fillOf(*f.area(HitKind::TrainNextBar)), rgb(0x3C, 0x6E, 0xAA));
  EXPECT_EQ(fillOf(*f.area(HitKind::TrainDays)), rgb(0x46, 0x82, 0xB4));
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(fillOf(*f.area(HitKind::TrainAutoplaySpeed, i)), i == 2 ? rgb(0x46, 0x82, 0xB4) : rgb(0x96, 0x96, 0xA0));
  // The progress of a blind game, its date masked; left out where it would overlap the buttons.
  auto progressShown = [&] {
    for (const std::string& t : f.canvas.texts())
      if (t.rfind("第 1/", 0) == 0) return true;
    return false;
  };
  EXPECT_FALSE(progressShown());
  f.paint(2000);
  bool progress = false;
  for (const std::string& t : f.canvas.texts())
    if (t.rfind("第 1/", 0) == 0) {
      progress = true;
      EXPECT_NE(t.find("****-**-**"), std::string::npos) << t;
    }
  EXPECT_TRUE(progress);
}

TEST(TrainingBar, TypingIntoTheFields) {
  BarFixture f;
  f.paint();
  ASSERT_TRUE(f.run(HitKind::TrainCodeField, 6));
  EXPECT_EQ(f.app.train.inputFocus, 6);
  for (char32_t ch : {U'6', U'0', U'A', U'0', U'0', U'0', U'0'}) onChar(f.app, ch);
  EXPECT_EQ(f.app.train.codeInput, "600000") << "an upper-case letter is ignored";

  ASSERT_TRUE(f.run(HitKind::TrainDateField, 7));
  EXPECT_EQ(f.app.train.inputFocus, 7);
  for (char32_t ch : U"202401059") if (ch) onChar(f.app, ch);
  EXPECT_EQ(f.app.train.dateInput, "9") << "a ninth digit starts a new date";
  onKeyDown(f.app, KeyBackspace, 0);
  EXPECT_EQ(f.app.train.dateInput, "");

  // Enter starts a game on the typed code, no random pick.
  onKeyDown(f.app, KeyEnter, 0);
  ASSERT_TRUE(f.app.train.active);
  EXPECT_EQ(f.app.train.stockIdx, 0);
  EXPECT_TRUE(f.ui.boxes.empty());
}

TEST(TrainingBar, QuestionsBeforeTheAccountIsThrownAway) {
  struct Case {
    const char* what;
    HitKind kind;
    bool positions;
    int answer;            // the box's answer, 0 when no box is expected
    const char* caption;
    bool newGame;          // a new game started (the position is gone)
  } cases[] = {
      {"开始训练 without positions", HitKind::TrainStart, false, 0, "", true},
      {"开始训练 with positions, Yes", HitKind::TrainStart, true, ResultYes, "开始训练确认", true},
      {"开始训练 with positions, No", HitKind::TrainStart, true, ResultNo, "开始训练确认", false},
      {"随机换股 without positions", HitKind::TrainRandomStock, false, 0, "", true},
      {"随机换股 with positions, No", HitKind::TrainRandomStock, true, ResultNo, "随机换股确认", false},
      {"随机换股 with positions, Yes", HitKind::TrainRandomStock, true, ResultYes, "随机换股确认", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BarFixture f;
    trnNewGame(f.app, false, -1);
    ASSERT_TRUE(f.app.train.active);
    trainNextBar(f.app);
    if (c.positions) f.buyOneLot();
    ASSERT_EQ(f.trainingAccount().positions.empty(), !c.positions);
    f.paint();
    if (c.answer) f.ui.answers = {c.answer};
    f.ui.boxes.clear();
    EXPECT_TRUE(f.run(c.kind));
    ASSERT_EQ(f.ui.boxes.size(), c.answer ? 1u : 0u);
    if (c.answer) {
      EXPECT_EQ(f.ui.boxes[0].caption, c.caption);
      EXPECT_TRUE(f.ui.boxes[0].flags & MsgQuestion);
    }
    EXPECT_EQ(f.trainingAccount().positions.empty(), c.newGame || !c.positions);
    EXPECT_TRUE(f.app.train.active);
  }
  // From the menu during a game with positions: No keeps the game, its length and its tab.
  BarFixture f;
  trnNewGame(f.app, false, -1);
  trainNextBar(f.app);
  f.buyOneLot();
  const int cur = f.app.train.cur;
  f.host.script = [](Dialog&) { return 30; };
  f.ui.answers = {ResultNo};
  f.ui.boxes.clear();
  applyStartMode(f.app, 2);
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].caption, "开始训练确认");
  EXPECT_EQ(f.app.train.days, 90);
  EXPECT_EQ(f.app.train.cur, cur);
  EXPECT_FALSE(f.trainingAccount().positions.empty());
}

TEST(TrainingBar, DaysPickerAndItsQuestion) {
  struct Case {
    const char* what;
    int picked;          // what the picker answers; -1 cancelled
    bool positions;
    int answer;          // the new-game question's answer, 0 when none is expected
    int wantDays;
    bool newGame;
  } cases[] = {
      {"cancelled keeps the setting", -1, false, 0, 90, false},
      {"whole history", 0, false, 0, 0, true},
      {"thirty days", 30, false, 0, 30, true},
      {"with positions, No: nothing, the days not applied", 30, true, ResultNo, 90, false},
      {"with positions, Yes", 30, true, ResultYes, 30, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BarFixture f;
    trnNewGame(f.app, false, -1);
    trainNextBar(f.app);
    trainNextBar(f.app);
    if (c.positions) f.buyOneLot();
    const int curBefore = f.app.train.cur;
    f.host.script = [&](Dialog& d) {
      EXPECT_EQ(d.className, kTrainingDaysClass);
      return c.picked;
    };
    if (c.answer) f.ui.answers = {c.answer};
    f.ui.boxes.clear();
    f.paint();
    EXPECT_TRUE(f.run(HitKind::TrainDays));
    EXPECT_EQ(f.ui.boxes.size(), c.answer ? 1u : 0u);
    EXPECT_EQ(f.app.train.days, c.wantDays);
    if (c.picked < 0) {
      EXPECT_EQ(f.app.train.status, "天数未改，沿用当前设置");
    }
    if (!c.newGame) {
      EXPECT_EQ(f.app.train.cur, curBefore);
    }
    if (c.newGame && c.picked == 0) {
      EXPECT_EQ(f.app.train.start, 0) << "the whole history starts at the first bar";
    }
    f.paint();
    EXPECT_NE(f.canvas.findText(c.wantDays == 0 ? std::string("全部") : strPrintf("%d天", c.wantDays)), nullptr);
  }
}

TEST(TrainingBar, ResetAccountAsksWithAWarning) {
  for (int answer : {ResultNo, ResultYes}) {
    BarFixture f;
    trnNewGame(f.app, false, -1);
    trainNextBar(f.app);
    f.buyOneLot();
    f.paint(1700);
    f.ui.answers = {answer};
    f.ui.boxes.clear();
    EXPECT_TRUE(f.run(HitKind::TrainResetAccount));
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_EQ(f.ui.boxes[0].caption, "重置训练账户确认");
    EXPECT_TRUE(f.ui.boxes[0].flags & MsgWarning);
    EXPECT_EQ(f.trainingAccount().positions.empty(), answer == ResultYes);
  }
}

TEST(TrainingBar, StepButtonsDriveTheGame) {
  BarFixture f;
  trnNewGame(f.app, false, -1);
  f.paint();
  const int start = f.app.train.cur;
  struct Step {
    HitKind kind;
    int index;
    std::function<bool(const AppState&)> done;
  } steps[] = {
      {HitKind::TrainNextBar, 0, [&](const AppState& a) { return a.train.cur == start + 1; }},
      {HitKind::TrainBack, 0, [&](const AppState& a) { return a.train.cur == start; }},
      {HitKind::TrainNextWeek, 0, [](const AppState& a) { return a.train.jumpPeriod == 1; }},
      {HitKind::TrainAutoplaySpeed, 3, [](const AppState& a) { return a.train.autoplayMs == 375; }},
      {HitKind::TrainAutoplay, 0, [](const AppState& a) { return a.train.autoplay; }},
      {HitKind::TrainReveal, 0, [](const AppState& a) { return a.train.revealed; }},
      {HitKind::TrainEnd, 0, [](const AppState& a) { return !a.train.active; }},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(hitKindValue(s.kind));
    ASSERT_TRUE(f.run(s.kind, s.index));
    EXPECT_TRUE(s.done(f.app));
    f.paint();
  }
}

TEST(TrainingDaysPicker, CardsKeysAndCancel) {
  TrainingDaysState s;
  Dialog d = trainingDaysSpec(s);
  struct Case {
    DialogInput in;
    int want;  // the result, or -2 when the dialog stays open
  } cases[] = {
      {{DialogInput::Key, 0, 0, '1'}, 30},
      {{DialogInput::Key, 0, 0, '6'}, 0},
      {{DialogInput::Key, 0, 0, KeyEscape}, -1},
      {{DialogInput::Key, 0, 0, '7'}, -2},
      {{DialogInput::LeftDown, 224 + 10, 78 + 10}, 60},
      {{DialogInput::LeftDown, 426 + 10, 216 + 10}, 0},
      {{DialogInput::LeftDown, 620 - 20, 10}, -1},  // the close mark
      {{DialogInput::LeftDown, 10, 10}, -2},
  };
  for (const Case& c : cases) {
    d.result = -2;
    DialogReply r = trainingDaysInput(s, d, c.in);
    EXPECT_EQ(r.close, c.want != -2) << c.in.key << " " << c.in.x;
    if (r.close) {
      EXPECT_EQ(d.result, c.want);
    }
  }
  // Without a window the picker answers "cancelled".
  AppState app;
  EXPECT_EQ(pickTrainingDays(app), -1);
}

}  // namespace
}  // namespace zor

namespace zor {
namespace {

TEST(TrainingDaysPicker, ChoosingKlineTrainingAsksForTheLength) {
  for (int picked : {30, -1}) {
    BarFixture f;
    f.app.mode.tradeTab = TradeTab::HistoryTraining;
    f.host.script = [&](Dialog&) { return picked; };
    applyStartMode(f.app, 2);
    EXPECT_EQ(f.host.opened, (std::vector<std::string>{kTrainingDaysClass}));
    EXPECT_EQ(f.app.train.days, picked < 0 ? 90 : picked);
    EXPECT_TRUE(f.app.train.active);
  }
  // From the menu during a game with positions: No keeps the game, its length and its tab.
  BarFixture f;
  trnNewGame(f.app, false, -1);
  trainNextBar(f.app);
  f.buyOneLot();
  const int cur = f.app.train.cur;
  f.host.script = [](Dialog&) { return 30; };
  f.ui.answers = {ResultNo};
  f.ui.boxes.clear();
  applyStartMode(f.app, 2);
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].caption, "开始训练确认");
  EXPECT_EQ(f.app.train.days, 90);
  EXPECT_EQ(f.app.train.cur, cur);
  EXPECT_FALSE(f.trainingAccount().positions.empty());
}

}  // namespace
}  // namespace zor
