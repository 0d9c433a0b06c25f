// The format writers: every file is decoded here with plain byte reads at the documented
// offsets, independently of the program's loaders.
#include "sample_market/market_writer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/file_io.h"
#include "platform/text.h"
#include "temp_dir.h"

namespace zor {
namespace {

uint32_t u16At(const std::string& b, size_t o) { return uint8_t(b[o]) | uint32_t(uint8_t(b[o + 1])) << 8; }
uint32_t u32At(const std::string& b, size_t o) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | uint8_t(b[o + size_t(i)]);
  return v;
}
int32_t i32At(const std::string& b, size_t o) { return int32_t(u32At(b, o)); }
float f32At(const std::string& b, size_t o) {
  uint32_t bits = u32At(b, o);
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}
double f64At(const std::string& b, size_t o) {
  uint64_t bits = uint64_t(u32At(b, o)) | uint64_t(u32At(b, o + 4)) << 32;
  double d;
  std::memcpy(&d, &bits, 8);
  return d;
}

// The THS packed-number rule, written out from the format description.
double decodeThs(uint32_t v) {
  double m = v & 0x0FFFFFFF;
  uint32_t e = v >> 28;
  for (uint32_t i = 0; i < (e < 8 ? e : e - 8); ++i) m = e < 8 ? m * 10 : m / 10;
  return m;
}

DayBar day(int date, double o, double h, double l, double c, double v, double a) {
  DayBar b;
  b.setDate(date);
  b.open = o, b.high = h, b.low = l, b.close = c, b.volume = v, b.amount = a;
  return b;
}

MinuteBar minute(int date, int time, float o, float h, float l, float c, double v, double a) {
  MinuteBar m;
  m.date = date, m.time = time, m.open = o, m.high = h, m.low = l, m.close = c, m.volume = v, m.amount = a;
  return m;
}

TEST(IndexDat, BothEntryLayouts) {
  std::vector<IndexEntry> entries(2);
  entries[0] = {"600000", "浦江银行", 1, 10.25f, 10.11f, 20240105, ' '};
  entries[1] = {"000002", "万众科技", 0, 7.5f, 7.25f, 20240104, '\0'};
  struct {
    int size;
    size_t prevAt;  // 0: not stored
    size_t dateAt;
  } cases[] = {{kIndexEntry57, 0, 49}, {kIndexEntry61, 45, 53}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    std::string b = indexDatBytes(entries, c.size);
    ASSERT_EQ(b.size(), 8u + 2u * size_t(c.size));
    EXPECT_EQ(b.substr(0, 4), "ZORI");
    EXPECT_EQ(i32At(b, 4), 2);
    for (size_t i = 0; i < 2; ++i) {
      size_t e = 8 + i * size_t(c.size);
      std::string pad(2, entries[i].codePad);
      EXPECT_EQ(b.substr(e, 8), entries[i].code + pad);
      std::string name = b.substr(e + 8, 32);
      EXPECT_EQ(name.substr(0, entries[i].name.size()), entries[i].name);
      EXPECT_EQ(name.find_first_not_of('\0', entries[i].name.size()), std::string::npos);
      EXPECT_EQ(uint8_t(b[e + 40]), entries[i].market);
      EXPECT_EQ(f32At(b, e + 41), entries[i].lastClose);
      if (c.prevAt) {
        EXPECT_EQ(f32At(b, e + c.prevAt), entries[i].prevClose);
      }
      EXPECT_EQ(i32At(b, e + c.dateAt), entries[i].lastDate);
    }
  }
}

TEST(DatFile, HeaderDailyAndMinuteRecords) {
  std::vector<DayBar> days = {day(20240104, 10.01, 10.5, 9.9, 10.2, 123400, 1256789.5),
                              day(20240105, 10.2, 10.3, 10.0, 10.05, 5600, 56789)};
  std::vector<MinuteBar> mins = {minute(20240105, 571, 10.2f, 10.3f, 10.19f, 10.25f, 300, 3072.5),
                                 minute(20240105, 900, 10.06f, 10.07f, 10.0f, 10.05f, 200, 2011)};
  std::string b = datFileBytes(days, mins);
  ASSERT_EQ(b.size(), 53u + 36 * 2 + 38 * 2);
  EXPECT_EQ(datFileName(1, "600000"), "1.600000.dat");
  EXPECT_EQ(b.substr(0, 4), "ZO1M");
  EXPECT_EQ(i32At(b, 45), 2);
  EXPECT_EQ(i32At(b, 49), 2);
  for (size_t i = 0; i < 2; ++i) {
    size_t r = 53 + 36 * i;
    EXPECT_EQ(u32At(b, r), uint32_t(days[i].dateInt()));
    EXPECT_EQ(f32At(b, r + 4), float(days[i].open));
    EXPECT_EQ(f32At(b, r + 8), float(days[i].high));
    EXPECT_EQ(f32At(b, r + 12), float(days[i].low));
    EXPECT_EQ(f32At(b, r + 16), float(days[i].close));
    EXPECT_EQ(f64At(b, r + 20), days[i].volume);
    EXPECT_EQ(f64At(b, r + 28), days[i].amount);
  }
  for (size_t i = 0; i < 2; ++i) {
    size_t r = 53 + 36 * 2 + 38 * i;
    EXPECT_EQ(i32At(b, r), mins[i].date);
    EXPECT_EQ(u16At(b, r + 4), uint32_t(mins[i].time));
    EXPECT_EQ(f32At(b, r + 6), mins[i].open);
    EXPECT_EQ(f32At(b, r + 10), mins[i].high);
    EXPECT_EQ(f32At(b, r + 14), mins[i].low);
    EXPECT_EQ(f32At(b, r + 18), mins[i].close);
    EXPECT_EQ(f64At(b, r + 22), mins[i].volume);
    EXPECT_EQ(f64At(b, r + 30), mins[i].amount);
  }
}

TEST(Vipdoc, DayRecordsHoldCentsAndWholeShares) {
  // float(10.05) * 100 is 1004.99..., which must still store 1005 cents.
  std::vector<DayBar> days = {day(20240105, double(10.05f), 10.5, 9.99, 10.2, 123400, 1256789.5)};
  std::string b = vipdocDayBytes(days);
  ASSERT_EQ(b.size(), 32u);
  EXPECT_EQ(u32At(b, 0), 20240105u);
  EXPECT_EQ(i32At(b, 4), 1005);
  EXPECT_EQ(i32At(b, 8), 1050);
  EXPECT_EQ(i32At(b, 12), 999);
  EXPECT_EQ(i32At(b, 16), 1020);
  EXPECT_EQ(f32At(b, 20), 1256789.5f);
  EXPECT_EQ(i32At(b, 24), 123400);
}

TEST(Vipdoc, Lc1RecordsAndPackedDate) {
  EXPECT_EQ(packLc1Date(20351231), 31 * 2048 + 1231);  // the last date 16 bits hold
  EXPECT_EQ(packLc1Date(20040102), 102);
  std::vector<MinuteBar> mins = {minute(20240105, 571, 10.2f, 10.3f, 10.19f, 10.25f, 300, 3072.5)};
  std::string b = vipdocLc1Bytes(mins);
  ASSERT_EQ(b.size(), 32u);
  uint32_t packedDate = u16At(b, 0);
  EXPECT_EQ(packedDate / 2048 * 10000 + packedDate % 2048 + 20040000, 20240105u);
  EXPECT_EQ(u16At(b, 2), 571u);
  EXPECT_EQ(f32At(b, 4), 10.2f);
  EXPECT_EQ(f32At(b, 8), 10.3f);
  EXPECT_EQ(f32At(b, 12), 10.19f);
  EXPECT_EQ(f32At(b, 16), 10.25f);
  EXPECT_EQ(f32At(b, 20), 3072.5f);
  EXPECT_EQ(u32At(b, 24), 300u);
}

TEST(Ths, PackedNumbersDecodeExactly) {
  struct {
    double value;
    double decoded;  // what the packed form reads back as
  } cases[] = {
      {500, 500},
      {123.4, 123.4},
      {12.34, 12.34},
      {0.01, 0.01},
      {1234567.25, 1234567.25},
      {268435455, 268435455},       // the largest mantissa
      {3000000000.0, 3000000000.0}, // needs a power of ten
      {123456700, 123456700},
      {-5, 0},
      {0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(decodeThs(packThsNumber(c.value)), c.decoded);
  }
  EXPECT_EQ(packThsNumber(123.4), 9u << 28 | 1234);
  // Too many digits for 28 bits: the nearest representable value.
  EXPECT_NEAR(decodeThs(packThsNumber(1.0 / 3)), 1.0 / 3, 1e-7);
  EXPECT_NEAR(decodeThs(packThsNumber(300000001.0)), 300000001.0, 10);
  for (float f : {10.01f, 12.34f, 0.05f, 1999.99f, 3056.78f, 9999.99f})
    EXPECT_EQ(float(decodeThs(packThsPrice(f))), f) << f;
}

TEST(Ths, MinFileHeaderAndRecords) {
  std::vector<MinuteBar> mins = {minute(20240105, 571, 10.2f, 10.3f, 10.19f, 10.25f, 300, 3072.5),
                                 minute(20241231, 900, 10.06f, 10.07f, 10.0f, 10.05f, 200, 2011)};
  std::string b = thsMinBytes(mins);
  EXPECT_EQ(b.substr(0, 5), "hd1.0");
  EXPECT_EQ(i32At(b, 6), 2);
  uint32_t h = u16At(b, 10), r = u16At(b, 12), c = u16At(b, 14);
  EXPECT_EQ(c, 7u);
  EXPECT_EQ(h, 16 + 4 * c);
  EXPECT_EQ(r, 28u);
  ASSERT_EQ(b.size(), h + 2 * r);
  const uint32_t ids[] = {0x3001, 0x7007, 0x7008, 0x7009, 0x700B, 0x700D, 0x7013};
  for (uint32_t i = 0; i < c; ++i) EXPECT_EQ(u32At(b, 16 + 4 * i), 4u << 24 | ids[i]);
  for (size_t i = 0; i < 2; ++i) {
    size_t o = h + r * i;
    uint32_t dt = u32At(b, o);
    int date = int((dt >> 20) + 1900) * 10000 + int((dt >> 16) & 0xF) * 100 + int((dt >> 11) & 0x1F);
    int time = int((dt >> 6) & 0x1F) * 60 + int(dt & 0x3F);
    EXPECT_EQ(date, mins[i].date);
    EXPECT_EQ(time, mins[i].time);
    EXPECT_EQ(float(decodeThs(u32At(b, o + 4))), mins[i].open);
    EXPECT_EQ(float(decodeThs(u32At(b, o + 8))), mins[i].high);
    EXPECT_EQ(float(decodeThs(u32At(b, o + 12))), mins[i].low);
    EXPECT_EQ(float(decodeThs(u32At(b, o + 16))), mins[i].close);
    EXPECT_EQ(decodeThs(u32At(b, o + 20)), mins[i].volume);
    EXPECT_EQ(decodeThs(u32At(b, o + 24)), mins[i].amount);
  }
}

TEST(Ths, UnknownColumnsOtherWidthsAndPadding) {
  ThsMinOptions opt;
  opt.columns = {{kThsDateTime, 4}, {0x1234, 4}, {kThsClose, 4}, {kThsVolume, 8}, {0x7777, 2}};
  opt.extraHeaderBytes = 6;
  opt.extraRecordBytes = 3;
  opt.fill = 0xAB;
  std::string b = thsMinBytes({minute(20240105, 571, 1, 1, 1, 10.25f, 300, 1)}, opt);
  uint32_t h = u16At(b, 10), r = u16At(b, 12);
  EXPECT_EQ(h, 16u + 4 * 5 + 6);
  EXPECT_EQ(r, 4u + 4 + 4 + 8 + 2 + 3);
  ASSERT_EQ(b.size(), h + r);
  EXPECT_EQ(u32At(b, 16 + 4 * 1), 4u << 24 | 0x1234);
  EXPECT_EQ(u32At(b, 16 + 4 * 3), 8u << 24 | 0x700D);
  EXPECT_EQ(u32At(b, 16 + 4 * 4), 2u << 24 | 0x7777);
  EXPECT_EQ(u32At(b, h + 4), 0xABABABABu);              // unknown id
  EXPECT_EQ(float(decodeThs(u32At(b, h + 8))), 10.25f);  // close still after it
  EXPECT_EQ(b.substr(h + 12, 10), std::string(10, char(0xAB)));  // 8-byte volume, 2-byte column
  EXPECT_EQ(b.substr(h + 22, 3), std::string(3, '\0'));
}

TEST(Names, ThsNameFileIsGbkWithSectionAndVersion) {
  std::string b = thsNameFileBytes({{"600000", "浦江银行"}, {"600001", "ＡＢ　科技"}}, "SH");
  EXPECT_EQ(gbkToUtf8(b), "ConfigVer=1.0\n[SH]\n600000=浦江银行|0\n600001=ＡＢ　科技|0\n");
  EXPECT_NE(b, gbkToUtf8(b));  // really GBK, not UTF-8
}

TEST(Names, StockNamesFileHasTabLines) {
  EXPECT_EQ(stockNamesBytes({{"600000", "浦江银行"}, {"000002", "万众科技"}}),
            "# code<TAB>name\n600000\t浦江银行\n000002\t万众科技\n");
}

TEST(WriteMarket, PutsEachInstrumentWhereItsLayoutExpectsIt) {
  std::vector<SampleInstrument> list(3);
  list[0] = {"600000", "浦江银行", Exchange::Shanghai, {day(20240105, 10, 11, 9, 10.5, 100, 1000)}, {}};
  list[0].minutes = {minute(20240105, 571, 10, 10, 10, 10, 100, 1000)};
  list[1] = {"000002", "万众科技", Exchange::Shenzhen, {day(20240105, 5, 5, 5, 5, 100, 500)}, {}};
  list[2] = {"830799", "北方精工", Exchange::Beijing, {day(20240105, 8, 8, 8, 8, 100, 800)}, {}};
  TempDir tmp("sample_writer");
  std::string root = tmp.file("m");
  WriteStats stats;
  std::string error;
  ASSERT_TRUE(writeMarket(root, list, MarketLayouts{}, &stats, &error)) << error;

  const char* present[] = {
      "dat/index.dat",
      "dat/1.600000.dat",
      "dat/0.000002.dat",
      "dat/0.830799.dat",
      "vipdoc/sh/lday/sh600000.day",
      "vipdoc/sh/minline/sh600000.lc1",
      "vipdoc/sz/lday/sz000002.day",
      "vipdoc/sz/lday/bj830799.day",
      "ths/history/shase/min/600000.min",
      "ths/stockname/stockname_16_0.txt",
      "ths/stockname/stockname_32_0.txt",
      "ths/stockname/stockname_144_0.txt",
      "stock_names.txt",
  };
  uint64_t total = 0;
  for (const char* rel : present) {
    uint64_t size = 0;
    EXPECT_TRUE(fileSize(joinPath(root, rel), size)) << rel;
    total += size;
  }
  EXPECT_EQ(stats.files, int(std::size(present)));
  EXPECT_EQ(stats.bytes, total);
  // No minute bars, no minute files.
  EXPECT_FALSE(fileExists(joinPath(root, "vipdoc/sz/minline/sz000002.lc1")));
  EXPECT_FALSE(fileExists(joinPath(root, "ths/history/sznse/min/000002.min")));
  EXPECT_TRUE(isDirectory(joinPath(root, "ths/history/stb/min")));

  // The index takes the latest close from the last daily bar.
  std::string index = tmp.read("m/dat/index.dat");
  EXPECT_EQ(f32At(index, 8 + 41), 10.5f);

  MarketLayouts onlyVipdoc;
  onlyVipdoc.dat = onlyVipdoc.ths = onlyVipdoc.stockNames = false;
  ASSERT_TRUE(writeMarket(tmp.file("v"), list, onlyVipdoc, &stats, &error)) << error;
  EXPECT_EQ(stats.files, 4);
  EXPECT_FALSE(isDirectory(tmp.file("v/dat")));
}

TEST(WriteMarket, ASecondMarketReplacesTheFirst) {
  std::vector<SampleInstrument> list(2);
  list[0] = {"600000", "浦江银行", Exchange::Shanghai, {day(20240105, 10, 11, 9, 10.5, 100, 1000)}, {}};
  list[0].minutes = {minute(20240105, 571, 10, 10, 10, 10, 100, 1000)};
  list[1] = {"000002", "万众科技", Exchange::Shenzhen, {day(20240105, 5, 5, 5, 5, 100, 500)}, {}};
  list[1].minutes = list[0].minutes;
  TempDir tmp("sample_rewrite");
  std::string root = tmp.file("m"), error;
  ASSERT_TRUE(writeMarket(root, list, MarketLayouts{}, nullptr, &error)) << error;
  tmp.write("m/dat/notes.txt", "kept");
  list.pop_back();
  ASSERT_TRUE(writeMarket(root, list, MarketLayouts{}, nullptr, &error)) << error;
  for (const char* gone : {"dat/0.000002.dat", "vipdoc/sz/lday/sz000002.day", "vipdoc/sz/minline/sz000002.lc1",
                           "ths/history/sznse/min/000002.min"})
    EXPECT_FALSE(fileExists(joinPath(root, gone))) << gone;
  EXPECT_TRUE(fileExists(joinPath(root, "dat/1.600000.dat")));
  EXPECT_TRUE(fileExists(joinPath(root, "dat/notes.txt")));
}

TEST(WriteMarket, ReportsAFileThatCannotBeWritten) {
  TempDir tmp("sample_writer_fail");
  tmp.write("blocked", "a file where the directory should go");
  std::string error;
  EXPECT_FALSE(writeMarket(tmp.file("blocked"), {}, MarketLayouts{}, nullptr, &error));
  EXPECT_NE(error.find("blocked"), std::string::npos);
}

}  // namespace
}  // namespace zor
