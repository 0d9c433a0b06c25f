// zor.cfg: reading tolerance, the fixed writer order, the two copies of the intraday settings,
// directory resolution, and saves that never lose the file.
#include <gtest/gtest.h>

#include <string>

#include "app/app_state.h"
#include "app/config.h"
#include "platform/file_io.h"
#include "temp_dir.h"

namespace zor {
namespace {

// Reads `content` as zor.cfg of a program living in `dir`.
void readFrom(const TempDir& dir, AppState& app, const std::string& content) {
  dir.write("zor.cfg", content);
  app.config.exeDir = dir.path();
  readConfig(app.config);
}

std::string lastLines(const std::string& text, int n) {
  size_t pos = text.size();
  if (pos > 0 && text[pos - 1] == '\n') --pos;
  for (int i = 0; i < n && pos != std::string::npos; ++i) pos = text.rfind('\n', pos - 1);
  return pos == std::string::npos ? text : text.substr(pos + 1);
}

TEST(ConfigRead, MissingFileGivesTheDataDefault) {
  TempDir dir;
  AppState app;
  app.config.exeDir = dir.path();
  app.config.dataMode = 7;
  app.config.lc1DirText = "x";
  readConfig(app.config);
  EXPECT_EQ(app.config.dataMode, 0);
  EXPECT_EQ(app.config.lc1DirText, "");
  EXPECT_EQ(app.config.datDirText, dir.path() + "data");
  EXPECT_EQ(app.config.datDir, dir.path() + "data");
  EXPECT_EQ(app.config.fsLive.subCount, 1);
  EXPECT_EQ(app.config.userName, "模拟交易");

  AppState noExe;  // an unknown program directory leaves the DAT directory empty
  readConfig(noExe.config);
  EXPECT_EQ(noExe.config.datDirText, "");
}

TEST(ConfigRead, Fields) {
  struct Case {
    const char* file;
    std::string Config::*field;
    const char* want;
  } cases[] = {
      {"LC1_DIR=D:\\vipdoc\n", &Config::datDirText, ""},  // the data default is only for a missing file
      {"SERVER=10.0.0.1:7709\n", &Config::serverHost, "10.0.0.1"},
      {"SERVER=hostonly\n", &Config::serverHost, ""},      // no colon: ignored
      {"USER_NAME=\n", &Config::userName, "模拟交易"},       // empty keeps the default
      {"USER_NAME=张三\n", &Config::userName, "张三"},
      {"USER_ACCT=\n", &Config::userAcct, kDefaultUserAcct},
      {"UPDATE_URL=\n", &Config::updateUrl, kDefaultUpdateUrl},
      {"\xEF\xBB\xBFUSER_NAME=李四\r\n", &Config::userName, "李四"},  // BOM and CR LF
      {"user_name=x\nUSER_NAME =y\n", &Config::userName, "模拟交易"},  // keys match exactly
      // Eleven CJK characters are 33 bytes: cut to 31 bytes at a character boundary.
      {"USER_NAME=一二三四五六七八九十壹\n", &Config::userName, "一二三四五六七八九十"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    AppState app;
    readFrom(dir, app, c.file);
    EXPECT_EQ(app.config.*c.field, c.want) << c.file;
  }
}

TEST(ConfigRead, Numbers) {
  struct Case {
    const char* file;
    int Config::*field;
    int want;
  } cases[] = {
      {"SERVER=quote.example:7709\n", &Config::serverPort, 7709},
      {"SERVER=h:\n", &Config::serverPort, 0},
      {"SERVER=h\n", &Config::serverPort, 0},
      {"DATAMODE=3\n", &Config::dataMode, 3},
      {"DATAMODE=abc\n", &Config::dataMode, 0},
      {"WIN_X=-40\n", &Config::winX, -40},
      {"WIN_W=1200px\n", &Config::winW, 1200},
      {"WIN_H=99999999999999\n", &Config::winH, 2147483647},
      {"WIN_MAX=1\n", &Config::winMax, 1},
  };
  for (const Case& c : cases) {
    TempDir dir;
    AppState app;
    readFrom(dir, app, c.file);
    EXPECT_EQ(app.config.*c.field, c.want) << c.file;
  }
}

TEST(ConfigRead, FourNumberKeysNeedAllFour) {
  struct Case {
    const char* line;
    std::array<int, 4> want;
  } cases[] = {
      {"FS_MA=3,6,12,24", {3, 6, 12, 24}},
      {"FS_MA=3,6,12", {5, 10, 20, 60}},
      {"FS_MA=3, 6,12,24", {3, 6, 12, 24}},  // blanks before a number are allowed, as scanf does
      {"FS_MA=3 ,6,12,24", {5, 10, 20, 60}},
      {"FS_MA=a,b,c,d", {5, 10, 20, 60}},
      {"FS_MA=1,2,3,4,5", {1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    TempDir dir;
    AppState app;
    readFrom(dir, app, std::string(c.line) + "\n");
    EXPECT_EQ(app.config.fsLive.ma, c.want) << c.line;
    EXPECT_EQ(app.config.fsStored.ma, c.want) << c.line;
  }
}

TEST(ConfigRead, LiveSubPanelCount) {
  struct Case {
    const char* file;
    int count;
    const char* sub1;
    const char* sub2;
  } cases[] = {
      {"FS_SUB1=KDJ\nFS_SUB2=\nFS_VER=3\n", 2, "KDJ", ""},
      // Files from before FS_VER 2 had one more panel than names; it shows MACD.
      {"FS_SUB1=KDJ\nFS_SUB2=\n", 3, "KDJ", "MACD"},
      {"FS_SUB1=KDJ\nFS_SUB2=RSI\n", 3, "KDJ", "RSI"},
      {"FS_SUB1=\nFS_SUB2=\nFS_VER=1\n", 2, "MACD", ""},
      {"FS_SUB1=\nFS_SUB2=\nFS_VER=3\n", 1, "", ""},
      {"FS_SUBCNT=3\nFS_SUB1=\nFS_SUB2=\nFS_VER=3\n", 1, "", ""},  // the stored count is not the live one
  };
  for (const Case& c : cases) {
    TempDir dir;
    AppState app;
    readFrom(dir, app, c.file);
    EXPECT_EQ(app.config.fsLive.subCount, c.count) << c.file;
    EXPECT_EQ(app.config.fsLive.sub1, c.sub1) << c.file;
    EXPECT_EQ(app.config.fsLive.sub2, c.sub2) << c.file;
  }
}

TEST(ConfigRead, LegacyExtraPanelSurvivesASave) {
  TempDir dir;
  AppState app;
  readFrom(dir, app, "FS_SUB1=KDJ\n");
  ASSERT_EQ(app.config.fsLive.subCount, 3);
  ASSERT_TRUE(writeConfig(app.config));
  AppState again;
  readFrom(dir, again, dir.read("zor.cfg"));
  EXPECT_EQ(again.config.fsLive.subCount, 3);
}

TEST(ConfigRead, LongLinesAreReadInPieces) {
  TempDir dir;
  AppState app;
  // A 600-byte UPDATE_URL line: its second piece starts with "USER_NAME=" and is a line of its own.
  std::string line = "UPDATE_URL=" + std::string(500, 'u');
  std::string file = line + "USER_NAME=piece\n";
  readFrom(dir, app, file);
  EXPECT_EQ(app.config.userName, "piece");
  EXPECT_EQ(app.config.updateUrl, std::string(255, 'u'));  // cut to the field
}

TEST(ConfigRead, OverlongDirectoryCountsAsAbsent) {
  TempDir dir;
  AppState app;
  readFrom(dir, app, "DAT_DIR=C:\\" + std::string(300, 'd') + "\nLC1_DIR=C:\\ok\n");
  EXPECT_EQ(app.config.datDirText, "");
  EXPECT_EQ(app.config.lc1DirText, "C:\\ok");
}

TEST(ConfigWrite, FixedOrderEndingWithVersionAndUrl) {
  TempDir dir;
  AppState app;
  app.config.exeDir = dir.path();
  app.config.serverHost = "10.1.2.3";
  app.config.serverPort = 7709;
  app.config.datDirText = "data";
  app.config.fsLive.sub1 = "KDJ";
  app.config.fsLive.sub1Param = {9, 3, 3, 0};
  app.config.fsLive.avg = 0;
  app.config.fsLive.mainInd = "BOLL";
  ASSERT_TRUE(writeConfig(app.config));
  std::string file = dir.read("zor.cfg");
  const char* want =
      "SERVER=10.1.2.3:7709\n"
      "DATAMODE=0\n"
      "LC1_DIR=\n"
      "DAT_DIR=data\n"
      "USER_NAME=模拟交易\n"
      "USER_ACCT=6602130418\n"
      "WIN_X=0\nWIN_Y=0\nWIN_W=0\nWIN_H=0\nWIN_MAX=0\n"
      "FS_MA=5,10,20,60\n"
      "FS_SUBCNT=2\n"
      "FS_SUB1=KDJ\n"
      "FS_SUB2=\n"
      "FS_SUB1P=9,3,3,0\n"
      "FS_SUB2P=0,0,0,0\n"
      "FS_AVG=0\n"
      "FS_MAININD=BOLL\n"
      "FS_VER=3\n"
      "UPDATE_URL=https://update.zorterminal.cn/zor/\n";
  EXPECT_EQ(file, want);
  EXPECT_EQ(lastLines(file, 2), "FS_VER=3\nUPDATE_URL=https://update.zorterminal.cn/zor/\n");
  EXPECT_EQ(file.find('\r'), std::string::npos);
}

TEST(ConfigWrite, RoundTripKeepsEveryValue) {
  TempDir dir;
  AppState app;
  readFrom(dir, app,
           "SERVER=q.example:443\nDATAMODE=3\nLC1_DIR=D:\\同花顺\\history\nDAT_DIR=data\nUSER_NAME=王五\n"
           "USER_ACCT=123\nWIN_X=-8\nWIN_Y=10\nWIN_W=1300\nWIN_H=800\nWIN_MAX=1\nFS_MA=1,2,3,4\n"
           "FS_SUB1=MACD\nFS_SUB2=KDJ\nFS_SUB1P=5,10,9,0\nFS_SUB2P=9,3,3,0\nFS_AVG=0\nFS_MAININD=MA\n"
           "FS_VER=3\nUPDATE_URL=https://u.example/\n");
  ASSERT_TRUE(writeConfig(app.config));
  std::string first = dir.read("zor.cfg");
  AppState again;
  readFrom(dir, again, first);
  ASSERT_TRUE(writeConfig(again.config));
  EXPECT_EQ(dir.read("zor.cfg"), first);
  EXPECT_NE(first.find("FS_SUB1P=5,10,9,0\n"), std::string::npos);  // parameters are saved, not dropped
  EXPECT_NE(first.find("FS_AVG=0\n"), std::string::npos);
}

TEST(ConfigDirs, RelativeDirectoriesResolveAgainstTheProgramFolder) {
  TempDir dir;
  dir.mkdir("data");
  AppState app;
  readFrom(dir, app, "DAT_DIR=data\nLC1_DIR=\n");
  EXPECT_EQ(app.config.datDir, dir.path() + "data");  // used resolved at once, not only after a save
  EXPECT_TRUE(hasValidDataDir(app.config));
  ASSERT_TRUE(writeConfig(app.config));
  ASSERT_TRUE(writeConfig(app.config));
  EXPECT_NE(dir.read("zor.cfg").find("\nDAT_DIR=data\n"), std::string::npos);  // the text stays relative
}

TEST(ConfigDirs, ValidDataDirectory) {
  TempDir dir;
  dir.mkdir("lc1");
  dir.write("afile", "x");
  struct Case {
    std::string lc1, dat;
    bool valid;
  } cases[] = {
      {"", "", false},
      {dir.path() + "lc1", "", true},
      {"", dir.path() + "lc1", true},
      {dir.path() + "missing", dir.path() + "afile", false},  // a file is not a directory
      {dir.path() + "missing", dir.path() + "lc1", true},
  };
  for (const Case& c : cases) {
    AppState app;
    app.config.lc1Dir = c.lc1;
    app.config.datDir = c.dat;
    EXPECT_EQ(hasValidDataDir(app.config), c.valid) << c.lc1 << " | " << c.dat;
  }
}

TEST(ConfigFiles, ChineseFolderIsReadAndWritten) {
  TempDir dir("测试目录");
  AppState app;
  readFrom(dir, app, "USER_NAME=中文\n");
  EXPECT_EQ(app.config.userName, "中文");
  app.config.userName = "改名";
  ASSERT_TRUE(writeConfig(app.config));
  AppState again;
  again.config.exeDir = dir.path();
  readConfig(again.config);
  EXPECT_EQ(again.config.userName, "改名");
}

TEST(ConfigFiles, FailedSaveKeepsTheOldFileAndSaysSo) {
  TempDir dir;
  AppState app;
  readFrom(dir, app, "USER_NAME=旧\n");
  const std::string before = dir.read("zor.cfg");
  // The temporary file cannot be created: a directory of that name is in the way.
  dir.mkdir("zor.cfg.tmp");
  app.config.userName = "新";
  EXPECT_FALSE(writeConfig(app.config));
  EXPECT_EQ(dir.read("zor.cfg"), before);
}

TEST(ConfigFiles, UnwritableFolderFailsWithoutCreatingAnything) {
  AppState app;
  app.config.exeDir = "/nonexistent-folder-for-zor-tests/";
  EXPECT_FALSE(writeConfig(app.config));
  EXPECT_FALSE(fileExists(configPath(app.config)));
}

}  // namespace
}  // namespace zor
