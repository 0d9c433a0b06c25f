// The bars around the chart: the button look, the tab bar of chart buttons, the toolbar's
// replay row and real-time caption, the status line; which areas register where and what
// their press-and-release does.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/app_state.h"
#include "app/bar_button.h"
#include "app/keyboard.h"
#include "app/main_window.h"
#include "app/shell_panels.h"
#include "app/toolbar.h"
#include "recording_canvas.h"
#include "test_ui.h"

namespace zor {
namespace {

constexpr int kW = 1280, kH = 720;

struct BarsFixture {
  AppState app;
  TestUi ui;
  RecordingCanvas canvas{kW, kH};
  BarsFixture() {
    app.ui = &ui;
    StockRecord s;
    s.code = "600000";
    s.name = "浦发银行";
    s.dayLoaded = s.minLoaded = true;
    app.market.stocks.push_back(s);
    app.view.listView = false;
  }
  void paint() {
    canvas.clear();
    onPaint(app, canvas);
  }
  const HitArea* area(HitKind kind, int index = 0) const {
    for (const HitArea& h : app.win.painted.hitAreas)
      if (h.kind == kind && h.index == index) return &h;
    return nullptr;
  }
  // Presses and releases the mouse over the middle of an area.
  void click(const HitArea& h) {
    int x = (h.left + h.right) / 2, y = (h.top + h.bottom) / 2;
    onLeftButtonDown(app, x, y, 0);
    onLeftButtonUp(app, x, y);
    paint();
  }
  void clickAt(int x, int y) {
    onLeftButtonDown(app, x, y, 0);
    onLeftButtonUp(app, x, y);
    paint();
  }
  // The face colour of the button whose area is `h` (the fill covering its rectangle).
  Color face(const HitArea& h) const {
    for (const Primitive& p : canvas.primitives())
      if (p.kind == Primitive::FillRect && p.rect == Rect{h.left, h.top, h.right, h.bottom}) return p.color;
    return 0xFFFFFFFF;
  }
};

TEST(BarButton, LooksBySchemeStateAndActivity) {
  struct Case {
    const char* what;
    int scheme;
    ButtonLook look;
    bool active;
    Color face, border, text;
    int shift;  // the text moves right and down while pressed
  } cases[] = {
      {"grey", 0, LookNormal, false, rgb(38, 40, 48), rgb(76, 80, 94), rgb(198, 198, 198), 0},
      {"green", 1, LookNormal, false, rgb(0, 120, 60), rgb(64, 190, 124), rgb(255, 255, 255), 0},
      {"blue hover", 2, LookHover, false, rgb(80, 112, 168), rgb(150, 190, 235), rgb(250, 250, 250), 0},
      {"amber pressed", 3, LookPressed, false, rgb(102, 80, 28), rgb(235, 210, 150), rgb(245, 245, 245), 1},
      {"unknown scheme is grey", 9, LookNormal, false, rgb(38, 40, 48), rgb(76, 80, 94), rgb(198, 198, 198), 0},
      {"active", 2, LookNormal, true, rgb(172, 32, 32), rgb(226, 96, 96), rgb(255, 255, 255), 0},
      {"active pressed", 0, LookPressed, true, rgb(128, 16, 16), rgb(236, 120, 120), rgb(255, 255, 255), 1},
  };
  const Rect r{100, 30, 160, 54};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingCanvas canvas(400, 100);
    canvas.setFont(Font{"Microsoft YaHei UI", 14, false});
    paintButton(canvas, r, "AB", c.look, c.active, c.scheme);
    const auto& p = canvas.primitives();
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(p.front().kind, Primitive::FillRect);
    EXPECT_EQ(p.front().color, c.face);
    const Primitive* frame = nullptr;
    for (const Primitive& q : p)
      if (q.kind == Primitive::FrameRect) frame = &q;
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->color, c.border);
    const Primitive* text = canvas.findText("AB");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->color, c.text);
    // "AB" is 14 pixels wide and 14 high: centred on x 130, and in the 24-pixel height.
    EXPECT_EQ(text->rect.left, 130 - 7 + c.shift);
    EXPECT_EQ(text->rect.top, 30 + 5 + c.shift);
    // A top line of one pixel, except while pressed.
    bool topLine = std::any_of(p.begin(), p.end(), [&](const Primitive& q) {
      return q.kind == Primitive::FillRect && q.rect == Rect{101, 31, 159, 32};
    });
    EXPECT_EQ(topLine, c.look != LookPressed);
  }
}

TEST(TabBar, ButtonsAndActions) {
  BarsFixture f;
  f.paint();
  // Period buttons from x 10, text + 16 wide, 4 apart, in the 64..92 band.
  const HitArea* day = f.area(HitKind::PeriodButton, 0);
  ASSERT_NE(day, nullptr);
  EXPECT_EQ((Rect{day->left, day->top, day->right, day->bottom}), (Rect{10, 64, 10 + 28 + 16, 92}));
  const HitArea* week = f.area(HitKind::PeriodButton, 1);
  EXPECT_EQ(week->left, day->right + 4);
  const HitArea* kline = f.area(HitKind::ChartKindButton, 0);
  const HitArea* intraday = f.area(HitKind::ChartKindButton, 1);
  ASSERT_NE(kline, nullptr);
  ASSERT_NE(intraday, nullptr);
  EXPECT_EQ(intraday->left, kline->left + 52);
  EXPECT_EQ(f.area(HitKind::ToggleVolumePanel)->left, kline->left + 115);
  EXPECT_EQ(f.area(HitKind::PeriodButton, 8), nullptr) << "periods 8 to 11 have no button";

  struct Case {
    const char* what;
    HitKind kind;
    int index;
    std::function<bool(const AppState&)> done;
  } cases[] = {
      {"weekly", HitKind::PeriodButton, 1, [](const AppState& a) { return a.view.period == PeriodWeek && !a.view.trend; }},
      {"BOLL", HitKind::MainIndicatorButton, 1, [](const AppState& a) { return a.view.mainInd == MainBOLL; }},
      {"RSI", HitKind::SubIndicatorButton, 2, [](const AppState& a) { return a.view.subInd == SubRSI; }},
      {"intraday", HitKind::ChartKindButton, 1, [](const AppState& a) { return a.view.trend; }},
      {"K-line", HitKind::ChartKindButton, 0, [](const AppState& a) { return !a.view.trend; }},
      {"volume off", HitKind::ToggleVolumePanel, 0, [](const AppState& a) { return !a.view.showVol; }},
      {"sub off", HitKind::ToggleSubPanel, 0, [](const AppState& a) { return !a.view.showSub; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const HitArea* h = f.area(c.kind, c.index);
    ASSERT_NE(h, nullptr);
    HitArea copy = *h;
    f.click(copy);
    EXPECT_TRUE(c.done(f.app));
  }
  // The active button is drawn red.
  EXPECT_EQ(f.face(*f.area(HitKind::PeriodButton, 1)), rgb(172, 32, 32));
  EXPECT_EQ(f.face(*f.area(HitKind::PeriodButton, 0)), rgb(38, 40, 48));
}

TEST(TabBar, TrainingTabsHaveNoIntradayButton) {
  for (TradeTab tab : {TradeTab::KlineTraining, TradeTab::KlineTraining2}) {
    BarsFixture f;
    f.paint();
    const HitArea where = *f.area(HitKind::ChartKindButton, 1);
    f.app.mode.tradeTab = tab;
    f.paint();
    EXPECT_EQ(f.area(HitKind::ChartKindButton, 1), nullptr);
    EXPECT_EQ(f.canvas.findText("分时"), nullptr);
    f.clickAt((where.left + where.right) / 2, (where.top + where.bottom) / 2);
    EXPECT_FALSE(f.app.view.trend) << "a click where it would be does nothing";
  }
}

TEST(Toolbar, ReplayRowWithoutAndWithAReplay) {
  BarsFixture f;
  f.paint();
  // No replay: fields, the start button in green, next day, F12; no pause or speeds.
  struct Where {
    HitKind kind;
    int index;
    Rect rect;
  } fixed[] = {
      {HitKind::ReplayCodeField, 3, {54, 30, 134, 54}},
      {HitKind::ReplayDateField, 2, {176, 30, 266, 54}},
      {HitKind::ReplayStartStop, 0, {274, 30, 374, 54}},
      {HitKind::ReplayNextDay, 0, {390, 30, 404 + 4 * 14, 54}},  // "下一天▶": four wide characters
      {HitKind::F12Trading, 0, {kW - (21 + 28) - 26, 30, kW - 8, 54}},
  };
  for (const Where& w : fixed) {
    const HitArea* h = f.area(w.kind, w.index);
    ASSERT_NE(h, nullptr) << hitKindValue(w.kind);
    EXPECT_EQ((Rect{h->left, h->top, h->right, h->bottom}), w.rect) << hitKindValue(w.kind);
  }
  EXPECT_EQ(f.face(*f.area(HitKind::ReplayStartStop)), rgb(0, 120, 60));
  EXPECT_NE(f.canvas.findText("开始训练 ▶"), nullptr);
  EXPECT_NE(f.canvas.findText("输入代码"), nullptr);
  EXPECT_EQ(f.area(HitKind::ReplayPause), nullptr);
  EXPECT_EQ(f.area(HitKind::ReplaySpeed, 0), nullptr);

  // A replay at 333 ms: "6x" blue, the other speeds grey; "停止训练 ■" active.
  f.app.replay.training = true;
  f.app.replay.replayIntervalMs = 333;
  f.paint();
  EXPECT_NE(f.canvas.findText("停止训练 ■"), nullptr);
  EXPECT_EQ(f.face(*f.area(HitKind::ReplayStartStop)), rgb(172, 32, 32));
  EXPECT_NE(f.canvas.findText("暂停 ⏸"), nullptr);
  EXPECT_EQ(f.face(*f.area(HitKind::ReplayPause)), rgb(150, 118, 42));
  for (int i = 0; i <= 6; ++i) {
    const HitArea* h = f.area(HitKind::ReplaySpeed, i);
    ASSERT_NE(h, nullptr) << i;
    EXPECT_EQ(f.face(*h), i == 2 ? rgb(60, 90, 140) : rgb(38, 40, 48)) << i;
  }
  EXPECT_EQ(f.area(HitKind::ReplaySpeed, 0)->left, f.area(HitKind::ReplayPause)->right + 8);

  // "全天" lights until another speed is chosen.
  HitArea fullDay = *f.area(HitKind::ReplaySpeed, 6);
  f.app.replay.fullDayShown = true;  // what choosing the whole day leaves behind
  f.paint();
  EXPECT_EQ(f.face(*f.area(HitKind::ReplaySpeed, 6)), rgb(60, 90, 140));
  HitArea fast = *f.area(HitKind::ReplaySpeed, 5);
  f.click(fast);
  EXPECT_EQ(f.app.replay.replayIntervalMs, 42);
  EXPECT_FALSE(f.app.replay.fullDayShown);
  EXPECT_EQ(f.face(*f.area(HitKind::ReplaySpeed, 6)), rgb(38, 40, 48));
  EXPECT_EQ(f.face(*f.area(HitKind::ReplaySpeed, 5)), rgb(60, 90, 140));
  (void)fullDay;
}

TEST(Toolbar, FieldsTakeTheFocusAndShowTheirText) {
  BarsFixture f;
  f.paint();
  f.click(*f.area(HitKind::ReplayCodeField, 3));
  EXPECT_EQ(f.app.win.tradeFocus, 3);
  EXPECT_NE(f.canvas.findText("|"), nullptr) << "an empty focused field shows a bar";
  EXPECT_EQ(f.canvas.findText("输入代码"), nullptr);
  for (char32_t ch : U"60a00!0") if (ch) onChar(f.app, ch);
  onKeyDown(f.app, KeyBackspace, 0);
  EXPECT_EQ(f.app.replay.replayCode, "60a00") << "letters and digits only";
  onKeyDown(f.app, KeyEscape, 0);
  EXPECT_EQ(f.app.win.tradeFocus, 0);
  f.app.replay.replayCode.clear();
  f.paint();
  f.click(*f.area(HitKind::ReplayCodeField, 3));

  // Into the date field while a replay runs: asked; No keeps the replay, the field focuses.
  f.app.replay.training = true;
  f.ui.answers = {ResultNo};
  f.paint();
  HitArea date = *f.area(HitKind::ReplayDateField, 2);
  f.click(date);
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].caption, "训练中 · 切换日期确认");
  EXPECT_TRUE(f.app.replay.training);
  EXPECT_EQ(f.app.win.tradeFocus, 2);
  EXPECT_EQ(f.app.win.statusText, "当前训练继续（日期框已可编辑：改完点【开始训练】会先停当前训练，再用新日期开练）");

  f.app.replay.dateBox.clear();
  for (char32_t ch : U"1999123120240105") if (ch) onChar(f.app, ch);
  EXPECT_EQ(f.app.replay.dateBox, "20240105") << "a digit typed into a full date starts a new one";

  // The date text, masked during a blind game.
  f.paint();
  EXPECT_NE(f.canvas.findText("20240105"), nullptr);
  f.app.train.active = true;
  f.paint();
  EXPECT_EQ(f.canvas.findText("20240105"), nullptr);
  EXPECT_NE(f.canvas.findText("****-**-**"), nullptr);
}

TEST(Toolbar, RealTimeTabsShowTheCaptionAndF12) {
  BarsFixture f;
  f.app.mode.tradeMode = TradeMode::RealTime;
  f.app.mode.tradeTab = TradeTab::RealTime;
  f.paint();
  const Primitive* caption = f.canvas.findText("实时行情");
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->rect.left, 20);
  EXPECT_EQ(f.area(HitKind::ReplayCodeField, 3), nullptr);
  const HitArea* f12 = f.area(HitKind::F12Trading);
  ASSERT_NE(f12, nullptr);
  EXPECT_EQ(f.face(*f12), rgb(30, 89, 180));
  f.click(*f12);
  EXPECT_TRUE(f.app.view.tradeView);
}

TEST(StatusLine, DirectoriesCountsAndSelection) {
  struct Case {
    const char* what;
    std::string datDir;
    bool datExists;
    std::string lc1Dir;
    bool lc1Exists;
    double last, prevClose;
    const char* want;
  } cases[] = {
      {"empty DAT, existing vipdoc", "", false, "/vip", true, 10, 9, "数据1待配置  数据2已生效"},
      {"missing DAT", "/dat", false, "", false, 10, 9, "数据1没生效  数据2待配置"},
      {"equal close counts as rising", "", false, "", false, 10, 10, "上涨 1  下跌 0"},
      {"a fall", "", false, "", false, 9, 10, "上涨 0  下跌 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BarsFixture f;
    f.app.config.datDir = c.datDir;
    f.app.config.datDirExists = c.datExists;
    f.app.config.lc1Dir = c.lc1Dir;
    f.app.config.lc1DirExists = c.lc1Exists;
    f.app.market.stocks[0].lastPrice = c.last;
    f.app.market.stocks[0].prevClose = c.prevClose;
    std::string line = statusLineText(f.app, "2024-01-02 09:30:00");
    EXPECT_NE(line.find(c.want), std::string::npos) << line;
    EXPECT_NE(line.find("当前: 浦发银行(600000)"), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace zor

namespace zor {
namespace {

TEST(TabBar, HoverPressAndReleaseElsewhere) {
  BarsFixture f;
  f.paint();
  const HitArea month = *f.area(HitKind::PeriodButton, 2);
  const int x = (month.left + month.right) / 2, y = (month.top + month.bottom) / 2;
  onMouseMove(f.app, x, y);
  f.paint();
  EXPECT_EQ(f.face(month), rgb(52, 56, 68)) << "hover face";
  onLeftButtonDown(f.app, x, y, 0);
  f.paint();
  EXPECT_EQ(f.face(month), rgb(16, 17, 22)) << "pressed face";
  EXPECT_NE(f.app.view.period, PeriodMonth) << "nothing happens on the press";
  onLeftButtonUp(f.app, x, month.bottom + 40);  // released elsewhere
  f.paint();
  EXPECT_NE(f.app.view.period, PeriodMonth);
  onMouseMove(f.app, x, month.bottom + 40);
  f.paint();
  EXPECT_EQ(f.face(month), rgb(38, 40, 48));
}

}  // namespace
}  // namespace zor
