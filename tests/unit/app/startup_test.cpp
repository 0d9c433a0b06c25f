// The start-up sequence: its order, the refusals before any file is touched (a program folder
// whose path is too long, a second process in the same folder), the trace lines it leaves,
// and the single-instance lock name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/startup.h"
#include "fake_startup_host.h"
#include "platform/trace_log.h"
#include "platform/file_io.h"
#include "temp_dir.h"
#include "test_ui.h"

namespace zor {
namespace {

TEST(Startup, RunsTheStepsInOrder) {
  TempDir dir;
  dir.write("zor.cfg", "WIN_X=10\nWIN_Y=20\nWIN_W=900\nWIN_H=700\nWIN_MAX=1\n");
  AppState app;
  TestUi ui;
  app.ui = &ui;
  FakeHost host(dir.path());
  host.use(app);
  EXPECT_EQ(runStartup(app, host), 0);
  closeTraceLog();
  // No data directory exists, so the data dialog opens.
  EXPECT_EQ(joined(host.calls), "dpi lock crash atexit datadialog splash nosplash create show mode loop");
  EXPECT_EQ(app.config.exeDir, dir.path());
  EXPECT_EQ(host.placed.rect, (Rect{10, 20, 910, 720}));  // the configuration was read first
  EXPECT_TRUE(host.placed.maximized);

  std::string log = dir.read("zor_trace.log");
  EXPECT_NE(log.find("========== TRACE START (pid="), std::string::npos);
  EXPECT_NE(log.find("WinMain start, exeDir=" + dir.path() + " build=Release APP_MODE=1\n"), std::string::npos);
  EXPECT_NE(log.find("==== TRACE END (graceful) ===="), std::string::npos);
}

TEST(Startup, ValidDataDirectorySkipsTheDialog) {
  TempDir dir;
  dir.mkdir("data");
  AppState app;
  FakeHost host(dir.path());
  host.use(app);
  runStartup(app, host);
  closeTraceLog();
  EXPECT_EQ(joined(host.calls).find("datadialog"), std::string::npos);
}

TEST(Startup, RefusalsTouchNoFile) {
  struct Case {
    const char* what;
    bool longPath, lockHeld;
    int exitCode;
    const char* text;
    const char* calls;
  } cases[] = {
      {"path too long", true, false, 1, "程序所在目录的路径过长（超过 259 字节），请移到较短的路径下再运行。", "dpi"},
      {"second instance", false, true, 0, "程序已在运行，同一目录的数据不能被两个程序同时使用。", "dpi lock activate"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    TempDir dir;
    std::string exeDir = dir.path();
    if (k.longPath) {
      // 90 CJK characters: 270 bytes of UTF-8, well within the system's own path limit.
      std::string name;
      for (int i = 0; i < 45; ++i) name += "测";
      dir.mkdir(name + "/" + name);
      exeDir = dir.file(name + "/" + name + "/");
      ASSERT_GT(exeDir.size(), 259u);
    }
    AppState app;
    TestUi ui;
    app.ui = &ui;
    FakeHost host(exeDir);
    host.use(app);
    host.lockHeld = k.lockHeld;
    EXPECT_EQ(runStartup(app, host), k.exitCode);
    EXPECT_EQ(joined(host.calls), k.calls);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, k.text);
    EXPECT_EQ(ui.boxes[0].caption, "提示");
    EXPECT_EQ(ui.boxes[0].flags & MsgInfo, unsigned(MsgInfo));
    EXPECT_TRUE(listDirectory(exeDir, "zor*").empty());
    EXPECT_FALSE(traceLogOpen());
  }
}

TEST(Startup, WindowCreationFailureExitsWithOne) {
  TempDir dir;
  AppState app;
  FakeHost host(dir.path());
  host.use(app);
  host.createOk = false;
  EXPECT_EQ(runStartup(app, host), 1);
  closeTraceLog();
  EXPECT_EQ(joined(host.calls), "dpi lock crash atexit datadialog splash nosplash create");
}

TEST(InstanceLock, NameFollowsTheDirectory) {
  EXPECT_EQ(fnv1a64(""), 0xcbf29ce484222325ull);
  EXPECT_EQ(fnv1a64("a"), 0xaf63dc4c8601ec8cull);
  EXPECT_EQ(fnv1a64("foobar"), 0x85944171f73967e8ull);
  EXPECT_EQ(instanceLockName("a"), "Local\\ZorTerminal-af63dc4c8601ec8c");
  // Case of ASCII letters and the kind of slash do not matter; other bytes do.
  EXPECT_EQ(instanceLockName("C:/Zor/测试/"), instanceLockName("c:\\zor\\测试\\"));
  EXPECT_NE(instanceLockName("c:\\zor\\测试\\"), instanceLockName("c:\\zor\\测验\\"));
  EXPECT_EQ(instanceLockName("x").size(), std::string("Local\\ZorTerminal-").size() + 16);
}

}  // namespace
}  // namespace zor
