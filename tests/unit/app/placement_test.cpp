// Where the main window opens, and when its placement is written to zor.cfg.
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/placement.h"
#include "platform/file_io.h"
#include "temp_dir.h"
#include "test_ui.h"

namespace zor {
namespace {

const MonitorArea kPrimary{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true};
const MonitorArea kLeftSecondary{{-1280, 0, 0, 1024}, {-1280, 0, 0, 1024}, false};
const MonitorArea kTopTaskbar{{0, 0, 1920, 1080}, {0, 40, 1920, 1080}, true};
const MonitorArea kSmall{{0, 0, 1024, 768}, {0, 0, 1024, 740}, true};

TEST(StartPlacement, Cases) {
  struct Case {
    const char* what;
    std::vector<MonitorArea> monitors;
    int x, y, w, h, max;
    Rect want;
    bool wantMax;
  } cases[] = {
      {"nothing saved", {kPrimary}, 0, 0, 0, 0, 1, {370, 160, 1550, 880}, false},
      {"zero height", {kPrimary}, 10, 10, 800, 0, 0, {370, 160, 1550, 880}, false},
      {"default on a small screen keeps its size", {kSmall}, 0, 0, 0, 0, 0, {0, 10, 1180, 730}, false},
      {"saved and maximised", {kPrimary}, 100, 50, 800, 600, 1, {100, 50, 900, 650}, true},
      {"monitor gone: default, not maximised", {kPrimary}, 2500, 100, 800, 600, 1, {370, 160, 1550, 880}, false},
      {"left of the work area moves right", {kPrimary}, -50, 100, 800, 600, 0, {0, 100, 800, 700}, false},
      {"left secondary monitor", {kPrimary, kLeftSecondary}, -1200, 100, 1000, 700, 1, {-1200, 100, -200, 800}, true},
      {"only 99 pixels of the strip visible", {kPrimary}, 1821, 100, 800, 600, 0, {370, 160, 1550, 880}, false},
      {"100 pixels of the strip visible", {kPrimary}, 1820, 100, 800, 600, 0, {1820, 100, 2620, 700}, false},
      {"strip above the screen", {kPrimary}, 100, -10, 800, 600, 0, {370, 160, 1550, 880}, false},
      {"strip below the task bar edge", {kPrimary}, 100, 1020, 800, 600, 0, {370, 160, 1550, 880}, false},
      {"strip under a top task bar: default", {kTopTaskbar}, 100, 30, 800, 600, 0, {370, 200, 1550, 920}, false},
      {"top task bar, strip clear of it", {kTopTaskbar}, 100, 45, 800, 600, 0, {100, 45, 900, 645}, false},
      {"clamped to the monitor it overlaps most", {kPrimary, kLeftSecondary}, -1300, 200, 1100, 600, 0,
       {-1280, 200, -180, 800}, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    AppState app;
    app.config.winX = k.x;
    app.config.winY = k.y;
    app.config.winW = k.w;
    app.config.winH = k.h;
    app.config.winMax = k.max;
    StartPlacement p = chooseStartPlacement(app.config, k.monitors);
    EXPECT_EQ(p.rect, k.want);
    EXPECT_EQ(p.maximized, k.wantMax);
  }
  AppState app;  // no monitor reported at all still gives a window
  EXPECT_EQ(chooseStartPlacement(app.config, {}).rect.width(), 1180);
}

struct Saving {
  TempDir dir;
  AppState app;
  TestUi ui;
  Saving() {
    app.config.exeDir = dir.path();
    app.ui = &ui;
    app.config.winX = 100;
    app.config.winY = 50;
    app.config.winW = 800;
    app.config.winH = 600;
  }
  std::string cfg() const { return dir.read("zor.cfg"); }
};

WindowPos normal(int x, int y, int w, int h) { return WindowPos{x, y, w, h, false, false}; }

TEST(PlacementSaving, ADragWritesOnce) {
  Saving s;
  int writes = 0;
  onEnterSizeMove(s.app);
  for (int i = 1; i <= 20; ++i) writes += onWindowPosChanged(s.app, normal(100 + 5 * i, 50 + i, 800, 600));
  EXPECT_FALSE(fileExists(s.dir.file("zor.cfg")));
  writes += onExitSizeMove(s.app);
  EXPECT_EQ(writes, 1);
  EXPECT_NE(s.cfg().find("WIN_X=200\nWIN_Y=70\n"), std::string::npos);
  EXPECT_FALSE(onExitSizeMove(s.app));  // nothing left to write

  onEnterSizeMove(s.app);  // a drag that ends where it began writes nothing
  EXPECT_FALSE(onExitSizeMove(s.app));
}

TEST(PlacementSaving, MovesSizesMaximiseAndRestore) {
  Saving s;
  struct Step {
    const char* what;
    WindowPos pos;
    bool writes;
    int winMax, winW;
  } steps[] = {
      {"same rectangle", normal(100, 50, 800, 600), false, 0, 800},
      {"moved", normal(120, 50, 800, 600), true, 0, 800},
      {"resized", normal(120, 50, 900, 600), true, 0, 900},
      {"too small to keep its size", normal(120, 50, 150, 100), false, 0, 900},
      {"maximised", WindowPos{-8, -8, 1936, 1056, true, false}, true, 1, 900},
      {"maximised again", WindowPos{-8, -8, 1936, 1056, true, false}, false, 1, 900},
      {"minimised", WindowPos{-32000, -32000, 160, 28, false, true}, false, 1, 900},
      {"restored to the saved rectangle", normal(120, 50, 900, 600), true, 0, 900},
  };
  for (const Step& st : steps) {
    SCOPED_TRACE(st.what);
    EXPECT_EQ(onWindowPosChanged(s.app, st.pos), st.writes);
    EXPECT_EQ(s.app.config.winMax, st.winMax);
    EXPECT_EQ(s.app.config.winW, st.winW);
  }
  EXPECT_NE(s.cfg().find("WIN_X=120\nWIN_Y=50\nWIN_W=900\nWIN_H=600\nWIN_MAX=0\n"), std::string::npos);
}

TEST(PlacementSaving, DestructionStoresTheNormalRectangle) {
  Saving s;
  EXPECT_TRUE(onMainWindowDestroyed(s.app, Rect{30, 40, 1030, 740}, true));
  EXPECT_NE(s.cfg().find("WIN_X=30\nWIN_Y=40\nWIN_W=1000\nWIN_H=700\nWIN_MAX=1\n"), std::string::npos);
  ASSERT_EQ(s.ui.killed.size(), 1u);
  EXPECT_EQ(s.ui.killed[0], 3);

  onMainWindowDestroyed(s.app, Rect{0, 0, 199, 500}, false);  // too narrow: the size stays
  EXPECT_NE(s.cfg().find("WIN_X=30\nWIN_Y=40\nWIN_W=1000\nWIN_H=700\nWIN_MAX=0\n"), std::string::npos);
}

TEST(PlacementSaving, AFailedSaveSaysSo) {
  Saving s;
  s.app.config.exeDir = s.dir.file("missing/");
  EXPECT_TRUE(onWindowPosChanged(s.app, normal(300, 50, 800, 600)));
  EXPECT_EQ(s.app.win.statusText, "配置保存失败：无法写入 zor.cfg。");
  EXPECT_GT(s.ui.repaints, 0);
}

}  // namespace
}  // namespace zor
