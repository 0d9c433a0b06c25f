// Start-up through the setup dialogs (the first start without a data directory, quitting from
// it) and the saves of shutdown with their failures reported together.
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/placement.h"
#include "app/setup_dialogs.h"
#include "app/startup.h"
#include "fake_startup_host.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "platform/trace_log.h"
#include "sample_market/market_writer.h"
#include "temp_dir.h"
#include "test_ui.h"

namespace zor {
namespace {

void writeMarket(const TempDir& dir, const std::string& sub, int n) {
  std::vector<IndexEntry> entries;
  for (int i = 0; i < n; ++i) {
    IndexEntry e;
    e.code = strPrintf("%06d", 600100 + i);
    e.name = strPrintf("样本%d", i);
    e.market = 1;
    e.lastClose = 8.0f;
    e.prevClose = 7.9f;
    e.lastDate = 20240105;
    entries.push_back(e);
  }
  dir.write(sub + "/index.dat", indexDatBytes(entries));
}

TEST(FirstStart, TheDataDialogSavesAndStartUpGoesOn) {
  TempDir dir;
  writeMarket(dir, "行情", 12);
  AppState app;
  TestUi ui;
  app.ui = &ui;
  FakeHost host(dir.path());
  host.use(app);
  std::string shown;
  host.answer = [&](Dialog& d) {
    if (d.className != kDataDirClass) return d.cancelResult;
    shown = d.text(FieldDatDir);
    DialogEnv env{ui, host.dialogs};
    d.setText(FieldDatDir, "行情");
    pressDialogButton(d, FieldSaveDirs, env);
    return d.result;
  };
  EXPECT_EQ(runStartup(app, host), 0);
  closeTraceLog();
  EXPECT_EQ(joined(host.calls), "dpi lock crash atexit datadialog splash nosplash create show mode loop");
  EXPECT_EQ(shown, dir.file("data"));  // without zor.cfg the dialog offers the folder beside the program
  EXPECT_EQ(app.market.stocks.size(), 12u);
  std::string cfg = dir.read("zor.cfg");
  EXPECT_NE(cfg.find("DATAMODE=2\nLC1_DIR=\nDAT_DIR=行情\n"), std::string::npos);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST(FirstStart, QuittingFromTheDataDialogEndsBeforeLoading) {
  TempDir dir;
  AppState app;
  TestUi ui;
  app.ui = &ui;
  ui.answers.push_back(ResultYes);
  FakeHost host(dir.path());
  host.use(app);
  host.answer = [&](Dialog& d) {
    DialogEnv env{ui, host.dialogs};
    requestDialogClose(d, env);
    return d.result;
  };
  EXPECT_EQ(runStartup(app, host), 0);
  closeTraceLog();
  EXPECT_EQ(joined(host.calls), "dpi lock crash atexit datadialog");
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "尚未配置数据目录，是否退出程序？");
  EXPECT_FALSE(fileExists(dir.file("zor.cfg")));
}

TEST(FirstStart, DecliningToQuitStartsWithoutData) {
  TempDir dir;
  AppState app;
  TestUi ui;
  app.ui = &ui;
  ui.answers.push_back(ResultNo);
  FakeHost host(dir.path());
  host.use(app);
  host.answer = [&](Dialog& d) {
    DialogEnv env{ui, host.dialogs};
    requestDialogClose(d, env);
    return d.result;
  };
  EXPECT_EQ(runStartup(app, host), 0);
  closeTraceLog();
  EXPECT_EQ(joined(host.calls), "dpi lock crash atexit datadialog splash nosplash create show mode loop");
  EXPECT_TRUE(app.market.stocks.empty());
  ASSERT_GE(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[1].caption, "数据目录错误");  // the loader says that nothing is configured
}

TEST(Shutdown, FailedSavesAreReportedInOneBox) {
  TempDir dir;
  AppState app;
  TestUi ui;
  app.ui = &ui;
  app.config.exeDir = dir.path();
  onMainWindowDestroyed(app, Rect{10, 20, 810, 620}, false);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_NE(dir.read("zor.cfg").find("WIN_X=10\n"), std::string::npos);

  app.config.exeDir = dir.file("missing/");
  onMainWindowDestroyed(app, Rect{10, 20, 810, 620}, false);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "配置保存失败：无法写入 zor.cfg。");
  EXPECT_EQ(ui.boxes[0].caption, "提示");
  EXPECT_EQ(ui.boxes[0].flags & MsgWarning, unsigned(MsgWarning));
  EXPECT_TRUE(app.win.statusText.empty());  // no window is left to show a status line

  reportFileProblems(app, {"账户文件 account_hist.dat 保存失败。", "委托记录 trade_orders.dat 保存失败。"}, MsgTopmost);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[1].text, "账户文件 account_hist.dat 保存失败。\n委托记录 trade_orders.dat 保存失败。");
  EXPECT_EQ(ui.boxes[1].flags & MsgTopmost, unsigned(MsgTopmost));
  reportFileProblems(app, {});
  EXPECT_EQ(ui.boxes.size(), 2u);
}

}  // namespace
}  // namespace zor
