// The main window's keyboard table in its order, character input, the right button's menus, the
// wheel over the quote list and the settings menu's commands, driven on a small market whose
// instruments need no disk.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/context_menus.h"
#include "app/keyboard.h"
#include "app/main_window.h"
#include "app/replay_ops.h"
#include "temp_dir.h"
#include "test_ui.h"

namespace zor {
namespace {

class MenuUi : public TestUi {
 public:
  int popupMenu(const std::vector<MenuEntry>& entries, int, int) override {
    menus.push_back(entries);
    return answer;
  }
  std::vector<std::vector<MenuEntry>> menus;
  int answer = 0;
};

struct Fixture {
  AppState app;
  MenuUi ui;
  explicit Fixture(int stocks = 5) {
    app.ui = &ui;
    for (int i = 0; i < stocks; ++i) {
      StockRecord s;
      char code[8];
      std::snprintf(code, sizeof code, "6000%02d", i);
      s.code = code;
      s.name = "股票" + std::to_string(i);
      s.index = i;
      s.dayLoaded = s.minLoaded = true;  // nothing to load from disk
      app.market.stocks.push_back(s);
    }
    app.view.listView = true;
  }
  void type(const std::string& text) {
    for (char c : text) onChar(app, char32_t(c));
  }
  // A chart shown as painted: 812 pixels wide, `length` bars in the series.
  void showChart(int length = 4000) {
    app.view.listView = false;
    ChartGeometry& g = app.win.painted.chart;
    g.valid = true;
    g.chartArea = Rect{0, 0, 812, 500};
    g.seriesLength = length;
    g.window.count = 100;
  }
};

TEST(KeyboardList, CodeEntryTakesDigitsUpToNineAndEditsWithBackspaceAndEsc) {
  Fixture f;
  f.type("60a0001234567");  // the letter is not a digit; the tenth digit does not fit
  EXPECT_EQ(f.app.list.codeEntry, "600001234");
  onKeyDown(f.app, KeyBackspace, 0);
  EXPECT_EQ(f.app.list.codeEntry, "60000123");
  onKeyDown(f.app, KeyEscape, 0);
  EXPECT_EQ(f.app.list.codeEntry, "");
  EXPECT_TRUE(f.app.view.listView);  // Esc in the list clears the entry and stays
}

TEST(KeyboardList, EnterOpensTheEnteredInstrumentOnTheIntradayChart) {
  struct Case {
    std::string typed;
    int wantIdx;  // -1: nothing opens
  } cases[] = {
      {"600003", 3},  // an exact code
      {"60000", 0},   // a prefix takes the first instrument that starts with it
      {"600099", -1},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.app.view.curIdx = 1;
    f.type(c.typed);
    onKeyDown(f.app, KeyEnter, 0);
    if (c.wantIdx < 0) {
      EXPECT_TRUE(f.app.view.listView) << c.typed;
      EXPECT_EQ(f.app.view.curIdx, 1) << c.typed;
      continue;
    }
    EXPECT_FALSE(f.app.view.listView) << c.typed;
    EXPECT_EQ(f.app.view.curIdx, c.wantIdx) << c.typed;
    EXPECT_TRUE(f.app.view.trend) << c.typed;
    EXPECT_EQ(f.app.view.period, PeriodDay) << c.typed;
  }
}

TEST(KeyboardList, TheGameTabsHaveNoListToTypeInto) {
  Fixture f;
  f.app.mode.tradeTab = TradeTab::KlineTraining2;
  f.type("600002");
  EXPECT_EQ(f.app.list.codeEntry, "");
  onKeyDown(f.app, KeyEnter, 0);
  EXPECT_EQ(f.app.view.curIdx, 0);
  EXPECT_FALSE(f.app.view.trend);
}

TEST(KeyboardList, UpAndDownMoveTheSelectionAndKeepItOnScreen) {
  Fixture f(25);
  f.app.win.painted.listRows = 24;
  f.app.view.curIdx = 23;
  onKeyDown(f.app, KeyDown, 0);
  EXPECT_EQ(f.app.view.curIdx, 24);
  EXPECT_EQ(f.app.list.listTop, 1);  // row 24 needs the list scrolled by one
  onKeyDown(f.app, KeyDown, 0);      // the last stays the last
  EXPECT_EQ(f.app.view.curIdx, 24);
  f.app.list.listTop = 10;
  f.app.view.curIdx = 10;
  onKeyDown(f.app, KeyUp, 0);
  EXPECT_EQ(f.app.view.curIdx, 9);
  EXPECT_EQ(f.app.list.listTop, 1);  // 9 is above the top; the top never leaves a short page
  EXPECT_TRUE(f.app.view.listView);
}

TEST(KeyboardChart, ZoomStepsDownToTenBarsAndOutWithinTheSeries) {
  Fixture f;
  f.showChart();
  std::vector<int> seen;
  for (int i = 0; i < 6; ++i) {
    onKeyDown(f.app, KeyUp, 0);
    seen.push_back(f.app.view.barCount);
  }
  // Automatic on 812 pixels shows 100 bars; each step keeps six tenths, never below 10.
  EXPECT_EQ(seen, (std::vector<int>{60, 36, 21, 12, 10, 10}));

  Fixture g;
  g.showChart(130);
  onKeyDown(g.app, KeyDown, 0);
  EXPECT_EQ(g.app.view.barCount, 130);  // 138 would reach past the series
}

TEST(KeyboardChart, KeysOfTheChartTable) {
  struct Case {
    const char* what;
    int key;
    void (*check)(const AppState&);
  } cases[] = {
      {"Esc returns to the list", KeyEscape,
       [](const AppState& a) {
         EXPECT_TRUE(a.view.listView);
         EXPECT_EQ(a.view.barCount, 0);
       }},
      {"F5 toggles the intraday chart", KeyF5, [](const AppState& a) { EXPECT_TRUE(a.view.trend); }},
      {"Enter toggles the intraday chart", KeyEnter, [](const AppState& a) { EXPECT_TRUE(a.view.trend); }},
      {"Home shows the newest bars", KeyHome, [](const AppState& a) { EXPECT_EQ(a.view.scrollBack, 0); }},
      {"End shows the oldest bars", KeyEnd, [](const AppState& a) { EXPECT_EQ(a.view.scrollBack, 3900); }},
      {"Left scrolls 20 bars back", KeyLeft, [](const AppState& a) { EXPECT_EQ(a.view.scrollBack, 70); }},
      {"Right scrolls 20 bars on", KeyRight, [](const AppState& a) { EXPECT_EQ(a.view.scrollBack, 30); }},
      {"2 chooses the week and resets the window", '2',
       [](const AppState& a) {
         EXPECT_EQ(a.view.period, PeriodWeek);
         EXPECT_EQ(a.view.scrollBack, 0);
         EXPECT_EQ(a.view.barCount, 0);
       }},
      {"3 chooses the month", '3', [](const AppState& a) { EXPECT_EQ(a.view.period, PeriodMonth); }},
      {"F12 opens the trading view on tab 0", KeyF12,
       [](const AppState& a) {
         EXPECT_TRUE(a.view.tradeView);
         EXPECT_EQ(a.mode.tradeTab, TradeTab::HistoryTraining);
         EXPECT_EQ(a.win.tradeFocus, 1);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fixture f;
    f.showChart();
    f.app.view.scrollBack = 50;
    f.app.view.barCount = 60;
    f.app.view.period = PeriodMin30;
    EXPECT_TRUE(onKeyDown(f.app, c.key, 0));
    c.check(f.app);
  }
}

TEST(KeyboardChart, TheIntradayToggleIsNotOnTheTrainingTabs) {
  Fixture f;
  f.showChart();
  f.app.mode.tradeTab = TradeTab::KlineTraining2;
  onKeyDown(f.app, KeyF5, 0);
  EXPECT_FALSE(f.app.view.trend);
}

TEST(KeyboardTraining, AFocusedTrainingFieldTakesCharactersAndKeepsTheChartKeys) {
  Fixture f;
  f.showChart();
  f.app.mode.tradeTab = TradeTab::KlineTraining;
  f.app.train.inputFocus = 6;
  f.type("Sz0001");  // upper case is not taken in the code field
  EXPECT_EQ(f.app.train.codeInput, "z0001");
  onKeyDown(f.app, KeyBackspace, 0);
  EXPECT_EQ(f.app.train.codeInput, "z000");
  const int period = f.app.view.period;
  EXPECT_FALSE(onKeyDown(f.app, '2', 0));  // other keys are ignored while the field has the focus
  EXPECT_EQ(f.app.view.period, period);
  onKeyDown(f.app, KeyUp, 0);  // the arrows still zoom
  EXPECT_EQ(f.app.view.barCount, 60);

  f.app.train.inputFocus = 7;
  f.type("2024010120");  // a full date starts over with the next digit
  EXPECT_EQ(f.app.train.dateInput, "20");
  onKeyDown(f.app, KeyEscape, 0);
  EXPECT_EQ(f.app.train.inputFocus, 0);
  EXPECT_FALSE(f.app.view.listView);  // Esc left the field, not the chart
}

TEST(ContextMenu, ThePeriodMenuChoosesThePeriodAndTheIntradayMenuItsOwn) {
  Fixture f;
  f.showChart();
  f.app.view.trend = true;
  f.ui.answer = 6003;  // 60分钟
  EXPECT_TRUE(onRightButtonUp(f.app, 100, 100));
  ASSERT_EQ(f.ui.menus.size(), 1u);
  EXPECT_EQ(f.app.view.period, PeriodMin60);
  EXPECT_FALSE(f.app.view.trend);

  Fixture g;
  g.showChart();
  g.app.view.trend = true;
  const int period = g.app.view.period;
  IntradayGeometry& ig = g.app.win.painted.intraday;
  ig.valid = true;
  ig.chartArea = Rect{0, 0, 812, 500};
  g.ui.answer = 0;  // dismissed
  EXPECT_TRUE(onRightButtonUp(g.app, 100, 100));
  ASSERT_EQ(g.ui.menus.size(), 1u);
  EXPECT_EQ(g.ui.menus[0][0].text, "闪电买入(1)\t21");
  EXPECT_EQ(g.app.view.period, period);

  Fixture list;  // nothing in the list view
  EXPECT_FALSE(onRightButtonUp(list.app, 100, 100));
  EXPECT_TRUE(list.ui.menus.empty());
}

TEST(Wheel, TheListScrollsThreeRowsANotchWithinItsLength) {
  Fixture f(30);
  f.app.win.painted.listRows = 20;
  EXPECT_EQ(onMouseWheel(f.app, -120, 0), Repaint::All);
  EXPECT_EQ(f.app.list.listTop, 3);
  onMouseWheel(f.app, -240, 0);
  EXPECT_EQ(f.app.list.listTop, 9);
  onMouseWheel(f.app, -360, 0);
  EXPECT_EQ(f.app.list.listTop, 10);  // 30 rows, 20 shown
  EXPECT_EQ(onMouseWheel(f.app, -120, 0), Repaint::None);
  onMouseWheel(f.app, 1200, 0);
  EXPECT_EQ(f.app.list.listTop, 0);
}

}  // namespace
}  // namespace zor

namespace zor {
namespace {

TEST(KeyboardReplayFields, TheToolbarFieldsTakeTheirCharactersAndEnterStartsTheReplay) {
  Fixture f;
  f.app.view.listView = false;
  f.app.win.tradeFocus = kToolbarDateFocus;
  f.type("2024O105");  // a letter is not a digit
  EXPECT_EQ(f.app.replay.dateBox, "2024105");
  onKeyDown(f.app, KeyBackspace, 0);
  f.type("05");
  EXPECT_EQ(f.app.replay.dateBox, "20241005");
  f.type("9");  // a full date starts over
  EXPECT_EQ(f.app.replay.dateBox, "9");
  EXPECT_FALSE(onKeyDown(f.app, '1', 0));  // no period change while the field has the focus
  EXPECT_EQ(f.app.view.period, Fixture().app.view.period);

  f.app.win.tradeFocus = kToolbarCodeFocus;
  f.type("60000Z3");
  EXPECT_EQ(f.app.replay.replayCode, "600003");
  f.app.win.panelFieldFocused = true;  // as a click into the field leaves it
  onKeyDown(f.app, KeyEnter, 0);  // instrument 3 has no daily bars here: refused, said
  EXPECT_EQ(f.app.win.tradeFocus, 0);
  EXPECT_FALSE(f.app.win.panelFieldFocused) << "the game's keys would stay blocked";
  EXPECT_EQ(f.app.view.curIdx, 3);
  EXPECT_EQ(f.app.win.statusText, "该标的无K线数据");
  EXPECT_FALSE(f.app.replay.training);
}

}  // namespace
}  // namespace zor

namespace zor {
namespace {

TEST(SettingsCommands, TradeMarkersToggleAndTheOneKeyResetAsksFirst) {
  Fixture f;
  ASSERT_TRUE(f.app.view.dealMarks);
  runCommand(f.app, int(CommandId::TradeMarkers));
  EXPECT_FALSE(f.app.view.dealMarks);
  EXPECT_EQ(f.app.win.statusText, "成交标记已关闭");
  runCommand(f.app, int(CommandId::TradeMarkers));
  EXPECT_EQ(f.app.win.statusText, "成交标记已开启：B=买入(红) / S=卖出(绿)");

  TempDir dir;
  f.app.trading.dir = dir.path();
  for (Account& a : f.app.trading.accounts) {
    a.cashCents = 123456;
    a.deals.push_back(Deal{});
  }
  f.ui.answers = {ResultNo};
  runCommand(f.app, int(CommandId::OneKeyReset));
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].caption, "一键重置确认");
  EXPECT_EQ(f.app.trading.accounts[ModeHistory].deals.size(), 1u);  // No keeps everything

  f.ui.answers = {ResultYes};
  runCommand(f.app, int(CommandId::OneKeyReset));
  EXPECT_TRUE(f.app.trading.accounts[ModeHistory].deals.empty());
  EXPECT_TRUE(f.app.trading.accounts[ModeLive].deals.empty());
  EXPECT_EQ(f.app.trading.accounts[ModeHistory].cashCents, 100000000);
  EXPECT_EQ(f.app.trading.accounts[ModeTraining].deals.size(), 1u);  // the game's account stays
  EXPECT_EQ(f.app.win.statusText, "已一键重置：交易记录与持仓已清空，资金还原为 100 万");
}

}  // namespace
}  // namespace zor
