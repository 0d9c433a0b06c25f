// The instrument table: directory checks and their boxes, the DAT index scan, the listing
// rule, names, the daily loads at start-up, and the daily bars of DAT and vipdoc files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "data_fixture.h"
#include "platform/text.h"

namespace zor {
namespace {

using test::day;
using test::entry;
using test::noPriceDay;

std::vector<std::string> codes(const AppState& app) {
  std::vector<std::string> out;
  for (const StockRecord& r : app.market.stocks) out.push_back(r.code);
  return out;
}

TEST(LoadAllStocks, DirectoryFailuresKeepTheTable) {
  struct Case {
    const char* what;
    void (*setup)(test::DataDir&);
    std::vector<std::string> texts;  // boxes shown, in order
  } cases[] = {
      {"no directory at all", [](test::DataDir& d) { d.app.config.datDir = d.dir.file("missing"); },
       {kMsgNoDataDir}},
      {"DAT directory without index.dat",
       [](test::DataDir& d) {
         d.useDat();
         d.dir.mkdir("dat");
       },
       {"无法打开数据索引文件:", kMsgNothingFound}},
      {"index.dat is a directory",
       [](test::DataDir& d) {
         d.useDat();
         d.dir.mkdir("dat/index.dat");
       },
       {"无法打开数据索引文件:", kMsgNothingFound}},
      {"index.dat of 11 bytes",
       [](test::DataDir& d) {
         d.useDat();
         d.write("dat/index.dat", "ZORI\1\0\0\0abc");
       },
       {kMsgIndexMagic, kMsgNothingFound}},
      {"wrong magic",
       [](test::DataDir& d) {
         d.useDat();
         d.write("dat/index.dat", "ZORX" + indexDatBytes({entry("600000", "浦发银行", 1, 10)}).substr(4));
       },
       {kMsgIndexMagic, kMsgNothingFound}},
      {"entries that all fail the listing rule",
       [](test::DataDir& d) {
         d.useDat();
         d.writeIndex({entry("600000", "浦发银行", 1, 0), entry("000300", "沪深300指数", 0, 3000)});
       },
       {kMsgNothingFound}},
      {"empty vipdoc directory",
       [](test::DataDir& d) {
         d.useLc1();
         d.dir.mkdir("lc1/sh/lday");
       },
       {kMsgNothingFound}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::DataDir d;
    d.app.market.stocks.resize(3);
    d.app.market.thsRoot = "old root";
    c.setup(d);
    EXPECT_FALSE(loadAllStocks(d.app));
    EXPECT_EQ(d.app.market.stocks.size(), 3u);
    EXPECT_EQ(d.app.market.thsRoot, "old root");
    ASSERT_EQ(d.ui.boxes.size(), c.texts.size());
    for (size_t i = 0; i < c.texts.size(); ++i) {
      EXPECT_TRUE(startsWith(d.ui.boxes[i].text, c.texts[i])) << d.ui.boxes[i].text;
      EXPECT_TRUE(d.ui.boxes[i].flags & MsgTopmost);
    }
    if (!d.ui.boxes.empty()) {
      bool warning = d.ui.boxes.back().text == kMsgNothingFound;
      EXPECT_EQ(d.ui.boxes.back().caption, warning ? kCaptionNoData : kCaptionDataDir);
      EXPECT_TRUE(d.ui.boxes.back().flags & (warning ? MsgWarning : MsgError));
    }
  }
}

TEST(LoadAllStocks, ListingRuleOrderAndIndices) {
  test::DataDir d;
  d.useDat();
  IndexEntry nulCode = entry("300750", "宁德时代", 0, 200);
  nulCode.codePad = '\0';
  d.writeIndex({
      entry("600000", "浦发银行", 1, 10.5f, 10.2f),
      entry("000001", "平安银行", 0, 12, 0),  // previous close 0: the latest close
      entry("688001", "华兴源创", 1, 30, 29),
      nulCode,
      entry("000300", "沪深300指数", 0, 3000, 2990),  // an index: removed after naming
      entry("200002", "万科B", 0, 5, 5),             // Shenzhen B share: not 00 or 30
      entry("830001", "北交所", 0, 5, 5),
      entry("000001", "上证指数", 1, 3000, 3000),  // Shanghai index code
      entry("60000", "五位", 1, 5, 5),
      entry("600003", "零价", 1, 0, 5),
      entry("600004", "负价", 1, -1, 5),
      entry("600005", "过高", 1, 2e7f, 5),
      entry("600006", "NaN", 1, std::nanf(""), 5),
      entry("600007", "市场2", 2, 5, 5),
      entry("600008", "最高价", 1, 1e7f, 1e7f),
  });
  ASSERT_TRUE(loadAllStocks(d.app));
  EXPECT_TRUE(d.ui.boxes.empty());
  EXPECT_EQ(codes(d.app), (std::vector<std::string>{"000001", "300750", "600000", "600008", "688001"}));
  // index is the position before the index instruments were removed
  std::vector<int> indices;
  for (const StockRecord& r : d.app.market.stocks) indices.push_back(r.index);
  EXPECT_EQ(indices, (std::vector<int>{0, 2, 3, 4, 5}));
  const StockRecord& pingan = d.app.market.stocks[0];
  EXPECT_EQ(pingan.board, "深市");
  EXPECT_EQ(pingan.dataFile, "0.000001.dat");
  EXPECT_TRUE(pingan.hasDat);
  EXPECT_EQ(d.app.market.stocks[1].board, "创业板");
  EXPECT_EQ(d.app.market.stocks[2].dataFile, "1.600000.dat");
  EXPECT_EQ(d.app.market.stocks[4].board, "科创板");
  // No DAT files: the daily loads found nothing and left the index quote.
  EXPECT_DOUBLE_EQ(d.app.market.stocks[2].prevClose, 10.2f);
  EXPECT_DOUBLE_EQ(d.app.market.stocks[2].lastPrice, 10.5f);
  EXPECT_DOUBLE_EQ(pingan.prevClose, 12);
}

TEST(LoadAllStocks, NamePrecedence) {
  test::DataDir d;
  d.useDat();
  d.writeIndex({entry("600519", "茅台旧名", 1, 1500), entry("600036", "招行", 1, 30), entry("600000", "浦发", 1, 10),
                entry("000002", "万 科Ａ", 0, 10), entry("600010", "包钢", 1, 2)});
  d.write("stock_names.txt", stockNamesBytes({{"600519", "茅台"}}) + "600010\n");
  ASSERT_TRUE(loadAllStocks(d.app));
  std::map<std::string, std::string> names;
  for (const StockRecord& r : d.app.market.stocks) names[r.code] = r.name;
  EXPECT_EQ(names["600519"], "茅台");      // stock_names.txt over the built-in table and the index
  EXPECT_EQ(names["600036"], "招商银行");  // the built-in table over the index
  EXPECT_EQ(names["600000"], "浦发");      // the index
  EXPECT_EQ(names["000002"], "万科A");     // built-in
  EXPECT_EQ(names["600010"], "");          // a code alone in stock_names.txt
}

TEST(LoadAllStocks, DailyBarsOfTheFirst60) {
  for (int count : {40, 100}) {
    test::DataDir d;
    d.useDat();
    std::vector<IndexEntry> es;
    for (int i = 0; i < count; ++i) {
      std::string code = strPrintf("600%03d", i);
      es.push_back(entry(code, "股" + code, 1, 10, 9.5f));
      d.writeDat(1, code, {day(20240104, 10, 11, 9, 10.5), day(20240105, 10, 11, 9, 10.8)});
    }
    d.writeIndex(es);
    ASSERT_TRUE(loadAllStocks(d.app));
    ASSERT_EQ(d.app.market.stocks.size(), size_t(count));
    for (int i = 0; i < count; ++i) {
      const StockRecord& r = d.app.market.stocks[size_t(i)];
      EXPECT_EQ(r.dayLoaded, i < 60) << i;
      EXPECT_EQ(r.k.size(), i < 60 ? 2u : 0u) << i;
      if (i < 60) {
        EXPECT_DOUBLE_EQ(r.lastPrice, 10.8f);
      }
      if (i < 60) {
        EXPECT_DOUBLE_EQ(r.prevClose, 10.5f);
      }
    }
    EXPECT_TRUE(d.ui.boxes.empty());
  }
}

TEST(LoadAllStocks, IndexTraceLines) {
  struct {
    int entrySize;
    int extra;
    const char* line;
    bool warn;
  } cases[] = {{kIndexEntry57, 0, "IDXDAT entries=2 recSize=57 hasPrev=0 maxLastDate=20240105 badPrice=1", false},
               {kIndexEntry61, 0, "IDXDAT entries=2 recSize=61 hasPrev=1 maxLastDate=20240105 badPrice=1", false},
               {kIndexEntry61, 6, "IDXDAT entries=2 recSize=64 hasPrev=1 maxLastDate=20240105 badPrice=1", true}};
  for (const auto& c : cases) {
    test::TraceCapture trace;
    test::DataDir d;
    d.useDat();
    d.write("dat/index.dat", indexDatBytes({entry("600000", "浦发", 1, 10), entry("600001", "坏价", 1, 0)}, c.entrySize) +
                                 std::string(size_t(c.extra), '\0'));
    loadAllStocks(d.app);
    EXPECT_TRUE(trace.contains(c.line)) << trace.text();
    EXPECT_EQ(trace.contains("IDXDAT WARN recSize=64"), c.warn);
  }
}

TEST(LoadAllStocks, WorksInAChineseFolder) {
  TempDir dir("测试目录");
  TestUi ui;
  AppState app;
  app.ui = &ui;
  app.config.exeDir = dir.path();
  app.config.datDir = dir.file("数据");
  dir.write("数据/index.dat", indexDatBytes({entry("600000", "浦发银行", 1, 10)}));
  dir.write("数据/1.600000.dat", datFileBytes({day(20240105, 10, 11, 9, 10.5)}, {}));
  ASSERT_TRUE(loadAllStocks(app));
  ASSERT_EQ(app.market.stocks.size(), 1u);
  EXPECT_EQ(app.market.stocks[0].k.size(), 1u);
}

// ---- daily bars of one instrument ----

struct DayCase {
  const char* what;
  std::string dat;  // bytes of 1.600000.dat, empty: no file
  std::string vipdoc;  // bytes of sh600000.day, empty: no file
  std::vector<std::pair<std::string, double>> want;  // date, close (NO_PRICE for marked bars)
};

TEST(LoadDayBars, DatAndVipdocMerge) {
  std::string datTwo = datFileBytes({day(20240102, 10, 11, 9, 10.5), day(20240103, 10, 11, 9, 10.25)}, {});
  std::string bigD = datTwo;
  patchU32(bigD, 45, 300000);
  std::string zeroD = datTwo;
  patchU32(zeroD, 45, 0);
  std::string negD = datTwo;
  patchU32(negD, 45, uint32_t(-1));
  std::string moreD = datTwo;
  patchU32(moreD, 45, 3);  // a short read
  std::string badMagic = "ZO2M" + datTwo.substr(4);
  DayCase cases[] = {
      {"DAT only", datTwo, "", {{"20240102", 10.5}, {"20240103", 10.25}}},
      {"D of 300,000 contributes nothing", bigD + std::string(36 * 10, '\0'), "", {}},
      {"D of 0", zeroD, "", {}},
      {"negative D", negD, "", {}},
      {"D beyond the file", moreD, "", {}},
      {"wrong magic", badMagic, "", {}},
      {"shorter than the header", datTwo.substr(0, 40), "", {}},
      {"vipdoc only", "", vipdocDayBytes({day(20240104, 10, 11, 9, 10.75)}), {{"20240104", 10.75}}},
      {"same date in both: the vipdoc bar", datTwo, vipdocDayBytes({day(20240103, 10, 11, 9, 10.75)}),
       {{"20240102", 10.5}, {"20240103", 10.75}}},
      {"same date, vipdoc bar without prices: the DAT bar", datTwo,
       vipdocDayBytes({day(20240103, 10, 11, 10.5, 10.25)}),  // low above close
       {{"20240102", 10.5}, {"20240103", 10.25}}},
      {"interleaved dates sorted", datTwo,
       vipdocDayBytes({day(20240104, 10, 11, 9, 10.75), day(20240101, 10, 11, 9, 9.5)}),
       {{"20240101", 9.5}, {"20240102", 10.5}, {"20240103", 10.25}, {"20240104", 10.75}}},
      {"DAT bar with low above the open", datFileBytes({day(20240102, 10, 11, 10.2, 10.5)}, {}), "",
       {{"20240102", NO_PRICE}}},
  };
  for (const DayCase& c : cases) {
    SCOPED_TRACE(c.what);
    test::DataDir d;
    d.useDat();
    d.useLc1();
    d.dir.mkdir("lc1/sh/lday");
    if (!c.dat.empty()) d.write("dat/1.600000.dat", c.dat);
    if (!c.vipdoc.empty()) d.write("lc1/sh/lday/sh600000.day", c.vipdoc);
    StockRecord r;
    r.code = "600000", r.market = 1, r.hasDat = true, r.hasLc1 = true, r.dataFile = "1.600000.dat";
    loadDayBars(d.app.market, r, d.app.mode.tradeMode);
    EXPECT_TRUE(r.dayLoaded);
    ASSERT_EQ(r.k.size(), c.want.size());
    for (size_t i = 0; i < c.want.size(); ++i) {
      EXPECT_EQ(r.k[i].dateText(), c.want[i].first);
      EXPECT_DOUBLE_EQ(r.k[i].close, c.want[i].second);
    }
  }
}

TEST(LoadDayBars, WhoLoadsFromFiles) {
  test::DataDir d;
  d.useDat();
  d.writeDat(1, "600000", {day(20240102, 10, 11, 9, 10.5)});
  struct {
    const char* what;
    bool hasDat, hasLc1, loaded;
    const char* thsRoot;
    size_t bars;
  } cases[] = {{"DAT", true, false, false, "", 1},          {"no source", false, false, false, "", 0},
               {"THS-only: from its minutes", false, true, false, "/ths", 0},
               {"DAT beside THS", true, true, false, "/ths", 1}, {"already loaded", true, false, true, "", 0}};
  for (const auto& c : cases) {
    StockRecord r;
    r.code = "600000", r.market = 1, r.dataFile = "1.600000.dat";
    r.hasDat = c.hasDat, r.hasLc1 = c.hasLc1, r.dayLoaded = c.loaded;
    d.app.market.thsRoot = c.thsRoot;
    loadDayBars(d.app.market, r, d.app.mode.tradeMode);
    EXPECT_TRUE(r.dayLoaded) << c.what;
    EXPECT_EQ(r.k.size(), c.bars) << c.what;
  }
}

TEST(LoadDayBars, SnapshotSkipsATrailingBarWithoutPrices) {
  test::DataDir d;
  d.useDat();
  d.writeDat(1, "600000", {day(20240102, 10, 11, 9, 10.5), day(20240103, 10, 11, 9, 10.75), noPriceDay(20240104)});
  StockRecord r;
  r.code = "600000", r.market = 1, r.hasDat = true, r.dataFile = "1.600000.dat";
  loadDayBars(d.app.market, r, d.app.mode.tradeMode);
  ASSERT_EQ(r.k.size(), 3u);
  EXPECT_DOUBLE_EQ(r.lastPrice, 10.75);
  EXPECT_DOUBLE_EQ(r.prevClose, 10.5);
}

}  // namespace
}  // namespace zor
