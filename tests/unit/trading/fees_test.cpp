// Fees, amounts and price grids to the cent. Every expected value below was worked out by hand
// as amount × rate rounded half up to the cent (commission 0.025 % but at least 5.00,
// regulatory 0.00541 %, stamp duty 0.05 % on sales of codes not starting with 1 or 5,
// transfer 0.001 %; the training model 0.1 % and nothing else).
#include <gtest/gtest.h>

#include "trading/money.h"

namespace zor {
namespace {

TEST(Fees, StandardModelToTheCent) {
  struct {
    int64_t amount;  // cents
    bool sell;
    const char* code;
    int64_t commission, regulatory, stamp, transfer, total;
  } cases[] = {
      {100000, false, "600000", 500, 5, 0, 1, 506},          // 100 × 10.00: the 5-yuan minimum
      {2000000, true, "600000", 500, 108, 1000, 20, 1628},   // 1000 × 20.00 sold
      {2000000, true, "510300", 500, 108, 0, 20, 628},       // a fund pays no stamp duty
      {2006000, true, "600000", 502, 109, 1003, 20, 1634},   // 5.015 rounds up, not down
      {2000000, false, "000001", 500, 108, 0, 20, 628},      // exactly at the minimum
      {2000200, false, "000001", 500, 108, 0, 20, 628},      // 5.0005
      {2002000, false, "000001", 501, 108, 0, 20, 629},      // 5.005
      {2001999, false, "000001", 500, 108, 0, 20, 628},      // 5.0049975
      {1234000000, false, "600519", 308500, 66759, 0, 12340, 387599},
      {1234000000, true, "600519", 308500, 66759, 617000, 12340, 1004599},
      {100, false, "600000", 500, 0, 0, 0, 500},             // 1.00: only the minimum
      {100, true, "600000", 500, 0, 0, 0, 500},              // stamp 0.0005 rounds to 0
      {23450, false, "510050", 500, 1, 0, 0, 501},           // 100 × 2.345, a fund price
      {23450, true, "510050", 500, 1, 0, 0, 501},
      {1234000, true, "159915", 500, 67, 0, 12, 579},        // 10000 × 1.234, Shenzhen fund
      {9876543, true, "113050", 2469, 534, 0, 99, 3102},     // convertible bond: no stamp duty
      {9876543, true, "sh600000", 2469, 534, 4938, 99, 8040},
      {9876543, true, "SZ000001", 2469, 534, 4938, 99, 8040},
      {9876543, true, "bj830001", 2469, 534, 4938, 99, 8040},
      {9876543, true, "sh510300", 2469, 534, 0, 99, 3102},   // the prefix is not the code
      {1000, true, "600000", 500, 0, 1, 0, 501},             // stamp 0.005 rounds up
      {3000, true, "600000", 500, 0, 2, 0, 502},             // stamp 0.015
      {50000, false, "600000", 500, 3, 0, 1, 504},           // transfer 0.005 rounds up
      {150000, false, "600000", 500, 8, 0, 2, 510},          // transfer 0.015
      {5000000, false, "600000", 1250, 271, 0, 50, 1571},    // regulatory 2.705 rounds up
      {0, true, "600000", 0, 0, 0, 0, 0},
      {-500, false, "600000", 0, 0, 0, 0, 0},
      {1000000000000000, true, "600000", 250000000000, 54100000000, 500000000000, 10000000000, 814100000000},
      {1000000000000000, false, "510300", 250000000000, 54100000000, 0, 10000000000, 314100000000},
      {333333, true, "300750", 500, 18, 167, 3, 688},
      {12345678, false, "688001", 3086, 668, 0, 123, 3877},
      {5555555, true, "002594", 1389, 301, 2778, 56, 4524},
      {777777777, true, "601318", 194444, 42078, 388889, 7778, 633189},
      {4000000, true, "600000", 1000, 216, 2000, 40, 3256},
      {1999999, true, "600000", 500, 108, 1000, 20, 1628},
      {123456, false, "160106", 500, 7, 0, 1, 508},
      {123456, true, "560010", 500, 7, 0, 1, 508},
      {123456, true, "580001", 500, 7, 0, 1, 508},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.amount << (c.sell ? " sell " : " buy ") << c.code);
    FeeBreakdown f = computeFees(c.amount, c.sell, c.code, FeeModel::Standard);
    EXPECT_EQ(f.commission, c.commission);
    EXPECT_EQ(f.regulatoryFee, c.regulatory);
    EXPECT_EQ(f.stampDuty, c.stamp);
    EXPECT_EQ(f.transferFee, c.transfer);
    EXPECT_EQ(f.otherFee, 0);
    EXPECT_EQ(f.totalFee, c.total);
  }
}

TEST(Fees, TrainingModelIsOneTenthPercentOnly) {
  struct {
    int64_t amount;
    int64_t fee;
  } cases[] = {{100000, 100}, {123456, 123}, {123500, 124}, {50000, 50}, {49, 0}, {50, 0}, {150, 0},
               {999999999, 1000000}, {0, 0}};
  for (const auto& c : cases) {
    for (bool sell : {false, true}) {
      FeeBreakdown f = computeFees(c.amount, sell, "600000", FeeModel::TenthPercent);
      EXPECT_EQ(f.commission, c.fee) << c.amount;
      EXPECT_EQ(f.totalFee, c.fee) << c.amount;
      EXPECT_EQ(f.regulatoryFee + f.stampDuty + f.transferFee, 0) << c.amount;
    }
  }
}

TEST(Money, PriceGridAndAmounts) {
  struct {
    const char* code;
    double typed;
    double onGrid;
  } grid[] = {
      {"600000", 10.005, 10.01},  {"600000", 10.004, 10.00}, {"600000", 9.995, 10.00},
      {"510300", 4.0005, 4.001},  {"sh510300", 4.0004, 4.0}, {"159915", 1.2345, 1.235},
      {"160106", 1.0001, 1.0},    {"560010", 2.3456, 2.346}, {"580001", 0.0015, 0.002},
      {"512000", 1.0006, 1.001},  {"113050", 101.234, 101.23}, {"600000", 0.004, 0.0},
      {"600000", -1, 0.0},        {"600000", 0, 0.0},
  };
  for (const auto& g : grid) EXPECT_DOUBLE_EQ(roundToTick(g.typed, g.code), g.onGrid) << g.code << " " << g.typed;

  struct {
    double price;
    int64_t qty;
    int64_t cents;
  } amounts[] = {
      {10.00, 100, 100000}, {10.005, 1, 1001}, {0.001, 5, 1}, {0.001, 4, 0}, {2.345, 3, 704},
      {1.001, 1, 100},      {19.99, 300, 599700}, {3.333, 333, 110989}, {10000000, 1000000, 1000000000000000},
  };
  for (const auto& a : amounts) {
    int64_t cents = -1;
    EXPECT_TRUE(amountCents(a.price, a.qty, cents)) << a.price;
    EXPECT_EQ(cents, a.cents) << a.price << " x " << a.qty;
  }
  int64_t cents = 0;
  EXPECT_FALSE(amountCents(10000000, 1000001, cents));  // over 10^13 yuan
  EXPECT_FALSE(amountCents(0, 100, cents));
  EXPECT_FALSE(amountCents(10, 0, cents));

  EXPECT_EQ(centsText(100506), "1005.06");
  EXPECT_EQ(centsText(-13), "-0.13");
  EXPECT_EQ(centsText(0), "0.00");
  EXPECT_EQ(centsOf(12.125), 1213);
  EXPECT_EQ(centsOf(1e13), 1000000000000000);
}

}  // namespace
}  // namespace zor
