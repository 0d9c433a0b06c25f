// The decoders of index.dat, DAT, .day, .lc1 and .min bytes: layouts, validation, and bad
// counts, lengths and values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "data/formats.h"
#include "data_fixture.h"
#include "platform/text.h"

namespace zor {
namespace {

using test::day;
using test::entry;
using test::minute;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// ---- index.dat ----

TEST(DatIndexFormat, LayoutFollowsTheEntrySize) {
  std::vector<IndexEntry> es = {entry("600000", "浦发银行", 1, 10.5f, 10.2f), entry("000001", "平安银行", 0, 12.f, 0)};
  struct {
    const char* what;
    std::string bytes;
    int recSize;
    bool hasPrev;
    double prev0, prev1;
  } cases[] = {
      {"57 bytes", indexDatBytes(es, kIndexEntry57), 57, false, 10.5f, 12},
      {"61 bytes; previous close 0 falls back to the latest", indexDatBytes(es, kIndexEntry61), 61, true, 10.2f, 12},
      {"64 bytes read at a 61-byte stride", indexDatBytes(es, kIndexEntry61) + std::string(6, 'x'), 64, true, 10.2f,
       12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DatIndex idx;
    ASSERT_TRUE(parseDatIndex(c.bytes, idx));
    EXPECT_EQ(idx.recSize, c.recSize);
    EXPECT_EQ(idx.hasPrev, c.hasPrev);
    ASSERT_EQ(idx.entries.size(), 2u);
    EXPECT_EQ(idx.entries[0].code, "600000");
    EXPECT_EQ(idx.entries[0].name, "浦发银行");
    EXPECT_EQ(idx.entries[0].market, 1);
    EXPECT_DOUBLE_EQ(idx.entries[0].lastClose, 10.5f);
    EXPECT_DOUBLE_EQ(idx.entries[0].prevClose, c.prev0);
    EXPECT_DOUBLE_EQ(idx.entries[1].prevClose, c.prev1);
    EXPECT_EQ(idx.entries[1].lastDate, 20240105);
  }
}

TEST(DatIndexFormat, CodesNamesAndBadCounts) {
  IndexEntry padded = entry("600000", "X", 1, 10);
  IndexEntry nulPadded = entry("000001", "Y", 0, 10);
  nulPadded.codePad = '\0';
  IndexEntry longName = entry("600001", "一二三四五六七八九十壹", 1, 10);  // 33 bytes
  IndexEntry gbk = entry("600002", utf8ToGbk("浦发银行"), 1, 10);
  DatIndex idx;
  ASSERT_TRUE(parseDatIndex(indexDatBytes({padded, nulPadded, longName, gbk}), idx));
  ASSERT_EQ(idx.entries.size(), 4u);
  EXPECT_EQ(idx.entries[0].code, "600000");
  EXPECT_EQ(idx.entries[1].code, "000001");
  EXPECT_EQ(idx.entries[2].name, "一二三四五六七八九十");  // cut at a character boundary
  EXPECT_EQ(idx.entries[3].name, "浦发银行");

  std::string two = indexDatBytes({padded, nulPadded});
  struct {
    const char* what;
    int32_t count;
    size_t entries;
  } counts[] = {{"zero", 0, 0}, {"negative", -5, 0}, {"huge", 0x7fffffff, 2}, {"more than present", 3, 2}};
  for (const auto& c : counts) {
    std::string b = two;
    patchU32(b, 4, uint32_t(c.count));
    ASSERT_TRUE(parseDatIndex(b, idx)) << c.what;
    EXPECT_EQ(idx.entries.size(), c.entries) << c.what;
  }
  EXPECT_FALSE(parseDatIndex("ZORI\1\0\0\0abc", idx));  // 11 bytes
  EXPECT_FALSE(parseDatIndex("ZORX" + two.substr(4), idx));
  EXPECT_FALSE(parseDatIndex("", idx));
}

// ---- per-instrument DAT ----

std::string datDayRecord(uint32_t date, float o, float h, float l, float c, double v, double a) {
  std::string r;
  putU32(r, date);
  putF32(r, o), putF32(r, h), putF32(r, l), putF32(r, c);
  putF64(r, v), putF64(r, a);
  return r;
}

TEST(DatFileFormat, DailyRecordsValidatedAndBadDatesDropped) {
  struct {
    const char* what;
    std::string rec;
    bool kept;
    bool priced;
    double volume, amount;
  } cases[] = {
      {"valid", datDayRecord(20240102, 10, 11, 9, 10.5f, 100, 1000), true, true, 100, 1000},
      {"price above 10000", datDayRecord(20240102, 10, 10001, 9, 10, 100, 1000), true, false, 100, 1000},
      {"price below 0.01", datDayRecord(20240102, 0.001f, 11, 0.001f, 10, 100, 1000), true, false, 100, 1000},
      {"high below close", datDayRecord(20240102, 10, 10.2f, 9, 10.5f, 100, 1000), true, false, 100, 1000},
      {"low above open", datDayRecord(20240102, 10, 11, 10.2f, 10.5f, 100, 1000), true, false, 100, 1000},
      {"NaN price", datDayRecord(20240102, kNaN, 11, 9, 10, 100, 1000), true, false, 100, 1000},
      {"infinite high", datDayRecord(20240102, 10, kInf, 9, 10, 100, 1000), true, false, 100, 1000},
      {"negative volume, NaN amount", datDayRecord(20240102, 10, 11, 9, 10, -5, std::nan("")), true, true, 0, 0},
      {"date 0", datDayRecord(0, 10, 11, 9, 10, 100, 1000), false, false, 0, 0},
      {"month 13", datDayRecord(20241301, 10, 11, 9, 10, 100, 1000), false, false, 0, 0},
      {"date 0xFFFFFFFF", datDayRecord(0xFFFFFFFFu, 10, 11, 9, 10, 100, 1000), false, false, 0, 0},
      {"31 February", datDayRecord(20240231, 10, 11, 9, 10, 100, 1000), false, false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<DayBar> out;
    decodeDatDays(c.rec + "partial", out);
    ASSERT_EQ(out.size(), c.kept ? 1u : 0u);
    if (!c.kept) continue;
    EXPECT_EQ(out[0].dateText(), "20240102");
    EXPECT_EQ(isValidBar(out[0]), c.priced);
    if (!c.priced) {
      EXPECT_EQ(out[0].close, NO_PRICE);
    }
    EXPECT_EQ(out[0].volume, c.volume);
    EXPECT_EQ(out[0].amount, c.amount);
  }
}

TEST(DatFileFormat, HeaderAndMinuteRecords) {
  std::string file = datFileBytes({day(20240102, 10, 11, 9, 10)},
                                  {minute(20240103, 571, 10, 11, 9, 10), minute(0, 572, 10, 11, 9, 10),
                                   minute(20240103, 1440, 10, 11, 9, 10), minute(20240103, 573, 10, 9, 11, 10)});
  DatHeader h;
  ASSERT_TRUE(parseDatHeader(file, h));
  EXPECT_EQ(h.dayCount, 1);
  EXPECT_EQ(h.minuteCount, 4);
  EXPECT_FALSE(parseDatHeader(file.substr(0, 52), h));
  EXPECT_FALSE(parseDatHeader("ZO1X" + file.substr(4), h));

  std::vector<MinuteBar> mins;
  EXPECT_EQ(decodeDatMinutes(std::string_view(file).substr(kDatHeader + kDatDayRecord), mins), 4u);
  ASSERT_EQ(mins.size(), 2u);  // date 0 and time 1440 dropped
  EXPECT_EQ(mins[0].time, 571);
  EXPECT_TRUE(isValidMinute(mins[0]));
  EXPECT_EQ(mins[1].close, NO_PRICE_F);  // high below low
}

// ---- vipdoc ----

std::string dayRecord(uint32_t date, int32_t o, int32_t h, int32_t l, int32_t c, float amount, int32_t volume) {
  std::string r;
  putU32(r, date);
  putI32(r, o), putI32(r, h), putI32(r, l), putI32(r, c);
  putF32(r, amount);
  putI32(r, volume);
  putU32(r, 0);
  return r;
}

TEST(VipdocFormat, DayRecords) {
  struct {
    const char* what;
    std::string rec;
    bool kept, priced;
    double close, volume, amount;
  } cases[] = {
      {"valid", dayRecord(20240102, 1000, 1100, 900, 1050, 5000.5f, 300), true, true, 10.5, 300, 5000.5},
      {"negative volume", dayRecord(20240102, 1000, 1100, 900, 1050, 5000, -5), true, true, 10.5, 0, 5000},
      {"NaN amount", dayRecord(20240102, 1000, 1100, 900, 1050, kNaN, 7), true, true, 10.5, 7, 0},
      {"open above high", dayRecord(20240102, 1200, 1100, 900, 1050, 1, 1), true, false, NO_PRICE, 1, 1},
      {"low above close", dayRecord(20240102, 1000, 1100, 1060, 1050, 1, 1), true, false, NO_PRICE, 1, 1},
      {"zero price", dayRecord(20240102, 0, 1100, 0, 1050, 1, 1), true, false, NO_PRICE, 1, 1},
      {"above 10000", dayRecord(20240102, 1000, 1000001, 900, 1050, 1, 1), true, false, NO_PRICE, 1, 1},
      {"negative price", dayRecord(20240102, -1000, 1100, -1000, 1050, 1, 1), true, false, NO_PRICE, 1, 1},
      {"date 0xFFFFFFFF", dayRecord(0xFFFFFFFFu, 1000, 1100, 900, 1050, 1, 1), false, false, 0, 0, 0},
      {"date 19891231", dayRecord(19891231, 1000, 1100, 900, 1050, 1, 1), false, false, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<DayBar> out;
    decodeDayRecords(c.rec + "short", out);
    ASSERT_EQ(out.size(), c.kept ? 1u : 0u);
    if (!c.kept) continue;
    EXPECT_EQ(isValidBar(out[0]), c.priced);
    EXPECT_DOUBLE_EQ(out[0].close, c.close);
    EXPECT_DOUBLE_EQ(out[0].volume, c.volume);
    EXPECT_DOUBLE_EQ(out[0].amount, c.amount);
  }
}

std::string lc1Record(uint16_t date, uint16_t time, float o, float h, float l, float c, float amount = 1000,
                      uint32_t volume = 100) {
  std::string r;
  putU16(r, date), putU16(r, time);
  putF32(r, o), putF32(r, h), putF32(r, l), putF32(r, c), putF32(r, amount);
  putU32(r, volume);
  putU32(r, 0);
  return r;
}

TEST(VipdocFormat, Lc1Records) {
  struct {
    const char* what;
    std::string rec;
    int date;  // 0: dropped
    bool priced;
  } cases[] = {
      {"packed date", lc1Record(31 * 2048 + 1231, 900, 10, 11, 9, 10), 20351231, true},
      {"2024-01-05", lc1Record(20 * 2048 + 105, 571, 10, 11, 9, 10), 20240105, true},
      {"month 13", lc1Record(20 * 2048 + 1301, 571, 10, 11, 9, 10), 0, false},
      {"date 0xFFFF", lc1Record(0xFFFF, 571, 10, 11, 9, 10), 0, false},
      {"time 1440", lc1Record(20 * 2048 + 105, 1440, 10, 11, 9, 10), 0, false},
      {"high below close", lc1Record(20 * 2048 + 105, 571, 10, 10.5f, 9, 10.6f), 20240105, false},
      {"low above open", lc1Record(20 * 2048 + 105, 571, 10, 11, 10.1f, 10.6f), 20240105, false},
      {"infinite close", lc1Record(20 * 2048 + 105, 571, 10, 11, 9, kInf), 20240105, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<MinuteBar> out;
    decodeLc1Records(c.rec, out);
    ASSERT_EQ(out.size(), c.date ? 1u : 0u);
    if (!c.date) continue;
    EXPECT_EQ(out[0].date, c.date);
    EXPECT_EQ(isValidMinute(out[0]), c.priced);
    if (!c.priced) {
      EXPECT_EQ(out[0].open, NO_PRICE_F);
    }
  }
}

// ---- THS .min ----

TEST(ThsFormat, PackedNumbersAndStamps) {
  struct {
    uint32_t v;
    double want;
  } numbers[] = {{(9u << 28) | 1234, 123.4}, {(2u << 28) | 5, 500},       {1234, 1234},
                 {(8u << 28) | 77, 77},      {(15u << 28) | 1, 1e-7},      {(7u << 28) | 0x0FFFFFFF, 268435455e7}};
  for (const auto& c : numbers) EXPECT_DOUBLE_EQ(thsNumber(c.v), c.want) << std::hex << c.v;

  auto stamp = [](int y, int mo, int d, int h, int mi) {
    return uint32_t(y - 1900) << 20 | uint32_t(mo) << 16 | uint32_t(d) << 11 | uint32_t(h) << 6 | uint32_t(mi);
  };
  struct {
    uint32_t v;
    int date, time;  // date 0: invalid
  } stamps[] = {{stamp(2024, 1, 5, 9, 31), 20240105, 571}, {stamp(2024, 12, 31, 15, 0), 20241231, 900},
                {stamp(2024, 0, 5, 9, 31), 0, 0},          {stamp(2024, 13, 5, 9, 31), 0, 0},
                {stamp(2024, 1, 0, 9, 31), 0, 0},          {stamp(2024, 1, 5, 24, 0), 0, 0},
                {stamp(2024, 1, 5, 9, 60), 0, 0},          {stamp(2024, 2, 31, 9, 31), 0, 0},
                {stamp(1989, 12, 29, 9, 31), 0, 0}};
  for (const auto& c : stamps) {
    int date = 0, time = 0;
    EXPECT_EQ(thsStamp(c.v, date, time), c.date != 0) << std::hex << c.v;
    if (c.date) {
      EXPECT_EQ(date, c.date);
      EXPECT_EQ(time, c.time);
    }
  }
}

std::vector<MinuteBar> thsDay(int date, int n, float close = 10.f) {
  std::vector<MinuteBar> out;
  for (int j = 0; j < n; ++j) out.push_back(minute(date, 571 + j, close, close + 0.5f, close - 0.5f, close, 100, 1000));
  return out;
}

TEST(ThsFormat, HeaderChecksAndCounts) {
  std::string good = thsMinBytes(thsDay(20240105, 3));
  auto patched = [&](size_t off, int bytes, uint32_t v) {
    std::string b = good;
    for (int i = 0; i < bytes; ++i) b[off + size_t(i)] = char((v >> (8 * i)) & 0xFF);
    return b;
  };
  ThsMinOptions twoCloses;  // the first close column counts
  twoCloses.columns = {{kThsDateTime, 4}, {kThsOpen, 4}, {kThsHigh, 4}, {kThsLow, 4}, {kThsClose, 4}, {kThsClose, 4}};
  ThsMinOptions wide;  // an 8-byte column between the stamp and the prices is skipped
  wide.columns = {{kThsDateTime, 4}, {0x1234, 8}, {kThsOpen, 4}, {kThsHigh, 4}, {kThsLow, 4}, {kThsClose, 4}};
  wide.fill = 0xFF;
  ThsMinOptions noClose;
  noClose.columns = {{kThsDateTime, 4}, {kThsOpen, 4}, {kThsHigh, 4}, {kThsLow, 4}};
  ThsMinOptions wideClose;  // the close column is not 4 bytes: not decoded
  wideClose.columns = {{kThsDateTime, 4}, {kThsOpen, 4}, {kThsHigh, 4}, {kThsLow, 4}, {kThsClose, 8}};
  struct {
    const char* what;
    std::string bytes;
    size_t bars;
  } cases[] = {
      {"good", good, 3},
      {"n = -1", patched(6, 4, 0xFFFFFFFFu), 0},
      {"n = 0", patched(6, 4, 0), 0},
      {"n = 2^31 - 1 reads what exists", patched(6, 4, 0x7FFFFFFFu), 3},
      {"n = 2", patched(6, 4, 2), 2},
      {"c = 0", patched(14, 2, 0), 0},
      {"c = 97", patched(14, 2, 97), 0},
      {"r = 0", patched(12, 2, 0), 0},
      {"r = 513", patched(12, 2, 513), 0},
      {"h below 16", patched(10, 2, 15), 0},
      {"h at the file end", patched(10, 2, uint32_t(good.size())), 0},
      {"wrong magic", "hd2.0" + good.substr(5), 0},
      {"shorter than 32 bytes", good.substr(0, 31), 0},
      {"truncated inside a record", good.substr(0, good.size() - 5), 2},
      {"duplicated column id", thsMinBytes(thsDay(20240105, 3), twoCloses), 3},
      {"8-byte column", thsMinBytes(thsDay(20240105, 3), wide), 3},
      {"no close column", thsMinBytes(thsDay(20240105, 3), noClose), 0},
      {"close column 8 bytes wide", thsMinBytes(thsDay(20240105, 3), wideClose), 0},
  };
  for (const auto& c : cases) {
    std::vector<MinuteBar> out;
    EXPECT_EQ(decodeThsMin(c.bytes, out), c.bars > 0) << c.what;
    EXPECT_EQ(out.size(), c.bars) << c.what;
  }
  // A record length that cuts the columns: the walk stops at the first column beyond it.
  std::string shortRecords = patched(12, 2, 16);
  std::vector<MinuteBar> out;
  EXPECT_FALSE(decodeThsMin(shortRecords, out));  // the close column no longer fits
}

TEST(ThsFormat, InvalidRecordsAreDropped) {
  std::vector<MinuteBar> bars = thsDay(20240105, 5);
  bars[1].high = 9.0f;   // below the close
  bars[2].low = 10.5f;   // above the open
  bars[3].open = 0.0f;   // not above 0
  std::vector<MinuteBar> out;
  ASSERT_TRUE(decodeThsMin(thsMinBytes(bars), out));
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].time, 571);
  EXPECT_EQ(out[1].time, 575);
  EXPECT_FLOAT_EQ(out[1].close, 10.f);
  EXPECT_DOUBLE_EQ(out[1].volume, 100);
  EXPECT_DOUBLE_EQ(out[1].amount, 1000);
}

TEST(ThsFormat, ProbeClosesFromTheTail) {
  struct {
    const char* what;
    std::vector<MinuteBar> bars;
    bool ok;
    double last, prev;
  } cases[] = {
      {"one day: previous close is the last close", thsDay(20240105, 4, 10.f), true, 10, 10},
      {"two days", [] {
         auto a = thsDay(20240104, 3, 9.f);
         auto b = thsDay(20240105, 3, 10.f);
         a.insert(a.end(), b.begin(), b.end());
         return a;
       }(), true, 10, 9},
      {"zero closes only", thsDay(20240105, 3, 0.f), false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = thsMinBytes(c.bars);
    ThsLayout l;
    ASSERT_TRUE(parseThsHeader(std::string_view(bytes).substr(0, 4096), bytes.size(), true, l));
    uint64_t off = 0, len = 0;
    thsTailRange(l, off, len);
    double last = 0, prev = 0;
    EXPECT_EQ(thsCloses(std::string_view(bytes).substr(size_t(off), size_t(len)), l, last, prev), c.ok);
    EXPECT_DOUBLE_EQ(last, c.last);
    EXPECT_DOUBLE_EQ(prev, c.prev);
  }
}

}  // namespace
}  // namespace zor
