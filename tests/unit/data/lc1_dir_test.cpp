// The lc1 directory: vipdoc and THS recognition, their scans, and THS-only instruments.
#include <gtest/gtest.h>

#include "data/names.h"
#include "data_fixture.h"

namespace zor {
namespace {

using test::day;
using test::entry;
using test::minute;

std::vector<MinuteBar> thsMinutes(int date, int n, float close) {
  std::vector<MinuteBar> out;
  for (int j = 0; j < n; ++j) {
    int t = j < 120 ? 571 + j : 661 + j;
    out.push_back(minute(date, t, close, close + 0.5f, close - 0.5f, close, 100, 1000));
  }
  return out;
}

TEST(ThsRoot, RecognisedDirectlyOrOneLevelDown) {
  struct {
    const char* what;
    std::vector<const char*> dirs;
    const char* root;  // relative to "lc1", "-" for none
  } cases[] = {
      {"shase/min directly", {"lc1/shase/min"}, ""},
      {"stb/min directly", {"lc1/stb/min"}, ""},
      {"history/sznse/min", {"lc1/history/sznse/min"}, "history"},
      {"both: the directory itself", {"lc1/shase/min", "lc1/history/shase/min"}, ""},
      {"shase without min", {"lc1/shase"}, "-"},
      {"vipdoc", {"lc1/sh/lday"}, "-"},
  };
  for (const auto& c : cases) {
    TempDir dir("zorths");
    for (const char* sub : c.dirs) dir.mkdir(sub);
    std::string lc1 = dir.file("lc1");
    std::string want = std::string(c.root) == "-" ? "" : std::string(c.root).empty() ? lc1 : joinPath(lc1, c.root);
    EXPECT_EQ(findThsRoot(lc1), want) << c.what;
  }
}

TEST(VipdocScan, AVipdocDirectoryOnItsOwnListsItsStocks) {
  test::DataDir d;
  d.useLc1();
  d.write("lc1/sh/lday/sh600000.day",
          vipdocDayBytes({day(20240103, 10, 11, 9, 10.5), day(20240104, 10, 11, 9, 10.75), day(20240105, 11, 12, 10, 11)}));
  d.write("lc1/sz/lday/sz300750.day", vipdocDayBytes({day(20240105, 200, 210, 190, 205)}));
  // The last record has no valid prices: the quote comes from the two valid dates before it.
  d.write("lc1/sz/lday/sz000001.day", vipdocDayBytes({day(20240103, 10, 11, 9, 9.5), day(20240104, 10, 11, 9, 9.75),
                                                       day(20240105, 10, 9, 11, 10)}));
  d.write("lc1/sz/lday/sz000002.day", vipdocDayBytes({day(20240105, 10, 9, 11, 10)}));  // nothing valid
  d.write("lc1/sh/lday/sh000001.day", vipdocDayBytes({day(20240105, 3000, 3100, 2900, 3050)}));  // index code
  d.write("lc1/sh/lday/sh.day", "x");                       // name too short
  d.write("lc1/sh/lday/sh6000000000.day", "x");             // 14 bytes: too long
  d.dir.mkdir("lc1/sh/lday/sh600001.day");                  // a directory
  d.write("lc1/sh/lday/sh600002.day", std::string(20, 'x'));  // shorter than one record
  ASSERT_TRUE(loadAllStocks(d.app));
  ASSERT_EQ(d.app.market.stocks.size(), 3u);
  const StockRecord& pingan = d.app.market.stocks[0];
  EXPECT_EQ(pingan.code, "000001");
  EXPECT_EQ(pingan.name, "平安银行");  // the built-in table
  EXPECT_EQ(pingan.dataFile, "sz000001");
  EXPECT_TRUE(pingan.hasLc1);
  EXPECT_FALSE(pingan.hasDat);
  EXPECT_DOUBLE_EQ(pingan.lastPrice, 9.75);
  EXPECT_DOUBLE_EQ(pingan.prevClose, 9.5);
  const StockRecord& cyb = d.app.market.stocks[1];
  EXPECT_EQ(cyb.code, "300750");
  EXPECT_EQ(cyb.name, "sz300750");  // no name source: the code as scanned
  EXPECT_EQ(cyb.board, "创业板");
  const StockRecord& pf = d.app.market.stocks[2];
  EXPECT_EQ(pf.code, "600000");
  EXPECT_TRUE(pf.dayLoaded);
  EXPECT_EQ(pf.k.size(), 3u);
  EXPECT_DOUBLE_EQ(pf.lastPrice, 11);
  EXPECT_DOUBLE_EQ(pf.prevClose, 10.75);
  EXPECT_TRUE(d.ui.boxes.empty());
}

TEST(VipdocScan, AddsFilesToDatInstruments) {
  test::DataDir d;
  d.useDat();
  d.useLc1();
  d.writeIndex({entry("600000", "浦发银行", 1, 10, 9.9f)});
  d.writeDat(1, "600000", {day(20240102, 10, 11, 9, 10.5)});
  d.write("lc1/sh/lday/sh600000.day", vipdocDayBytes({day(20240103, 10, 11, 9, 10.75)}));
  ASSERT_TRUE(loadAllStocks(d.app));
  ASSERT_EQ(d.app.market.stocks.size(), 1u);
  const StockRecord& r = d.app.market.stocks[0];
  EXPECT_TRUE(r.hasDat && r.hasLc1);
  EXPECT_EQ(r.dataFile, "1.600000.dat");
  EXPECT_EQ(r.k.size(), 2u);
  EXPECT_DOUBLE_EQ(r.lastPrice, 10.75);
}

struct ThsDir : test::DataDir {
  ThsDir() {
    useLc1("lc1");
    dir.mkdir("lc1/history/shase/min");
    dir.mkdir("lc1/history/sznse/min");
    dir.mkdir("lc1/history/stb/min");
  }
  void writeMin(const std::string& folder, const std::string& code, const std::vector<MinuteBar>& bars) {
    write("lc1/history/" + folder + "/min/" + code + ".min", thsMinBytes(bars));
  }
};

TEST(ThsScan, CodesHitsProbesAndNames) {
  test::TraceCapture trace;
  ThsDir d;
  d.useDat();
  d.writeIndex({entry("600000", "浦发银行", 1, 10, 9.9f)});
  std::vector<MinuteBar> twoDays = thsMinutes(20240104, 240, 9.5f);
  std::vector<MinuteBar> last = thsMinutes(20240105, 240, 10.f);
  twoDays.insert(twoDays.end(), last.begin(), last.end());
  d.writeMin("shase", "600000", twoDays);    // a hit on the DAT instrument
  d.writeMin("shase", "688001", twoDays);    // new, named from the THS name files
  d.writeMin("shase", "000001", twoDays);    // not a Shanghai stock code
  d.writeMin("sznse", "300750", twoDays);    // new; its THS name is too long
  d.writeMin("sznse", "399001", twoDays);    // not a stock code
  d.writeMin("stb", "830001", twoDays);      // not a stock code
  d.writeMin("stb", "000002", twoDays);      // new, Shenzhen under stb
  d.write("lc1/history/sznse/min/000005.min", "hd1.0 garbage that cannot be probed, but is long enough to try.....");
  d.write("lc1/stockname/stockname_16_1.txt",
          thsNameFileBytes({{"688001", "华兴源创"}, {"300750", "一个名字长得超过了三十一个字节"}}, "S"));
  ASSERT_TRUE(loadAllStocks(d.app));
  EXPECT_EQ(d.app.market.thsRoot, joinPath(d.dir.file("lc1"), "history"));
  std::map<std::string, const StockRecord*> byCode;
  for (const StockRecord& r : d.app.market.stocks) byCode[r.code] = &r;
  ASSERT_EQ(byCode.size(), 4u);
  const StockRecord& pf = *byCode["600000"];
  EXPECT_TRUE(pf.hasDat && pf.hasLc1);
  EXPECT_EQ(pf.minFile, "shase\\min\\600000");
  EXPECT_EQ(pf.dataFile, "1.600000.dat");
  const StockRecord& hx = *byCode["688001"];
  EXPECT_EQ(hx.name, "华兴源创");
  EXPECT_EQ(hx.board, "科创板");
  EXPECT_DOUBLE_EQ(hx.lastPrice, 10);
  EXPECT_DOUBLE_EQ(hx.prevClose, 9.5);
  EXPECT_EQ(hx.dataFile, "shase\\min\\688001");
  EXPECT_EQ(byCode["300750"]->name, "300750");
  EXPECT_EQ(byCode["000002"]->name, "万科A");  // the built-in table names it at the end
  EXPECT_EQ(byCode["000002"]->minFile, "stb\\min\\000002");
  EXPECT_TRUE(trace.contains("THSSCAN 扫描=8 命中DAT(可合分钟)=1 新增=3 非个股码跳过=3 取价失败=1")) << trace.text();
}

TEST(ThsScan, EmptyFoldersAreTraced) {
  test::TraceCapture trace;
  ThsDir d;
  EXPECT_FALSE(loadAllStocks(d.app));
  EXPECT_TRUE(trace.contains("THSSCAN 未扫描到任何 .min（目录=" + joinPath(d.dir.file("lc1"), "history") + "）"));
  ASSERT_EQ(d.ui.boxes.size(), 1u);
  EXPECT_EQ(d.ui.boxes[0].text, kMsgNothingFound);
}

TEST(ThsScan, ThsOnlyInstrumentBuildsItsDailyBarsFromMinutes) {
  ThsDir d;
  std::vector<MinuteBar> bars = thsMinutes(20240104, 240, 9.5f);
  std::vector<MinuteBar> last = thsMinutes(20240105, 240, 10.f);
  last[100].high = 12.f;
  last[101].low = 8.f;
  bars.insert(bars.end(), last.begin(), last.end());
  d.writeMin("shase", "600000", bars);
  ASSERT_TRUE(loadAllStocks(d.app));
  StockRecord& r = d.app.market.stocks[0];
  EXPECT_TRUE(r.dayLoaded);
  EXPECT_TRUE(r.k.empty());
  loadMinuteBars(d.app.market, r, d.app.mode.tradeMode);
  ASSERT_EQ(r.minAll.size(), 480u);
  EXPECT_EQ(r.minc.size(), 240u);
  ASSERT_EQ(r.k.size(), 2u);
  EXPECT_EQ(r.k[1].dateText(), "20240105");
  EXPECT_DOUBLE_EQ(r.k[1].high, 12);
  EXPECT_DOUBLE_EQ(r.k[1].low, 8);
  EXPECT_DOUBLE_EQ(r.k[1].volume, 24000);
  EXPECT_DOUBLE_EQ(r.lastPrice, 10);
  EXPECT_DOUBLE_EQ(r.prevClose, 9.5);
  EXPECT_DOUBLE_EQ(r.amplitude, 4.0 / 9.5 * 100);
}

TEST(ThsScan, RebuildWithoutThsForgetsTheRootAndReloadsNames) {
  ThsDir d;
  d.writeMin("shase", "688001", thsMinutes(20240105, 240, 10.f));
  d.write("lc1/stockname/stockname_16_1.txt", thsNameFileBytes({{"688001", "旧名"}}, "S"));
  ASSERT_TRUE(loadAllStocks(d.app));
  EXPECT_EQ(d.app.market.stocks[0].name, "旧名");

  // A second THS root with other names.
  d.write("ths2/history/shase/min/688001.min", thsMinBytes(thsMinutes(20240105, 240, 10.f)));
  d.write("ths2/stockname/stockname_16_1.txt", thsNameFileBytes({{"688001", "新名"}}, "S"));
  d.useLc1("ths2");
  ASSERT_TRUE(loadAllStocks(d.app));
  EXPECT_EQ(d.app.market.stocks[0].name, "新名");

  // DAT only: the THS root is gone, so daily bars come from the DAT file again.
  d.app.config.lc1Dir.clear();
  d.useDat();
  d.writeIndex({entry("688001", "华兴源创", 1, 10, 9.9f)});
  d.writeDat(1, "688001", {day(20240102, 10, 11, 9, 10.5)});
  ASSERT_TRUE(loadAllStocks(d.app));
  EXPECT_TRUE(d.app.market.thsRoot.empty());
  EXPECT_EQ(d.app.market.stocks[0].k.size(), 1u);
}

}  // namespace
}  // namespace zor
