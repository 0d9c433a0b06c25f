// The identifier tables: commands, timers, hit kinds; and the rule that painting only reads.
#include <gtest/gtest.h>

#include <set>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/main_window.h"
#include "app/timers.h"
#include "recording_canvas.h"
#include "test_ui.h"

namespace zor {
namespace {

TEST(CommandTable, EveryMenuEntryIsARowAndIdsAreUnique) {
  AppState app;
  std::set<int> seen;
  for (const auto& menu : {settingsMenu(app), drawingMenu(app), periodMenu(app)}) {
    for (const MenuEntry& e : menu) {
      if (e.id == 0) continue;  // separator
      const CommandRow* row = findCommand(e.id);
      ASSERT_NE(row, nullptr) << e.id;
      EXPECT_EQ(e.text, row->text) << e.id;
      EXPECT_TRUE(seen.insert(e.id).second) << "listed twice: " << e.id;
    }
  }
  EXPECT_EQ(findCommand(9999), nullptr);
  EXPECT_EQ(findCommand(0), nullptr);
  // The lookup finds every row of the table, so the table is in id order.
  for (int id = 6000; id <= 9300; ++id)
    if (const CommandRow* r = findCommand(id)) EXPECT_EQ(int(r->id), id);
  EXPECT_NE(findCommand(int(CommandId::CancelOrder)), nullptr);
  EXPECT_NE(findCommand(int(CommandId::IntradayMainIndicator)), nullptr);
}

TEST(CommandTable, MenusShowWhatTheRowsSay) {
  AppState app;
  std::vector<MenuEntry> period = periodMenu(app);
  ASSERT_EQ(period.size(), 9u);
  EXPECT_EQ(period[0].text, "日线");
  EXPECT_EQ(period[3].id, 0);
  EXPECT_EQ(period[8].id, int(CommandId::PeriodMin60));
  app.trading.tPlusOne = false;
  std::vector<MenuEntry> settings = settingsMenu(app);
  EXPECT_FALSE(settings[2].checked);
  EXPECT_TRUE(settings[3].checked);
  TestUi ui;
  app.ui = &ui;
  runCommand(app, int(CommandId::TPlusOne));
  EXPECT_TRUE(app.trading.tPlusOne);
  runCommand(app, 12345);  // unknown: only a repaint
  EXPECT_EQ(ui.repaints, 3);  // the status write, and one per command
}

TEST(TimerTable, StartStopAndTick) {
  AppState app;
  TestUi ui;
  app.ui = &ui;
  app.replay.replayIntervalMs = 333;
  app.train.autoplayMs = 750;
  for (TimerId id : {TimerId::Blink, TimerId::Replay, TimerId::Autoplay}) startTimer(app, id);
  EXPECT_EQ(ui.timers, (std::vector<std::pair<int, int>>{{1, 700}, {2, 333}, {4, 750}}));
  stopAllTimers(app);
  EXPECT_EQ(ui.killed, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(onTimer(app, 99), 0u);  // not a timer of the table
  ui.timers.clear();
  unsigned next = onTimer(app, int(TimerId::LiveFetch));  // re-armed with a fresh interval
  ASSERT_EQ(ui.timers.size(), 1u);
  EXPECT_EQ(ui.timers[0], (std::pair<int, int>{3, int(next)}));
}

TEST(Painting, DecisionsComeBeforeThePaintAndThePaintOnlyReads) {
  AppState app;
  TestUi ui;
  app.ui = &ui;
  app.view.listView = false;  // a chart view without instruments
  prepareFrame(app);
  EXPECT_TRUE(app.view.listView);

  app.market.stocks.resize(3);
  app.view.listView = false;
  app.view.curIdx = 7;
  prepareFrame(app);
  EXPECT_EQ(app.view.curIdx, 0);
  EXPECT_TRUE(app.market.stocks[0].dayLoaded);

  // Two paints of one state give the same picture and the same measurements.
  app.view.listView = true;
  RecordingCanvas a(900, 600), b(900, 600);
  LastPainted first = paintMainWindow(app, a);
  LastPainted second = paintMainWindow(app, b);
  EXPECT_EQ(a.primitives().size(), b.primitives().size());
  EXPECT_EQ(first.hitAreas.size(), second.hitAreas.size());
  EXPECT_EQ(first.listRows, (600 - 60 - 46 - 22) / 22);
  // Menu items, caption buttons, the toolbar's two fields and three buttons, three rows.
  EXPECT_EQ(first.hitAreas.size(), 7u + 3u + 5u + 3u);
  EXPECT_TRUE(app.win.painted.hitAreas.empty());    // kept only by the window's own frame
}

}  // namespace
}  // namespace zor
