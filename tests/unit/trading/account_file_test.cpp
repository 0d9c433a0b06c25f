// The account files: every layout version, the trailer, damaged and hostile files, and
// byte-identical rewriting.
#include <gtest/gtest.h>

#include "trading/account_file.h"
#include "trading_fixture.h"

namespace zor {
namespace {

using test::Bytes;

Account decode(std::string_view bytes, AccountFileKind kind, FileReport& report) {
  Account a;
  a.cashCents = 1;  // whatever was there before is replaced
  a.positions.push_back({});
  decodeAccountFile(bytes, kind, "account_hist.dat", a, report);
  return a;
}

Account sample() {
  Account a;
  a.cashCents = 123456789;
  a.baselineCents = 200000000;
  a.positions.push_back({1, "600000", "浦发银行", 300, 10.123456, 20240102, 20240101, 0, 10.5});
  a.positions.push_back({0, "000001", "平安银行", 100, 12.0, 20231229, 0, 0, 0});
  Deal d;
  d.code = "600000", d.name = "浦发银行", d.side = 0, d.price = 10.12, d.qty = 300, d.amountCents = 303600,
  d.feeCents = 517, d.date = 20240102, d.time = 600, d.orderNo = 513001;
  a.deals.push_back(d);
  d.side = 1, d.time = 0, d.orderNo = 0;
  a.deals.push_back(d);
  return a;
}

TEST(AccountFile, EveryVersionLoads) {
  struct {
    const char* magic;
    size_t size;
    AccountFileKind kind;
  } versions[] = {{"1CCA", 66, AccountFileKind::Account},
                  {"2CCA", 70, AccountFileKind::Account},
                  {"3CCA", 74, AccountFileKind::Account},
                  {"4CCA", 82, AccountFileKind::Account},
                  {"1ART", 82, AccountFileKind::Training}};
  for (const auto& v : versions) {
    SCOPED_TRACE(v.magic);
    Bytes b;
    b.raw(v.magic).f64(987654.32).i32(1).position(v.size, "600000", 500, 10.25, 20240102, 20240101, 300, 10.75);
    b.i32(1).deal("600000", 0, 10.25, 500, 5125.0, 5.28, 20240102, 0);
    FileReport report;
    Account a = decode(b.s, v.kind, report);
    EXPECT_FALSE(report.damaged) << (report.lost.empty() ? "" : report.lost[0]);
    EXPECT_EQ(a.cashCents, 98765432);
    EXPECT_EQ(a.baselineCents, kInitialCashCents);  // no trailer
    ASSERT_EQ(a.positions.size(), 1u);
    const Position& p = a.positions[0];
    EXPECT_EQ(p.code, "600000");
    EXPECT_EQ(p.name, "名称");
    EXPECT_EQ(p.qty, 500);
    EXPECT_DOUBLE_EQ(p.avgCost, 10.25);
    EXPECT_EQ(p.buyDate, 20240102);
    EXPECT_EQ(p.replayDate, v.size >= 70 ? 20240101 : 0);
    EXPECT_EQ(p.boughtToday, 0);  // a restart lifts T+1 freezes
    EXPECT_DOUBLE_EQ(p.lastPrice, v.size >= 82 ? 10.75 : 0);
    ASSERT_EQ(a.deals.size(), 1u);
    EXPECT_EQ(a.deals[0].amountCents, 512500);
    EXPECT_EQ(a.deals[0].feeCents, 528);
    EXPECT_EQ(a.deals[0].time, 0);
    EXPECT_EQ(a.deals[0].orderNo, 0);

    // Saved again it is the current layout.
    std::string again = encodeAccountFile(a, v.kind);
    EXPECT_EQ(again.substr(0, 4), v.kind == AccountFileKind::Training ? "1ART" : "4CCA");
    EXPECT_EQ(again.size(), 4 + 8 + 4 + 82 + 4 + 90 + (4 + 8 + 4 + 8));
  }
}

TEST(AccountFile, WriteReadWriteIsByteIdentical) {
  for (AccountFileKind kind : {AccountFileKind::Account, AccountFileKind::Training}) {
    std::string first = encodeAccountFile(sample(), kind);
    FileReport report;
    Account back = decode(first, kind, report);
    EXPECT_FALSE(report.damaged);
    EXPECT_EQ(encodeAccountFile(back, kind), first);
    EXPECT_EQ(back.baselineCents, 200000000);
    ASSERT_EQ(back.deals.size(), 2u);
    EXPECT_EQ(back.deals[0].orderNo, 513001);
    EXPECT_EQ(back.deals[1].orderNo, 0);
    EXPECT_DOUBLE_EQ(back.positions[0].lastPrice, 10.5);
    EXPECT_EQ(back.positions[0].replayDate, 20240101);
  }
}

TEST(AccountFile, TrailerIsOptionalAndNeverDamage) {
  std::string full = encodeAccountFile(sample(), AccountFileKind::Account);
  size_t body = full.size() - (4 + 8 + 4 + 2 * 8);
  // Files of the first program version end after the deals; older builds that rewrite a file
  // drop the trailer. Any cut inside the trailer, a count that does not match the deals, or a
  // baseline that is not a number leaves the baseline at 1,000,000 and no order numbers.
  std::string badCount = full, nanBaseline = full;
  ByteWriter{badCount}.i32(0);  // appended garbage after a complete trailer is ignored
  badCount.replace(body + 12, 4, std::string("\x01\x00\x00\x00", 4));
  Bytes nan;
  nan.f64(std::numeric_limits<double>::quiet_NaN());
  nanBaseline.replace(body + 4, 8, nan.s);
  struct {
    const char* name;
    std::string bytes;
    int64_t baseline;
    int64_t firstOrderNo;
  } cases[] = {
      {"no trailer", full.substr(0, body), kInitialCashCents, 0},
      {"magic only", full.substr(0, body + 4), kInitialCashCents, 0},
      {"cut in the numbers", full.substr(0, full.size() - 1), kInitialCashCents, 0},
      {"count differs", badCount, kInitialCashCents, 0},
      {"NaN baseline", nanBaseline, kInitialCashCents, 0},
      {"complete", full, 200000000, 513001},
      {"garbage after it", full + "xyz", 200000000, 513001},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FileReport report;
    Account a = decode(c.bytes, AccountFileKind::Account, report);
    EXPECT_FALSE(report.damaged);
    EXPECT_EQ(a.deals.size(), 2u);
    EXPECT_EQ(a.baselineCents, c.baseline);
    EXPECT_EQ(a.deals[0].orderNo, c.firstOrderNo);
  }
}

TEST(AccountFile, DamagedFilesLoadWhatIsValid) {
  auto header = [](Bytes& b, const char* magic = "4CCA", double cash = 500000.0) { b.raw(magic).f64(cash); };
  struct Case {
    const char* name;
    std::string bytes;
    AccountFileKind kind;
    int64_t cash;
    size_t positions, deals;
  };
  std::vector<Case> cases;
  {
    Bytes b;
    header(b);
    b.i32(100001).position(82, "600000", 100, 10);
    cases.push_back({"position count over the limit", b.s, AccountFileKind::Account, 50000000, 0, 0});
  }
  {
    Bytes b;
    header(b);
    b.i32(-1);
    cases.push_back({"negative position count", b.s, AccountFileKind::Account, 50000000, 0, 0});
  }
  {
    Bytes b;
    header(b);
    b.i32(1).position(82, "600000", 100, 10).i32(1000001);
    cases.push_back({"deal count over the limit", b.s, AccountFileKind::Account, 50000000, 1, 0});
  }
  {
    Bytes b;
    header(b);
    b.i32(3).position(82, "600000", 100, 10).position(82, "000001", 100, 10);
    cases.push_back({"cut inside the positions", b.s + "abc", AccountFileKind::Account, 50000000, 2, 0});
  }
  {
    Bytes b;
    header(b);
    b.i32(0).i32(2).deal("600000", 0, 10, 100, 1000, 5.06);
    cases.push_back({"cut inside the deals", b.s.substr(0, b.s.size() + 0) + std::string(89, 'x'),
                     AccountFileKind::Account, 50000000, 0, 1});
  }
  {
    Bytes b;
    header(b, "4CCA", std::numeric_limits<double>::quiet_NaN());
    b.i32(1).position(82, "600000", 100, 10).i32(0);
    cases.push_back({"NaN cash", b.s, AccountFileKind::Account, kInitialCashCents, 1, 0});
  }
  {
    Bytes b;
    header(b, "4CCA", 2e13);
    b.i32(0).i32(0);
    cases.push_back({"cash beyond 10^13", b.s, AccountFileKind::Account, kInitialCashCents, 0, 0});
  }
  {
    Bytes b;
    header(b, "5CCA");
    b.i32(0).i32(0);
    cases.push_back({"unknown magic", b.s, AccountFileKind::Account, kInitialCashCents, 0, 0});
  }
  {
    Bytes b;
    header(b, "1ART");
    b.i32(0).i32(0);
    cases.push_back({"training magic in an account file", b.s, AccountFileKind::Account, kInitialCashCents, 0, 0});
  }
  {
    Bytes b;
    header(b, "4CCA");
    b.i32(0).i32(0);
    cases.push_back({"account magic in the training file", b.s, AccountFileKind::Training, kInitialCashCents, 0, 0});
  }
  cases.push_back({"three bytes", "4CC", AccountFileKind::Account, kInitialCashCents, 0, 0});
  cases.push_back({"empty", "", AccountFileKind::Account, kInitialCashCents, 0, 0});
  cases.push_back({"cut in the cash", "4CCA\x01\x02", AccountFileKind::Account, kInitialCashCents, 0, 0});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FileReport report;
    Account a = decode(c.bytes, c.kind, report);
    EXPECT_TRUE(report.damaged);
    EXPECT_FALSE(report.lost.empty());
    EXPECT_EQ(a.cashCents, c.cash);
    EXPECT_EQ(a.positions.size(), c.positions);
    EXPECT_EQ(a.deals.size(), c.deals);
  }
}

TEST(AccountFile, InvalidRecordsAreSkipped) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  struct PositionCase {
    const char* why;
    const char* code;
    int64_t qty;
    double avgCost;
    const char* name;
  } positions[] = {
      {"qty 0", "600001", 0, 10, "a"},         {"qty negative", "600002", -5, 10, "a"},
      {"qty 10^12 + 1", "600003", 1000000000001, 10, "a"}, {"avgCost 0", "600004", 100, 0, "a"},
      {"avgCost NaN", "600005", 100, nan, "a"}, {"avgCost beyond 10^7", "600006", 100, 1.5e7, "a"},
      {"slash in the code", "60/007", 100, 10, "a"}, {"backslash in the name", "600008", 100, 10, "a\\b"},
      {"dots in the name", "600009", 100, 10, "..x"}, {"control byte", "600\x01" "10", 100, 10, "a"},
  };
  struct DealCase {
    const char* why;
    int side;
    double price;
    int64_t qty;
    double amount, fee;
    int date;
  } deals[] = {
      {"side 7", 7, 10, 100, 1000, 5, 20240102},      {"side -1", -1, 10, 100, 1000, 5, 20240102},
      {"qty 0", 0, 10, 0, 1000, 5, 20240102},          {"price NaN", 0, nan, 100, 1000, 5, 20240102},
      {"price 0", 0, 0, 100, 1000, 5, 20240102},       {"price beyond 10^7", 1, 2e7, 100, 1000, 5, 20240102},
      {"amount negative", 0, 10, 100, -1, 5, 20240102}, {"amount infinite", 0, 10, 100, inf, 5, 20240102},
      {"fee beyond 10^13", 0, 10, 100, 1000, 2e13, 20240102}, {"31 February", 0, 10, 100, 1000, 5, 20240231},
      {"year 1989", 0, 10, 100, 1000, 5, 19891231},
  };
  Bytes b;
  b.raw("4CCA").f64(1000.0).i32(int32_t(std::size(positions)) + 2);
  b.position(82, "600000", 100, 10, 20240102, 0, 0, -3);  // a negative last price becomes 0
  for (const auto& p : positions) b.position(82, p.code, p.qty, p.avgCost, 20240102, 0, 0, 0, p.name);
  b.position(82, "000001", 100, 10, 20240102, 0, 0, nan);
  b.i32(int32_t(std::size(deals)) + 2);
  b.deal("600000", 0, 10, 100, 1000, 5.06, 0, 0);  // date 0 is allowed
  for (const auto& d : deals) b.deal("600000", d.side, d.price, d.qty, d.amount, d.fee, d.date);
  b.deal("600000", 1, 10, 100, 1000, 5.56);
  // A trailer whose order numbers must still reach the right deals after the skips.
  b.raw("ZXT1").f64(1000.0).i32(int32_t(std::size(deals)) + 2).i64(7);
  for (size_t i = 0; i < std::size(deals); ++i) b.i64(int64_t(100 + i));
  b.i64(9);

  FileReport report;
  Account a = decode(b.s, AccountFileKind::Account, report);
  EXPECT_TRUE(report.damaged);
  ASSERT_EQ(a.positions.size(), 2u);
  EXPECT_EQ(a.positions[0].lastPrice, 0);
  EXPECT_EQ(a.positions[1].code, "000001");
  EXPECT_EQ(a.positions[1].lastPrice, 0);
  ASSERT_EQ(a.deals.size(), 2u);
  EXPECT_EQ(a.deals[0].orderNo, 7);
  EXPECT_EQ(a.deals[1].orderNo, 9);
  EXPECT_EQ(a.deals[1].side, 1);
  ASSERT_EQ(report.trace.size(), std::size(positions) + std::size(deals));
  EXPECT_EQ(report.trace[0], "ACCOUNT skip file=account_hist.dat kind=position index=1");
  EXPECT_EQ(report.trace.back(), "ACCOUNT skip file=account_hist.dat kind=deal index=11");
  EXPECT_EQ(report.lost[0], "第 2 条持仓记录无效（数量），已跳过");
}

TEST(AccountFile, TextFieldsAreCutAtCharacterBoundaries) {
  Account a;
  Position p;
  p.code = "6000001234";                 // ten characters: nine survive
  p.name = "一二三四五六七八九十十";     // 33 bytes: ten characters (30 bytes) survive
  p.qty = 100, p.avgCost = 10;
  a.positions.push_back(p);
  FileReport report;
  Account back = decode(encodeAccountFile(a, AccountFileKind::Account), AccountFileKind::Account, report);
  EXPECT_FALSE(report.damaged);
  EXPECT_EQ(back.positions[0].code, "600000123");
  EXPECT_EQ(back.positions[0].name, "一二三四五六七八九十");

  // A name filling all 32 bytes without a NUL reads as at most 31 bytes, whole characters.
  Bytes b;
  b.raw("4CCA").f64(1.0).i32(1).i32(1).raw(std::string(10, '7')).raw(std::string(32, 'a')).i64(100).f64(10).i32(0)
      .i32(0).i32(0).f64(0).i32(0);
  Account c = decode(b.s, AccountFileKind::Account, report);
  EXPECT_EQ(c.positions[0].code, "777777777");
  EXPECT_EQ(c.positions[0].name, std::string(31, 'a'));

  // A writer that filled the field with eleven characters' first 32 bytes: ten remain.
  std::string eleven = "一二三四五六七八九十十";
  b.s.replace(4 + 8 + 4 + 4 + 10, 32, eleven.substr(0, 32));
  c = decode(b.s, AccountFileKind::Account, report);
  EXPECT_EQ(c.positions[0].name, "一二三四五六七八九十");
}

TEST(AccountFile, EveryCutLoadsItsWholeRecords) {
  std::string full = encodeAccountFile(sample(), AccountFileKind::Account);
  size_t trailer = 4 + 8 + 4 + 2 * 8;
  for (size_t cut = 0; cut < full.size(); ++cut) {
    FileReport report;
    Account a = decode(full.substr(0, cut), AccountFileKind::Account, report);
    EXPECT_EQ(report.damaged, cut < full.size() - trailer) << cut;
    size_t posEnd = 16 + 2 * 82;
    EXPECT_EQ(a.positions.size(), cut < 16 + 82 ? 0u : cut < posEnd ? 1u : 2u) << cut;
  }
}

}  // namespace
}  // namespace zor
