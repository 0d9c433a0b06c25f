// Minute loads: the DAT minute block (counts, tail cut), the per-day merge with the .lc1 file,
// the daily bars appended from minutes and the snapshot of the latest day.
#include <gtest/gtest.h>

#include "data_fixture.h"

namespace zor {
namespace {

using test::day;
using test::minute;
using test::minutesOfDay;

std::vector<MinuteBar> concat(std::initializer_list<std::vector<MinuteBar>> parts) {
  std::vector<MinuteBar> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// An instrument with a DAT file and (optionally) a vipdoc .lc1 file.
struct MinuteDir : test::DataDir {
  StockRecord rec;
  MinuteDir() {
    useDat();
    useLc1();
    dir.mkdir("lc1/sh/minline");
    rec.code = "600000", rec.market = 1, rec.hasDat = true, rec.hasLc1 = true, rec.dataFile = "1.600000.dat";
  }
  void dat(const std::vector<DayBar>& days, const std::vector<MinuteBar>& mins) { writeDat(1, "600000", days, mins); }
  void lc1(const std::vector<MinuteBar>& mins) { write("lc1/sh/minline/sh600000.lc1", vipdocLc1Bytes(mins)); }
  std::map<int, std::pair<int, float>> perDay() {  // date -> (bars, first close)
    std::map<int, std::pair<int, float>> out;
    for (const MinuteBar& m : rec.minAll) {
      auto& e = out[m.date];
      if (e.first++ == 0) e.second = m.close;
    }
    return out;
  }
};

TEST(MinuteMerge, OneSourcePerDay) {
  struct Case {
    const char* what;
    std::vector<MinuteBar> dat, lc1;
    std::map<int, std::pair<int, float>> want;
  } cases[] = {
      {"240 DAT and 240 lc1 bars: DAT", minutesOfDay(20240105, 240, 10.f), minutesOfDay(20240105, 240, 20.f),
       {{20240105, {240, 10.f}}}},
      {"100 DAT and 240 lc1 bars: lc1", minutesOfDay(20240105, 100, 10.f), minutesOfDay(20240105, 240, 20.f),
       {{20240105, {240, 20.f}}}},
      {"100 DAT bars, day not in lc1: DAT", minutesOfDay(20240104, 100, 10.f), minutesOfDay(20240105, 240, 20.f),
       {{20240104, {100, 10.f}}, {20240105, {240, 20.f}}}},
      {"200 DAT bars are a full day", minutesOfDay(20240105, 200, 10.f), minutesOfDay(20240105, 240, 20.f),
       {{20240105, {200, 10.f}}}},
      {"lc1 only", {}, minutesOfDay(20240105, 50, 20.f), {{20240105, {50, 20.f}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MinuteDir d;
    d.dat({}, c.dat);
    d.lc1(c.lc1);
    loadMinuteBars(d.app.market, d.rec, d.app.mode.tradeMode);
    EXPECT_TRUE(d.rec.minLoaded);
    EXPECT_EQ(d.perDay(), c.want);
    EXPECT_TRUE(std::is_sorted(d.rec.minAll.begin(), d.rec.minAll.end(), [](const MinuteBar& a, const MinuteBar& b) {
      return a.date * 1440LL + a.time < b.date * 1440LL + b.time;
    }));
  }
}

TEST(MinuteMerge, DuplicateKeys) {
  MinuteDir d;
  std::vector<MinuteBar> dat = minutesOfDay(20240104, 240, 10.f);
  dat.push_back(minute(20240104, 900, 11, 11, 11, 11));  // a later DAT bar with the same key replaces
  std::vector<MinuteBar> lc1 = minutesOfDay(20240105, 30, 20.f);
  lc1.push_back(minute(20240105, 571, 21, 21, 21, 21));  // of lc1 duplicates the first stays
  d.dat({}, dat);
  d.lc1(lc1);
  loadMinuteBars(d.app.market, d.rec, d.app.mode.tradeMode);
  ASSERT_EQ(d.rec.minAll.size(), 270u);
  EXPECT_FLOAT_EQ(d.rec.minAll[239].close, 11.f);
  EXPECT_FLOAT_EQ(d.rec.minAll[240].close, 20.f);
}

TEST(MinuteMerge, DatMinuteBlockCountsAndTail) {
  std::vector<MinuteBar> good = minutesOfDay(20240105, 100);
  std::vector<MinuteBar> zeroTail = good;
  for (int i = 0; i < 50; ++i) zeroTail.push_back(minute(0, 571 + i, 10, 10, 10, 10));
  std::vector<MinuteBar> backwards = concat({minutesOfDay(20240105, 2), minutesOfDay(20240108, 2),
                                             minutesOfDay(20240104, 2), minutesOfDay(20240109, 2)});
  std::vector<MinuteBar> badTime = good;
  badTime[10].time = 2000;
  std::vector<MinuteBar> badPrice = good;
  badPrice[5].high = 1.f;

  auto file = [](const std::vector<MinuteBar>& m) { return datFileBytes({day(20240102, 10, 11, 9, 10)}, m); };
  auto withHeader = [&](const std::vector<MinuteBar>& m, int off, uint32_t v) {
    std::string b = file(m);
    patchU32(b, size_t(off), v);
    return b;
  };
  struct Case {
    const char* what;
    std::string bytes;
    size_t bars;
    std::vector<std::string> lines;
  } cases[] = {
      {"good", file(good), 100, {"DATMIN 600000 hdr_nmin=100 物理容量=100 实读=100"}},
      {"50 records dated 0 at the end", file(zeroTail), 100,
       {"DATMIN 600000 hdr_nmin=150 物理容量=150 实读=150", "DATMIN 600000 尾部截断 150 → 100 条"}},
      {"dates going backwards", file(backwards), 4, {"DATMIN 600000 尾部截断 8 → 4 条"}},
      {"a time of 2000", file(badTime), 99, {"尾部截断 100 → 99 条"}},
      {"an inconsistent price is marked", file(badPrice), 100, {"实读=100"}},
      {"minute count unset: read what the file holds", withHeader(good, 49, 0), 100,
       {"hdr_nmin=0 物理容量=100 实读=100"}},
      {"minute count beyond the file", withHeader(good, 49, 150), 100, {"hdr_nmin=150 物理容量=100 实读=150"}},
      {"minute count above 200,000", withHeader(good, 49, 300000), 100, {"hdr_nmin=300000 物理容量=100 实读=100"}},
      {"D of 300,000", withHeader(good, 45, 300000), 0, {"hdr_nmin=100 物理容量=0 实读=0"}},
      {"negative D", withHeader(good, 45, uint32_t(-1)), 0, {"物理容量=0 实读=0"}},
      {"D beyond the end of the file", withHeader(good, 45, 200), 0, {"物理容量=0 实读=0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TraceCapture trace;
    MinuteDir d;
    d.rec.hasLc1 = false;
    d.write("dat/1.600000.dat", c.bytes);
    loadMinuteBars(d.app.market, d.rec, d.app.mode.tradeMode);
    EXPECT_EQ(d.rec.minAll.size(), c.bars);
    for (const std::string& line : c.lines) EXPECT_TRUE(trace.contains(line)) << line << "\n" << trace.text();
  }
  MinuteDir d;
  d.rec.hasLc1 = false;
  d.write("dat/1.600000.dat", file(badPrice));
  loadMinuteBars(d.app.market, d.rec, d.app.mode.tradeMode);
  EXPECT_EQ(d.rec.minAll[5].close, NO_PRICE_F);
}

TEST(MinuteMerge, DailyBarsExtendedFromMinutes) {
  test::TraceCapture trace;
  MinuteDir d;
  std::vector<MinuteBar> last = minutesOfDay(20240109, 240, 11.f);
  last[60].open = last[60].high = last[60].low = last[60].close = NO_PRICE_F;  // ignored for prices
  d.dat({day(20240104, 10, 11, 9, 10), day(20240105, 10, 11, 9, 10)},
        concat({minutesOfDay(20240105, 240), minutesOfDay(20240108, 240, 10.f, 100.001)}));
  d.lc1(last);
  loadStockOnDemand(d.app, -1);  // nothing: outside the table
  d.app.market.stocks.push_back(d.rec);
  loadStockOnDemand(d.app, 0);
  const StockRecord& r = d.app.market.stocks[0];
  ASSERT_EQ(r.k.size(), 4u);
  EXPECT_EQ(r.k[2].dateText(), "20240108");
  EXPECT_DOUBLE_EQ(r.k[2].volume, 24000);  // 240 × 100.001, truncated to whole shares
  EXPECT_DOUBLE_EQ(r.k[3].low, 10.9f);
  EXPECT_TRUE(trace.contains("KMERGE 600000 用分钟补日K 2 根（20240105 → 20240109）")) << trace.text();

  // The latest day: minc and the snapshot from its valid minutes.
  EXPECT_EQ(r.minc.size(), 240u);
  EXPECT_EQ(r.minc.front().date, 20240109);
  EXPECT_DOUBLE_EQ(r.lastPrice, 11.f);
  EXPECT_DOUBLE_EQ(r.prevClose, 10.f);
  EXPECT_DOUBLE_EQ(r.high, 11.1f);
  EXPECT_DOUBLE_EQ(r.low, 10.9f);

  // A DAT-only instrument does not extend its daily bars.
  MinuteDir datOnly;
  datOnly.rec.hasLc1 = false;
  datOnly.dat({day(20240104, 10, 11, 9, 10)}, minutesOfDay(20240108, 240));
  loadMinuteBars(datOnly.app.market, datOnly.rec, datOnly.app.mode.tradeMode);
  EXPECT_EQ(datOnly.rec.k.size(), 1u);
}

TEST(MinuteMerge, PreviousCloseOfTheLatestDay) {
  struct Case {
    const char* what;
    std::vector<DayBar> days;
    std::vector<MinuteBar> mins;
    double prev;
  } cases[] = {
      {"last valid minute of an earlier day",
       {day(20240103, 10, 11, 9, 8)},
       concat({minutesOfDay(20240104, 240, 9.f), minutesOfDay(20240105, 240, 10.f)}), 9},
      {"else the last daily bar before the day", {day(20240103, 8, 9, 7, 8), day(20240105, 7, 8, 6, 7)},
       minutesOfDay(20240105, 240, 10.f), 8},
      {"else the day's open", {}, minutesOfDay(20240105, 240, 10.f), 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MinuteDir d;
    d.rec.hasLc1 = false;
    d.dat(c.days, c.mins);
    loadMinuteBars(d.app.market, d.rec, d.app.mode.tradeMode);
    EXPECT_DOUBLE_EQ(d.rec.prevClose, c.prev);
    EXPECT_DOUBLE_EQ(d.rec.lastPrice, 10);
  }
}

TEST(MinuteMerge, NoSourcesAndRepeatedLoads) {
  MinuteDir d;
  d.rec.hasDat = d.rec.hasLc1 = false;
  loadMinuteBars(d.app.market, d.rec, d.app.mode.tradeMode);
  EXPECT_TRUE(d.rec.minLoaded);
  EXPECT_TRUE(d.rec.minAll.empty());

  MinuteDir twice;
  twice.dat({}, minutesOfDay(20240105, 240));
  loadMinuteBars(twice.app.market, twice.rec, twice.app.mode.tradeMode);
  twice.dat({}, minutesOfDay(20240105, 10));
  loadMinuteBars(twice.app.market, twice.rec, twice.app.mode.tradeMode);  // loaded once only
  EXPECT_EQ(twice.rec.minAll.size(), 240u);
}

TEST(MinuteMerge, DirectoriesWhereFilesAreExpected) {
  struct {
    const char* what;
    const char* dir;
    bool ths;
  } cases[] = {{"DAT file", "dat/1.600000.dat", false},
               {".day file", "lc1/sh/lday/sh600000.day", false},
               {".lc1 file", "lc1/sh/minline/sh600000.lc1", false},
               {".min file", "lc1/shase/min/600000.min", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MinuteDir d;
    d.dir.mkdir(c.dir);
    if (c.ths) d.app.market.thsRoot = d.dir.file("lc1");
    d.rec.minFile = "shase\\min\\600000";
    loadDayBars(d.app.market, d.rec, d.app.mode.tradeMode);
    loadMinuteBars(d.app.market, d.rec, d.app.mode.tradeMode);
    EXPECT_TRUE(d.rec.dayLoaded && d.rec.minLoaded);
    EXPECT_TRUE(d.rec.k.empty());
    EXPECT_TRUE(d.rec.minAll.empty());
    double last = 0, prev = 0;
    EXPECT_FALSE(probeThsClose(d.dir.file(c.dir), last, prev));
    std::vector<MinuteBar> bars;
    EXPECT_FALSE(readThsMin(d.dir.file(c.dir), bars));
  }
}

}  // namespace
}  // namespace zor
