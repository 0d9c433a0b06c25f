// The data-directory dialog: what saving writes, when it refuses, what a failed write does
// from the menu and at start-up, what closing does, the folder browser; and the rebuild of the
// instrument table that follows a save from the menu.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/config.h"
#include "app/setup_dialogs.h"
#include "fake_dialog_host.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "sample_market/market_writer.h"
#include "temp_dir.h"
#include "test_ui.h"

namespace zor {
namespace {

// The dialog over the configuration of a temporary program folder.
struct DirDialog {
  TempDir dir;
  TestUi ui;
  FakeDialogHost host;
  DialogEnv env{ui, host};
  Config cfg;
  Dialog d;

  explicit DirDialog(DataDirOrigin origin = DataDirOrigin::Menu, std::string exeDir = "") {
    cfg.exeDir = exeDir.empty() ? dir.path() : exeDir;
    cfg.datDirText = "old";
    resolveDataDirs(cfg);
    d = dataDirDialogSpec(cfg, origin);
  }
  DialogReply save(const std::string& dat, const std::string& lc1) {
    d.setText(FieldDatDir, dat);
    d.setText(FieldLc1Dir, lc1);
    return pressDialogButton(d, FieldSaveDirs, env);
  }
  bool written() const { return fileExists(dir.file("zor.cfg")); }
};

TEST(DataDirDialog, Layout) {
  DirDialog t;
  EXPECT_EQ(t.d.className, "ZORCFGCLS");
  EXPECT_EQ(t.d.title, "数据目录配置 - 澄川K线回放训练软件");
  EXPECT_EQ(t.d.size.cx, 560);
  EXPECT_EQ(t.d.size.cy, 335);
  EXPECT_EQ(defaultButton(t.d), FieldSaveDirs);
  EXPECT_EQ(t.d.field(FieldDatDir)->rect, (Rect{24, 40, 404, 66}));
  EXPECT_EQ(t.d.field(FieldBrowseLc1)->rect, (Rect{414, 107, 494, 135}));
  EXPECT_EQ(t.d.field(FieldSaveDirs)->label, "确定并保存");
  for (const DialogField& f : t.d.fields) EXPECT_EQ(f.font, (Font{"宋体", 12, false}));
  EXPECT_TRUE(t.d.gbCharset);
}

TEST(DataDirDialog, ShowsTheConfiguredTextsNotTheResolvedPaths) {
  DirDialog t;
  EXPECT_EQ(t.d.text(FieldDatDir), "old");
  EXPECT_EQ(t.cfg.datDir, t.dir.file("old"));
}

TEST(DataDirDialog, SaveWritesTheTextsAndTheMode) {
  std::string longest(kPathMax, 'a');
  struct Case {
    const char* what;
    std::string dat, lc1;
    int mode;
    std::string wantDat, wantLc1;
  } cases[] = {
      {"lc1 only", "", "vipdoc", 1, "", "vipdoc"},
      {"DAT only", "dat", "", 2, "dat", ""},
      {"both", "dat", "vipdoc", 3, "dat", "vipdoc"},
      {"blanks around a pasted path", "  dat\t", " ", 2, "dat", ""},
      {"259 bytes", longest, "", 2, longest, ""},
      {"a Chinese folder", "行情\\dat", "", 2, "行情\\dat", ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    DirDialog t;
    DialogReply r = t.save(k.dat, k.lc1);
    EXPECT_TRUE(r.close);
    EXPECT_EQ(DataDirOutcome(t.d.result), DataDirOutcome::Saved);
    EXPECT_TRUE(t.ui.boxes.empty());
    EXPECT_EQ(t.cfg.dataMode, k.mode);
    EXPECT_EQ(t.cfg.datDirText, k.wantDat);
    EXPECT_EQ(t.cfg.lc1DirText, k.wantLc1);
    // Relative texts are used relative to the program's folder and stored as typed.
    EXPECT_EQ(t.cfg.datDir, k.wantDat.empty() ? "" : t.dir.file(k.wantDat));
    EXPECT_NE(t.dir.read("zor.cfg").find(strPrintf("DATAMODE=%d\nLC1_DIR=%s\nDAT_DIR=%s\n", k.mode, k.wantLc1.c_str(),
                                                    k.wantDat.c_str())),
              std::string::npos);
  }
}

TEST(DataDirDialog, RefusalsKeepTheDialogOpenAndWriteNothing) {
  std::string tooLong(kPathMax + 1, 'a');
  std::string tooLongChinese;
  for (int i = 0; i < 87; ++i) tooLongChinese += "测";  // 261 bytes in 87 characters
  struct Case {
    const char* what;
    std::string dat, lc1;
    const char* box;
    int focus;
  } cases[] = {
      {"both empty", "", "", "请至少填写一个数据目录（DAT 或 lc1）。", FieldDatDir},
      {"only blanks", "  ", "\t", "请至少填写一个数据目录（DAT 或 lc1）。", FieldDatDir},
      {"DAT text of 260 bytes", tooLong, "", "目录路径过长（超过 259 字节），请选择较短的路径。", FieldDatDir},
      {"lc1 text of 87 Chinese characters", "", tooLongChinese, "目录路径过长（超过 259 字节），请选择较短的路径。",
       FieldLc1Dir},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    DirDialog t;
    DialogReply r = t.save(k.dat, k.lc1);
    EXPECT_FALSE(r.close);
    EXPECT_EQ(r.focus, k.focus);
    ASSERT_EQ(t.ui.boxes.size(), 1u);
    EXPECT_EQ(t.ui.boxes[0].text, k.box);
    EXPECT_EQ(t.ui.boxes[0].caption, "提示");
    EXPECT_EQ(t.ui.boxes[0].flags & MsgInfo, unsigned(MsgInfo));
    EXPECT_FALSE(t.written());
    EXPECT_EQ(t.cfg.datDirText, "old");
    EXPECT_EQ(t.d.text(FieldDatDir), k.dat);  // what was typed stays for correcting
  }
}

TEST(DataDirDialog, AFailedWriteFromTheMenuStaysOpenAndChangesNothing) {
  TempDir base;
  DirDialog t(DataDirOrigin::Menu, base.file("missing/"));
  Config before = t.cfg;
  EXPECT_FALSE(t.save("new", "").close);
  ASSERT_EQ(t.ui.boxes.size(), 1u);
  EXPECT_EQ(t.ui.boxes[0].text, "配置保存失败：无法写入 zor.cfg。");
  EXPECT_EQ(t.ui.boxes[0].caption, "数据目录错误");
  EXPECT_EQ(t.cfg.datDirText, before.datDirText);
  EXPECT_EQ(t.cfg.datDir, before.datDir);
  EXPECT_EQ(t.cfg.dataMode, before.dataMode);
  // Closing then cancels: the running configuration never saw the new directory.
  EXPECT_TRUE(requestDialogClose(t.d, t.env).close);
  EXPECT_EQ(DataDirOutcome(t.d.result), DataDirOutcome::Cancelled);
  EXPECT_EQ(t.cfg.datDirText, "old");
}

TEST(DataDirDialog, AFailedWriteAtStartupKeepsTheDirectoriesForThisRun) {
  TempDir base;
  DirDialog t(DataDirOrigin::Startup, base.file("missing/"));
  EXPECT_TRUE(t.save("new", "vip").close);
  EXPECT_EQ(DataDirOutcome(t.d.result), DataDirOutcome::KeptForThisRun);
  ASSERT_EQ(t.ui.boxes.size(), 1u);
  EXPECT_EQ(t.ui.boxes[0].text, "配置保存失败：无法写入 zor.cfg。\n\n本次设置仅在本次运行中有效。");
  EXPECT_EQ(t.ui.boxes[0].caption, "数据目录错误");
  EXPECT_EQ(t.cfg.datDirText, "new");
  EXPECT_EQ(t.cfg.lc1DirText, "vip");
  EXPECT_EQ(t.cfg.datDir, base.file("missing/new"));
  EXPECT_EQ(t.cfg.dataMode, 3);
}

TEST(DataDirDialog, Closing) {
  {
    SCOPED_TRACE("from the menu it cancels without asking");
    DirDialog t(DataDirOrigin::Menu);
    t.d.setText(FieldDatDir, "typed");
    EXPECT_TRUE(requestDialogClose(t.d, t.env).close);
    EXPECT_EQ(DataDirOutcome(t.d.result), DataDirOutcome::Cancelled);
    EXPECT_TRUE(t.ui.boxes.empty());
    EXPECT_FALSE(t.written());
    EXPECT_EQ(t.cfg.datDirText, "old");
  }
  struct Case {
    int answer;
    DataDirOutcome want;
  } cases[] = {{ResultYes, DataDirOutcome::Quit}, {ResultNo, DataDirOutcome::Cancelled}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.answer == ResultYes ? "at start-up, yes: quit" : "at start-up, no: go on without a directory");
    DirDialog t(DataDirOrigin::Startup);
    t.ui.answers.push_back(k.answer);
    EXPECT_TRUE(requestDialogClose(t.d, t.env).close);
    EXPECT_EQ(DataDirOutcome(t.d.result), k.want);
    ASSERT_EQ(t.ui.boxes.size(), 1u);
    EXPECT_EQ(t.ui.boxes[0].text, "尚未配置数据目录，是否退出程序？");
    EXPECT_EQ(t.ui.boxes[0].caption, "提示");
    EXPECT_EQ(t.ui.boxes[0].flags & MsgYesNo, unsigned(MsgYesNo));
    EXPECT_FALSE(t.written());
  }
}

TEST(DataDirDialog, BrowseReplacesTheTextBesideItsButton) {
  DirDialog t;
  t.d.setText(FieldLc1Dir, "keep");
  t.host.folder = "D:\\行情\\vipdoc";
  DialogReply r = pressDialogButton(t.d, FieldBrowseLc1, t.env);
  EXPECT_FALSE(r.close);
  EXPECT_TRUE(r.refresh);
  EXPECT_EQ(t.d.text(FieldLc1Dir), "D:\\行情\\vipdoc");
  EXPECT_EQ(t.d.text(FieldDatDir), "old");

  t.host.folder.reset();  // cancelled: the text stays
  EXPECT_FALSE(pressDialogButton(t.d, FieldBrowseDat, t.env).refresh);
  EXPECT_EQ(t.d.text(FieldDatDir), "old");
}

// ---- the menu command and the rebuild ----

// A program folder with two DAT directories: "big" with `big` instruments, "small" with `small`.
struct Program {
  TempDir dir;
  TestUi ui;
  FakeDialogHost host;
  AppState app;

  Program(int big, int small) {
    writeIndex("big", big);
    writeIndex("small", small);
    app.ui = &ui;
    app.win.dialogs = &host;
    app.config.exeDir = dir.path();
    app.config.datDirText = "big";
    resolveDataDirs(app.config);
    EXPECT_TRUE(loadAllStocks(app));
  }
  void writeIndex(const std::string& sub, int n) {
    std::vector<IndexEntry> entries;
    for (int i = 0; i < n; ++i) {
      IndexEntry e;
      e.code = strPrintf("%06d", 600000 + i);
      e.name = strPrintf("测试%d", i);
      e.market = 1;
      e.lastClose = 10.5f;
      e.prevClose = 10.0f;
      e.lastDate = 20240105;
      entries.push_back(e);
    }
    dir.write(sub + "/index.dat", indexDatBytes(entries));
  }
  // The menu command with the dialog answered by `answer`.
  void runDataDirs(std::function<int(Dialog&)> answer) {
    host.script = std::move(answer);
    runCommand(app, int(CommandId::DataDirs));
  }
};

int typeAndSave(Dialog& d, const std::string& dat, UiServices& ui, DialogHost& host) {
  DialogEnv env{ui, host};
  d.setText(FieldDatDir, dat);
  pressDialogButton(d, FieldSaveDirs, env);
  return d.result;
}

TEST(DataDirCommand, ASaveRebuildsTheTableAndResetsEveryIndex) {
  Program p(50, 10);
  ASSERT_EQ(p.app.market.stocks.size(), 50u);
  selectStock(p.app, 40);
  p.app.live.liveStockIdx = 45;
  p.app.train.active = true;
  p.app.train.stockIdx = 42;
  p.app.replay.training = true;
  p.app.replay.replayStockIdx = 41;
  p.app.replay.trainDi = 7;
  p.app.list.listOrder = {49, 48, 47};
  p.app.list.sortColumn = 3;
  p.app.list.listTop = 30;
  p.app.win.tradeFocus = 2;

  p.runDataDirs([&](Dialog& d) { return typeAndSave(d, "small", p.ui, p.host); });

  EXPECT_EQ(p.host.opened, (std::vector<std::string>{"ZORCFGCLS"}));
  EXPECT_EQ(p.app.market.stocks.size(), 10u);
  EXPECT_EQ(p.app.view.curIdx, 0);
  EXPECT_EQ(p.app.live.liveStockIdx, -1);
  EXPECT_EQ(p.app.train.stockIdx, -1);
  EXPECT_FALSE(p.app.train.active);
  EXPECT_FALSE(p.app.replay.training);
  EXPECT_EQ(p.app.replay.replayStockIdx, -1);
  EXPECT_EQ(p.app.replay.trainDi, -1);
  EXPECT_TRUE(p.app.list.listOrder.empty());
  EXPECT_EQ(p.app.list.sortColumn, 0);
  EXPECT_EQ(p.app.list.listTop, 0);
  EXPECT_EQ(p.app.win.tradeFocus, 0);
  EXPECT_EQ(p.app.list.codeEntry, "600000");  // selected through the one way selection changes
  EXPECT_NE(p.dir.read("zor.cfg").find("DAT_DIR=small\n"), std::string::npos);
  // The replay and the game lose their timers with their instruments.
  EXPECT_NE(std::find(p.ui.killed.begin(), p.ui.killed.end(), int(TimerId::Replay)), p.ui.killed.end());
  EXPECT_NE(std::find(p.ui.killed.begin(), p.ui.killed.end(), int(TimerId::Autoplay)), p.ui.killed.end());
}

TEST(DataDirCommand, CancelOrAFailedLoadKeepsTheTable) {
  {
    SCOPED_TRACE("closed");
    Program p(50, 10);
    selectStock(p.app, 40);
    p.runDataDirs([](Dialog& d) { return d.cancelResult; });
    EXPECT_EQ(p.app.market.stocks.size(), 50u);
    EXPECT_EQ(p.app.view.curIdx, 40);
    EXPECT_FALSE(fileExists(p.dir.file("zor.cfg")));
  }
  {
    SCOPED_TRACE("saved, but the new directory lists nothing: the loader keeps the old table");
    Program p(50, 10);
    p.dir.mkdir("empty");
    selectStock(p.app, 40);
    p.app.live.liveStockIdx = 45;
    p.runDataDirs([&](Dialog& d) { return typeAndSave(d, "empty", p.ui, p.host); });
    EXPECT_EQ(p.app.market.stocks.size(), 50u);
    EXPECT_EQ(p.app.view.curIdx, 40);  // still names the same instrument
    EXPECT_EQ(p.app.live.liveStockIdx, 45);
    EXPECT_FALSE(p.ui.boxes.empty());  // the loader said why
  }
}

}  // namespace
}  // namespace zor
