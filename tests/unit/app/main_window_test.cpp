// The main window's title strip, menu bar and caption buttons as painted, the caption hit
// test, hover and click handling, the menu commands, the list-view fallback, the status line
// and the timers.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/main_window.h"
#include "app/shell_panels.h"
#include "app/state_query.h"
#include "app/timers.h"
#include "platform/trace_log.h"
#include "recording_canvas.h"
#include "temp_dir.h"
#include "test_ui.h"

namespace zor {
namespace {

constexpr int kW = 1180, kH = 720;

// Answers pop-up menus from a queue and records what was shown, with the open menu-bar item
// seen while the pop-up was up.
class MenuUi : public TestUi {
 public:
  int popupMenu(const std::vector<MenuEntry>& entries, int x, int y) override {
    menus.push_back(entries);
    at.push_back({x, y});
    openWhileShown = app ? app->win.openMenu : -2;
    return answer;
  }
  std::vector<std::vector<MenuEntry>> menus;
  std::vector<std::pair<int, int>> at;
  int answer = 0;
  int openWhileShown = -2;
  AppState* app = nullptr;
};

// A canvas with other system metrics: every text 10 pixels wide, caption buttons 30 x 30.
class OddMetricsCanvas : public RecordingCanvas {
 public:
  using RecordingCanvas::RecordingCanvas;
  Size textSize(std::string_view) override { return Size{10, 14}; }
  Size captionButtonSize() override { return Size{30, 30}; }
};

struct Fixture {
  AppState app;
  MenuUi ui;
  RecordingCanvas canvas{kW, kH};
  Fixture() {
    app.ui = &ui;
    ui.app = &app;
  }
  void paint() {
    canvas.clear();
    onPaint(app, canvas);
  }
};

std::vector<const Primitive*> find(const RecordingCanvas& c, Primitive::Kind kind) {
  std::vector<const Primitive*> out;
  for (const Primitive& p : c.primitives())
    if (p.kind == kind) out.push_back(&p);
  return out;
}

bool hasFill(const RecordingCanvas& c, const Rect& r, Color col) {
  for (const Primitive* p : find(c, Primitive::FillRect))
    if (p->rect == r && p->color == col) return true;
  return false;
}

bool hasFrame(const RecordingCanvas& c, const Rect& r, Color col) {
  for (const Primitive* p : find(c, Primitive::FrameRect))
    if (p->rect == r && p->color == col) return true;
  return false;
}

void addStocks(AppState& app, int n) {
  for (int i = 0; i < n; ++i) {
    StockRecord s;
    s.code = "60000" + std::to_string(i);
    s.name = "股票" + std::to_string(i);
    s.index = i;
    s.dayLoaded = s.minLoaded = true;  // nothing to load from disk
    app.market.stocks.push_back(s);
  }
}

TEST(MainWindowPaint, TitleStrip) {
  constexpr int kW = 1400;  // wide enough to centre the title clear of the menu bar
  AppState a;
  RecordingCanvas c(kW, kH);
  onPaint(a, c);
  ASSERT_FALSE(c.primitives().empty());
  EXPECT_EQ(c.primitives()[0].kind, Primitive::FillRect);  // the whole client black first
  EXPECT_EQ(c.primitives()[0].rect, (Rect{0, 0, kW, kH}));
  EXPECT_EQ(c.primitives()[0].color, 0u);
  EXPECT_TRUE(hasFill(c, Rect{0, 0, kW, 24}, rgb(240, 240, 240)));

  bool shadowLine = false;
  for (const Primitive* p : find(c, Primitive::Line))
    shadowLine |= p->pts[0].y == 23 && p->pts[1].y == 23 && p->pts[0].x == 0 && p->pts[1].x == kW &&
                  p->color == rgb(160, 160, 160);
  EXPECT_TRUE(shadowLine);

  auto icons = find(c, Primitive::Icon);
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_EQ(icons[0]->rect, (Rect{5, 4, 21, 20}));

  const Primitive* title = c.findText("澄川K线回放训练软件");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->font, (Font{"Microsoft YaHei", 15, true}));
  EXPECT_EQ(title->rect, (Rect{0, 0, kW, 24}));
  EXPECT_EQ(title->align, unsigned(AlignCenter | AlignVCenter));
  EXPECT_EQ(title->color, 0u);

  // Too narrow to centre it clear of the menu bar (items end at 554): it starts after the
  // items and is clipped before the caption buttons.
  AppState app;
  RecordingCanvas narrow(900, 600);
  onPaint(app, narrow);
  title = narrow.findText("澄川K线回放训练软件");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->rect, (Rect{562, 0, 900 - 108 - 12, 24}));
  EXPECT_EQ(title->align, unsigned(AlignLeft | AlignVCenter));
  EXPECT_EQ(title->clip, title->rect);
}

TEST(MainWindowPaint, MenuBarItemsFromX30) {
  // Recording metrics: 14 pixels per CJK character, 7 per ASCII one; width = text + 14.
  struct Case {
    const char* text;
    int left, right;
  } cases[] = {{"设置(S)", 30, 93},   {"资金(Z)", 101, 164}, {"画图(H)", 172, 235},   {"复盘(G)", 243, 306},
               {"训练模式(M)", 314, 405}, {"数据接口", 413, 483}, {"关于(A)", 491, 554}};
  Fixture f;
  f.paint();
  for (int i = 0; i < kMenuBarItemCount; ++i) {
    const Case& k = cases[i];
    SCOPED_TRACE(k.text);
    const Primitive* t = f.canvas.findText(k.text);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->font, (Font{"Microsoft YaHei", 14, false}));
    EXPECT_EQ(t->rect, (Rect{k.left, 0, k.right, 24}));
    const HitArea& r = f.app.win.painted.menuRects[size_t(i)];
    EXPECT_EQ((Rect{r.left, r.top, r.right, r.bottom}), (Rect{k.left, 0, k.right, 24}));
  }
  EXPECT_EQ(queryState(f.app, QueryHitCount, hitKindValue(HitKind::MenuBarItem), 0), 7);

  // Narrow texts still give 48-pixel items, 8 apart.
  AppState app;
  OddMetricsCanvas narrow(kW, kH);
  onPaint(app, narrow);
  for (int i = 0; i < kMenuBarItemCount; ++i) {
    EXPECT_EQ(app.win.painted.menuRects[size_t(i)].left, 30 + 56 * i);
    EXPECT_EQ(app.win.painted.menuRects[size_t(i)].right, 30 + 56 * i + 48);
  }
}

TEST(MainWindowPaint, OpenAndHoveredMenuItems) {
  Fixture f;
  f.app.win.openMenu = 1;
  f.app.win.hoverMenu = 3;
  f.paint();
  Rect open{101, 0, 164, 24}, hover{243, 0, 306, 24}, plain{30, 0, 93, 24};
  EXPECT_TRUE(hasFill(f.canvas, open, rgb(169, 205, 245)));
  EXPECT_TRUE(hasFrame(f.canvas, open, rgb(58, 141, 229)));
  EXPECT_TRUE(hasFill(f.canvas, hover, rgb(214, 232, 251)));
  EXPECT_TRUE(hasFrame(f.canvas, hover, rgb(58, 141, 229)));
  EXPECT_FALSE(hasFrame(f.canvas, plain, rgb(58, 141, 229)));
}

TEST(MainWindowPaint, CaptionButtons) {
  auto buttons = [](const RecordingCanvas& c) { return find(c, Primitive::CaptionButtonKind); };
  auto code = [](CaptionButton k, ButtonState s) { return int(k) * 16 + int(s); };

  Fixture f;
  f.app.win.captionHover = {false, false, true};
  f.app.win.captionPressed = {true, false, false};
  f.paint();
  auto b = buttons(f.canvas);
  ASSERT_EQ(b.size(), 3u);
  // 36 x 22 buttons from W - 3 * 36 - 12, centred in the 24-pixel strip.
  EXPECT_EQ(b[0]->rect, (Rect{1060, 1, 1096, 23}));
  EXPECT_EQ(b[1]->rect, (Rect{1096, 1, 1132, 23}));
  EXPECT_EQ(b[2]->rect, (Rect{1132, 1, 1168, 23}));
  EXPECT_EQ(b[0]->extra, code(CaptionButton::Minimize, ButtonState::Pressed));
  EXPECT_EQ(b[1]->extra, code(CaptionButton::Maximize, ButtonState::Normal));
  EXPECT_EQ(b[2]->extra, code(CaptionButton::Close, ButtonState::Hot));
  EXPECT_EQ(queryState(f.app, QueryHitCentre, hitKindValue(HitKind::CaptionButton) | (2 << 16), 0), 1150 * 65536 + 12);

  f.app.win.maximized = true;
  f.paint();
  EXPECT_EQ(buttons(f.canvas)[1]->extra, code(CaptionButton::Restore, ButtonState::Normal));

  // Taller system buttons are cut to the strip.
  AppState app;
  OddMetricsCanvas odd(800, 600);
  onPaint(app, odd);
  EXPECT_EQ(buttons(odd)[0]->rect, (Rect{800 - 90 - 12, 0, 800 - 60 - 12, 24}));
}

TEST(MainWindowHitTest, TopStripIsCaptionExceptItemsAndButtons) {
  Fixture f;
  f.paint();
  struct Case {
    int x, y;
    bool caption;
  } cases[] = {
      {10, 5, true},      // left of the first item
      {30, 0, false},     // first item's corner
      {97, 12, true},     // the gap between two items
      {700, 12, true},    // over the title
      {1060, 12, false},  // minimise
      {1167, 22, false},  // close
      {1175, 5, true},    // the right margin
      {1063, 0, true},    // above the buttons' 22 pixels
      {500, 24, false},   // below the strip
      {500, -1, false},
  };
  for (const Case& k : cases) EXPECT_EQ(isCaptionPoint(f.app, k.x, k.y), k.caption) << k.x << "," << k.y;
}

TEST(MainWindowMouse, HoverRepaintsOnlyOnChange) {
  Fixture f;
  f.paint();
  f.app.win.painted.hitAreas.push_back(HitArea{100, 100, 200, 130, HitKind::PeriodButton, 3});  // a press-and-release button

  struct Step {
    int x, y;
    Repaint want;
  } steps[] = {
      {700, 300, Repaint::None},        // nothing under the pointer
      {1070, 10, Repaint::TitleStrip},  // onto minimise
      {1071, 11, Repaint::None},        // still on it
      {40, 10, Repaint::TitleStrip},    // onto 设置
      {700, 10, Repaint::TitleStrip},   // off the items
      {150, 110, Repaint::All},         // onto the button
      {151, 111, Repaint::None},
      {150, 300, Repaint::All},         // off it
  };
  for (const Step& s : steps) EXPECT_EQ(onMouseMove(f.app, s.x, s.y).repaint, s.want) << s.x << "," << s.y;

  onMouseMove(f.app, 40, 10);
  EXPECT_EQ(f.app.win.hoverMenu, 0);
  EXPECT_EQ(queryState(f.app, QueryValue, QMouse, 0), 40 * 65536 + 10);
  EXPECT_EQ(onMouseLeave(f.app), Repaint::TitleStrip);
  EXPECT_EQ(f.app.win.hoverMenu, -1);
  EXPECT_EQ(queryState(f.app, QueryValue, QMouse, 0), -1);
  EXPECT_EQ(onMouseLeave(f.app), Repaint::None);

  onMouseMove(f.app, 150, 110);
  EXPECT_EQ(f.app.win.hover, (HitRef{HitKind::PeriodButton, 3}));
}

TEST(MainWindowMouse, HoverTellsIndexSixteenOfOneKindFromIndexZeroOfTheNext) {
  // Kind 1 index 16 and kind 2 index 0 once shared one packed number (kind * 16 + index), so
  // moving between them neither repainted nor changed what was highlighted.
  Fixture f;
  f.paint();
  f.app.win.painted.hitAreas.push_back(HitArea{100, 100, 150, 130, HitKind::PeriodButton, 16});
  f.app.win.painted.hitAreas.push_back(HitArea{150, 100, 200, 130, HitKind::MainIndicatorButton, 0});
  EXPECT_EQ(onMouseMove(f.app, 120, 110).repaint, Repaint::All);
  EXPECT_EQ(f.app.win.hover, (HitRef{HitKind::PeriodButton, 16}));
  EXPECT_EQ(onMouseMove(f.app, 170, 110).repaint, Repaint::All);
  EXPECT_EQ(f.app.win.hover, (HitRef{HitKind::MainIndicatorButton, 0}));
  onLeftButtonDown(f.app, 120, 110, 0);
  EXPECT_EQ(f.app.win.pressed, (HitRef{HitKind::PeriodButton, 16}));
}

TEST(MainWindowMouse, HoverTraceOnlyWithMessageTracing) {
  TempDir dir;
  openTraceLog(dir.path());
  Fixture f;
  f.paint();
  onMouseMove(f.app, 1070, 10);  // tracing off: no line
  onMouseMove(f.app, 700, 10);
  setMsgTrace(true);
  onMouseMove(f.app, 1140, 10);
  onMouseMove(f.app, 1141, 10);  // no change, no line
  setMsgTrace(false);
  closeTraceLog();
  std::string log = dir.read("zor_trace.log");
  EXPECT_EQ(log.find("HOVER btn x=1070"), std::string::npos);
  EXPECT_NE(log.find("HOVER btn x=1140 y=10 -> 001\n"), std::string::npos);
  EXPECT_EQ(log.find("x=1141"), std::string::npos);
}

TEST(MainWindowMouse, CaptionButtonsActOnPress) {
  struct Case {
    int x;
    WindowAction action;
    int slot;
  } cases[] = {{1070, WindowAction::Minimize, 0}, {1100, WindowAction::MaximizeOrRestore, 1}, {1150, WindowAction::Close, 2}};
  for (const Case& k : cases) {
    Fixture f;
    f.paint();
    MouseResult r = onLeftButtonDown(f.app, k.x, 12, 0);
    EXPECT_EQ(r.action, k.action);
    EXPECT_TRUE(r.capture);
    EXPECT_EQ(r.repaint, Repaint::TitleStrip);
    EXPECT_TRUE(f.app.win.captionPressed[size_t(k.slot)]);
    EXPECT_EQ(onLeftButtonUp(f.app, k.x, 12).repaint, Repaint::TitleStrip);
    EXPECT_FALSE(f.app.win.captionPressed[size_t(k.slot)]);
  }
  Fixture f;
  f.paint();
  EXPECT_EQ(onLeftButtonDown(f.app, 700, 12, 0).action, WindowAction::None);  // the caption itself
  onLeftButtonDown(f.app, 1070, 12, 0);
  EXPECT_EQ(onCaptureLost(f.app), Repaint::TitleStrip);
  EXPECT_FALSE(f.app.win.captionPressed[0]);
}

TEST(MainWindowMenu, SettingsPopupSwitchesTheTradingRule) {
  Fixture f;
  f.paint();
  f.ui.answer = int(CommandId::TPlusZero);
  onLeftButtonDown(f.app, 40, 10, 0);
  ASSERT_EQ(f.ui.menus.size(), 1u);
  EXPECT_EQ(f.ui.at[0], (std::pair<int, int>{40, 24}));
  EXPECT_EQ(f.ui.openWhileShown, MenuSettings);  // shown open while the pop-up is up
  EXPECT_EQ(f.app.win.openMenu, -1);
  const auto& m = f.ui.menus[0];
  ASSERT_EQ(m.size(), 11u);
  EXPECT_EQ(m[0].text, "数据配置(D)...");
  EXPECT_EQ(m[1].id, 0);  // separator
  EXPECT_EQ(m[2].id, int(CommandId::TPlusOne));
  EXPECT_TRUE(m[2].checked);
  EXPECT_FALSE(m[3].checked);
  EXPECT_EQ(m[10].text, "在线更新（检查新版本）(U)...");

  EXPECT_FALSE(f.app.trading.tPlusOne);
  EXPECT_EQ(f.app.win.statusText, "交易规则已切换为 T+0（当日可回转）");
  EXPECT_EQ(queryState(f.app, QueryValue, QTPlusOne, 0), 0);
  EXPECT_TRUE(settingsMenu(f.app)[3].checked);

  onCommand(f.app, int(CommandId::TPlusOne));
  EXPECT_EQ(f.app.win.statusText, "交易规则已切换为 T+1（当日买入不可卖）");

  // Dismissing the pop-up changes nothing; 画图 shows its own list.
  f.ui.answer = 0;
  onLeftButtonDown(f.app, 200, 10, 0);
  ASSERT_EQ(f.ui.menus.size(), 2u);
  EXPECT_EQ(f.ui.menus[1].size(), 21u);
  EXPECT_EQ(f.ui.menus[1][2].text, "直线/趋势线");
  EXPECT_TRUE(f.app.trading.tPlusOne);
}

TEST(MainWindowListView, EmptyListShowsHeaderAndStatusLine) {
  Fixture f;
  f.app.win.statusText = "交易规则已切换为 T+1（当日买入不可卖）";
  f.paint();
  EXPECT_TRUE(hasFill(f.canvas, Rect{0, 60, kW, kH - 46}, 0));
  for (const char* h : {"代码", "名称", "涨幅%", "现价"}) {
    // The toolbar above has a "代码" of its own: take the header's, below the toolbar.
    const Primitive* t = nullptr;
    for (const Primitive& p : f.canvas.primitives())
      if (p.kind == Primitive::Text && p.text == h && p.rect.top >= 60 && !t) t = &p;
    ASSERT_NE(t, nullptr) << h;
    EXPECT_EQ(t->font, (Font{"Microsoft YaHei", 16, false}));
    EXPECT_EQ(t->rect.top, 63);
  }
  EXPECT_EQ(queryState(f.app, QueryHitCount, 6, 0), 0);

  EXPECT_TRUE(hasFill(f.canvas, Rect{0, kH - 24, kW, kH}, rgb(240, 240, 245)));
  const Primitive* msg = f.canvas.findText(f.app.win.statusText);
  ASSERT_NE(msg, nullptr);
  EXPECT_EQ(msg->rect.right, kW - 8);
  EXPECT_EQ(msg->align & AlignRight, unsigned(AlignRight));
  EXPECT_EQ(msg->color, rgb(176, 0, 0));
  // The state line is clipped before the message.
  for (const Primitive& p : f.canvas.primitives())
    if (p.kind == Primitive::Text && p.text.rfind("澄川K线回放训练软件  |", 0) == 0) {
      EXPECT_EQ(p.rect.left, 8);
      EXPECT_EQ(p.rect.top, kH - 20);
      EXPECT_LE(p.clip.right, msg->rect.right - f.canvas.textSize(f.app.win.statusText).cx);
    }
}

TEST(MainWindowListView, ChartViewWithoutInstrumentsFallsBackToTheList) {
  Fixture f;
  f.app.view.listView = false;
  f.app.view.barCount = 50;
  f.paint();
  EXPECT_TRUE(f.app.view.listView);
  EXPECT_EQ(f.app.view.barCount, 0);
  EXPECT_EQ(queryState(f.app, QueryViewBits, 0, 0) & ViewList, int64_t(ViewList));
}

TEST(MainWindowListView, RowsSelectAndOpen) {
  Fixture f;
  addStocks(f.app, 3);
  f.app.market.stocks[1].lastPrice = 10.5;
  f.app.market.stocks[1].prevClose = 10;
  f.paint();
  EXPECT_EQ(queryState(f.app, QueryHitCount, 6, 0), 3);
  const Primitive* chg = f.canvas.findText("5.00");
  ASSERT_NE(chg, nullptr);
  EXPECT_EQ(chg->color, rgb(255, 0, 0));
  ASSERT_NE(f.canvas.findText("0.50"), nullptr);

  int64_t c = queryState(f.app, QueryHitCentre, 6 | (2 << 16), 0);
  ASSERT_GE(c, 0);
  onLeftButtonDown(f.app, int(c / 65536), int(c % 65536), 0);
  EXPECT_EQ(f.app.view.curIdx, 2);
  EXPECT_EQ(f.app.list.codeEntry, "600002");
  EXPECT_TRUE(f.app.view.listView);

  c = queryState(f.app, QueryHitCentre, 6 | (1 << 16), 0);
  onLeftDoubleClick(f.app, int(c / 65536), int(c % 65536), 0);
  EXPECT_EQ(f.app.view.curIdx, 1);
  EXPECT_FALSE(f.app.view.listView);
  EXPECT_EQ(f.app.view.period, PeriodDay);
  EXPECT_EQ(f.app.list.codeEntry, "");
}

TEST(MainWindowStatusLine, CompositeText) {
  TempDir dir;
  AppState app;
  app.config.lc1Dir = dir.path();
  checkDataDirs(app.config);  // the status line shows what was found, not what it asks
  addStocks(app, 3);
  app.market.stocks[0].lastPrice = app.market.stocks[0].prevClose = 5;  // unchanged counts as rising
  app.market.stocks[1].lastPrice = 4;
  app.market.stocks[1].prevClose = 5;
  app.view.curIdx = 1;
  EXPECT_EQ(statusLineText(app, "2024-05-15 10:00:00"),
            "澄川K线回放训练软件  |  数据1待配置  数据2已生效  |  上涨 2  下跌 1  |  当前: 股票1(600001)  |  "
            "2024-05-15 10:00:00");
  app.config.datDir = dir.file("missing");
  checkDataDirs(app.config);
  app.view.curIdx = 7;
  EXPECT_NE(statusLineText(app, "").find("数据1没生效"), std::string::npos);
  EXPECT_NE(statusLineText(app, "").find("当前: —()"), std::string::npos);
  app.view.curIdx = 1;
  app.train.active = true;
  app.train.stockIdx = 1;
  EXPECT_NE(statusLineText(app, "").find("当前: ******(******)"), std::string::npos);
}

TEST(MainWindowTimers, CreationAndTicks) {
  Fixture f;
  onCreate(f.app, 12345);
  ASSERT_EQ(f.ui.timers.size(), 2u);
  EXPECT_EQ(f.ui.timers[0], (std::pair<int, int>{1, 700}));
  EXPECT_EQ(f.ui.timers[1].first, 3);
  EXPECT_GE(f.ui.timers[1].second, 3000);
  EXPECT_LE(f.ui.timers[1].second, 6000);

  onTimer(f.app, 1);
  EXPECT_FALSE(f.app.win.blink);  // no focused field: no blink
  f.app.win.tradeFocus = 2;
  onTimer(f.app, 1);
  EXPECT_TRUE(f.app.win.blink);
  EXPECT_EQ(f.ui.repaints, 2);

  // The tick also refreshes the rows of a painted quote list (instruments without files simply
  // end up loaded with no bars).
  f.app.market.stocks.resize(3);
  f.app.view.listView = true;
  f.app.win.painted.listRows = quoteListRows(300);
  onTimer(f.app, 1);
  for (const StockRecord& r : f.app.market.stocks) EXPECT_TRUE(r.dayLoaded && r.minLoaded);
  f.app.market.stocks.clear();

  TempDir dir;
  openTraceLog(dir.path());
  for (int i = 0; i < 50; ++i) {
    unsigned next = onTimer(f.app, 3);
    EXPECT_GE(next, 3000u);
    EXPECT_LE(next, 6000u);
  }
  setMsgTrace(true);
  onTimer(f.app, 3);
  setMsgTrace(false);
  closeTraceLog();
  std::string log = dir.read("zor_trace.log");
  size_t first = log.find("WM_TIMER_FENSHI trend=0 liveStockIdx=-1 liveOK=0 stocks=0 tradingTime=");
  EXPECT_NE(first, std::string::npos);
  EXPECT_EQ(log.find("WM_TIMER_FENSHI", first + 1), std::string::npos);  // only the traced tick
  EXPECT_EQ(log.find("fetchIntradayData"), std::string::npos);         // replay mode never fetches
}

TEST(MainWindowTimers, TradingTime) {
  struct Case {
    int weekday, hour, minute;
    bool open;
  } cases[] = {{1, 9, 29, false}, {1, 9, 30, true},  {3, 11, 30, true}, {3, 11, 31, false}, {5, 12, 59, false},
               {5, 13, 0, true},  {5, 15, 0, true},  {5, 15, 1, false}, {6, 10, 0, false},  {0, 10, 0, false}};
  for (const Case& k : cases) {
    LocalTime t;
    t.weekday = k.weekday;
    t.hour = k.hour;
    t.minute = k.minute;
    EXPECT_EQ(isTradingTime(t), k.open) << k.weekday << " " << k.hour << ":" << k.minute;
  }
}

TEST(ShellPanels, LargeNumbers) {
  struct Case {
    double v;
    const char* want;
  } cases[] = {{0, ""}, {-5, ""}, {9999, "9999"}, {10000, "1.0万"}, {123456, "12.3万"}, {99999999, "10000.0万"},
               {100000000, "1.00亿"}, {2.5e9, "25.00亿"}};
  for (const Case& k : cases) EXPECT_EQ(largeNumberText(k.v), k.want) << k.v;
}

}  // namespace
}  // namespace zor
