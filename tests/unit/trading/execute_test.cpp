// The execution routine: the account rules as case tables, the order-form limits, and a long
// random run that must keep every cent accounted for.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "trading/account.h"
#include "trading_fixture.h"

namespace zor {
namespace {

using test::instrument;

struct Step {
  bool buy;
  double price;
  int64_t qty;
  int date;
  int time;
  const char* message;  // the outcome; a refusal unless it ends in 成功
};

struct Scenario {
  const char* name;
  int64_t cash;
  bool tPlusOne;
  FeeModel model;
  std::vector<Step> steps;
  int64_t wantCash;
  int64_t wantQty;  // shares of 600000 held at the end
  double wantAvgCost;
};

TEST(ExecuteOrder, AccountRules) {
  const int64_t M = kInitialCashCents;
  // Fees by hand: 100 × 10.00 buy 5.06; 200 × 10.00 buy 5.13; 300 × 10.00 buy 5.19;
  // 200 × 10.00 sell 6.13; 400 × 10.00 sell 7.26; 100 × 12.00 buy 5.07; 200 × 11.00 sell 6.24;
  // 100 × 9.00 buy 5.06; 100 × 10.00 sell 5.56.
  const Scenario scenarios[] = {
      {"buy at the minimum fee", M, true, FeeModel::Standard,
       {{true, 10.00, 100, 20240102, 600, "买入 600000 100 股 @ 10.00 成功"}}, M - 100506, 100, 10.0},
      {"cash exactly enough", 100506, true, FeeModel::Standard,
       {{true, 10.00, 100, 20240102, 600, "买入 600000 100 股 @ 10.00 成功"}}, 0, 100, 10.0},
      {"one cent short", 100505, true, FeeModel::Standard,
       {{true, 10.00, 100, 20240102, 600, "资金不足(需 1005.06, 可用 1005.05)"}}, 100505, 0, 0},
      {"T+1 freezes today's purchase", M, true, FeeModel::Standard,
       {{true, 10.00, 200, 20240101, 600, "买入 600000 200 股 @ 10.00 成功"},
        {true, 10.00, 300, 20240102, 600, "买入 600000 300 股 @ 10.00 成功"},
        {false, 10.00, 400, 20240102, 610, "T+1规则: 当日买入部分(300股)不可卖出"},
        {false, 10.00, 200, 20240102, 610, "卖出 600000 200 股 @ 10.00 成功"}},
       M - 200513 - 300519 + 200000 - 613, 300, 10.0},
      {"T+0 sells at once", M, false, FeeModel::Standard,
       {{true, 10.00, 200, 20240101, 600, "买入 600000 200 股 @ 10.00 成功"},
        {true, 10.00, 300, 20240102, 600, "买入 600000 300 股 @ 10.00 成功"},
        {false, 10.00, 400, 20240102, 610, "卖出 600000 400 股 @ 10.00 成功"}},
       M - 200513 - 300519 + 400000 - 726, 100, 10.0},
      {"average cost ignores fees; a sold-out position starts afresh", M, true, FeeModel::Standard,
       {{true, 10.00, 100, 20240102, 600, "买入 600000 100 股 @ 10.00 成功"},
        {true, 12.00, 100, 20240102, 601, "买入 600000 100 股 @ 12.00 成功"},
        {false, 11.00, 200, 20240103, 600, "卖出 600000 200 股 @ 11.00 成功"},
        {true, 9.00, 100, 20240104, 600, "买入 600000 100 股 @ 9.00 成功"}},
       M - 100506 - 120507 + 220000 - 624 - 90506, 100, 9.0},
      {"the training model charges 0.1 %", M, true, FeeModel::TenthPercent,
       {{true, 10.00, 100, 20240102, 600, "买入 600000 100 股 @ 10.00 成功"},
        {false, 10.50, 100, 20240103, 600, "卖出 600000 100 股 @ 10.50 成功"}},
       M - 100100 + 105000 - 105, 0, 0},
      {"bad quantity and price", M, true, FeeModel::Standard,
       {{true, 10.00, 0, 20240102, 600, "数量必须为正整数"},
        {true, 10.00, -100, 20240102, 600, "数量必须为正整数"},
        {true, 0, 100, 20240102, 600, "价格无效, 无法成交"},
        {true, -5, 100, 20240102, 600, "价格无效, 无法成交"},
        {true, 0.004, 100, 20240102, 600, "价格无效, 无法成交"},  // rounds to 0.00
        {true, 2e7, 100, 20240102, 600, "价格无效, 无法成交"},
        {true, 1e7, 1000001, 20240102, 600, "委托金额过大"},
        {true, 10.00, 100, 20240231, 600, "交易日期无效，无法成交"}},
       M, 0, 0},
      {"selling what is not held", M, true, FeeModel::Standard,
       {{false, 10.00, 100, 20240102, 600, "持仓不足, 无法卖出"},
        {true, 10.00, 100, 20240101, 600, "买入 600000 100 股 @ 10.00 成功"},
        {false, 10.00, 200, 20240102, 600, "持仓不足, 无法卖出"}},
       M - 100506, 100, 10.0},
      {"a sale may not leave cash negative", 0, true, FeeModel::Standard,
       {{false, 0.02, 100, 20240102, 600, "持仓不足, 无法卖出"}}, 0, 0, 0},
      {"no fill before the code's newest deal", M, false, FeeModel::Standard,
       {{true, 10.00, 100, 20240105, 600, "买入 600000 100 股 @ 10.00 成功"},
        {false, 10.00, 100, 20240104, 900, "交易时间不能早于本股最后一笔成交（20240105 10:00）"},
        {false, 10.00, 100, 20240105, 599, "交易时间不能早于本股最后一笔成交（20240105 10:00）"},
        {false, 10.00, 100, 20240105, 0, "卖出 600000 100 股 @ 10.00 成功"}},  // no time: the date decides
       M - 100506 + 100000 - 556, 0, 0},
      {"prices go to the grid", M, true, FeeModel::Standard,
       {{true, 10.005, 100, 20240102, 600, "买入 600000 100 股 @ 10.01 成功"}}, M - 100100 - 506, 100, 10.01},
  };
  StockRecord rec = instrument("600000", 1, "浦发银行");
  for (const Scenario& sc : scenarios) {
    SCOPED_TRACE(sc.name);
    Account a;
    a.cashCents = sc.cash;
    a.feeModel = sc.model;
    for (const Step& st : sc.steps) {
      Account before = a;
      Execution x;
      x.buy = st.buy, x.price = st.price, x.qty = st.qty, x.date = st.date, x.time = st.time;
      x.tPlusOne = sc.tPlusOne;
      std::string message;
      bool ok = executeOrder(a, rec, x, message);
      EXPECT_EQ(message, st.message);
      bool wantOk = std::string_view(st.message).ends_with("成功");
      EXPECT_EQ(ok, wantOk) << st.message;
      if (!ok) {
        EXPECT_EQ(a.cashCents, before.cashCents);
        EXPECT_EQ(a.positions.size(), before.positions.size());
        EXPECT_EQ(a.deals.size(), before.deals.size());
      }
    }
    EXPECT_EQ(a.cashCents, sc.wantCash);
    int i = findPosition(a, "600000");
    EXPECT_EQ(i >= 0 ? a.positions[size_t(i)].qty : 0, sc.wantQty);
    if (i >= 0) {
      EXPECT_DOUBLE_EQ(a.positions[size_t(i)].avgCost, sc.wantAvgCost);
    }
  }
}

TEST(ExecuteOrder, SaleThatCannotPayItsFees) {
  Account a;
  a.positions.push_back({1, "600000", "浦发银行", 100, 0.02, 20240101, 0, 0, 0});
  a.cashCents = 0;
  StockRecord rec = instrument("600000", 1, "浦发银行");
  Execution x;
  x.buy = false, x.price = 0.02, x.qty = 100, x.date = 20240102, x.time = 600;
  std::string message;
  EXPECT_FALSE(executeOrder(a, rec, x, message));  // 2.00 in, 5.00 fee out
  EXPECT_EQ(message, "资金不足以支付卖出费用");
  a.cashCents = 300;
  EXPECT_TRUE(executeOrder(a, rec, x, message)) << message;
  EXPECT_EQ(a.cashCents, 0);
  EXPECT_TRUE(a.positions.empty());
}

TEST(ExecuteOrder, DealAndPositionRecords) {
  Account a;
  StockRecord rec = instrument("510300", 1, "沪深300ETF");
  Execution x;
  x.price = 4.0005, x.qty = 1000, x.date = 20240102, x.time = 0, x.orderNo = 513007;
  std::string message;
  ASSERT_TRUE(executeOrder(a, rec, x, message));
  ASSERT_EQ(a.deals.size(), 1u);
  const Deal& d = a.deals[0];
  EXPECT_EQ(d.code, "510300");
  EXPECT_EQ(d.side, 0);
  EXPECT_DOUBLE_EQ(d.price, 4.001);
  EXPECT_EQ(d.amountCents, 400100);
  EXPECT_EQ(d.feeCents, 500 + 22 + 4);  // regulatory 0.2164559, transfer 0.04001
  EXPECT_EQ(d.orderNo, 513007);
  EXPECT_EQ(d.time, 0);
  const Position& p = a.positions[0];
  EXPECT_EQ(p.market, 1);
  EXPECT_EQ(p.name, "沪深300ETF");
  EXPECT_EQ(p.boughtToday, 1000);
  EXPECT_EQ(p.buyDate, 20240102);
  EXPECT_EQ(p.lastPrice, 0);

  // A purchase on a later day starts a new frozen count.
  x.date = 20240103, x.qty = 200;
  ASSERT_TRUE(executeOrder(a, rec, x, message));
  EXPECT_EQ(a.positions[0].boughtToday, 200);
  EXPECT_EQ(a.positions[0].buyDate, 20240103);
  EXPECT_EQ(clearT1Freeze(a), "已刷新：T+1 冻结已解除（可卖数量已更新）");
  EXPECT_EQ(a.positions[0].boughtToday, 0);

  // A blind game names neither the code nor the date of the newest deal.
  x.masked = true, x.date = 20240101, x.time = 0;
  EXPECT_FALSE(executeOrder(a, rec, x, message));
  x.date = 20240104, x.time = 570;
  ASSERT_TRUE(executeOrder(a, rec, x, message));
  EXPECT_EQ(message, "买入 ****** 200 股 @ 4.00 成功");
  x.date = 20240104, x.time = 569;
  EXPECT_FALSE(executeOrder(a, rec, x, message));
  EXPECT_EQ(message, "交易时间不能早于本股最后一笔成交（****-**-** 09:30）");
}

TEST(OrderLimits, MaxBuyQty) {
  struct {
    int64_t funds;
    double price;
    const char* code;
    FeeModel model;
    int64_t want;
  } cases[] = {
      {1000000, 10.00, "600000", FeeModel::Standard, 900},
      {1000564, 10.00, "600000", FeeModel::Standard, 1000},  // 1000 shares cost exactly 10,005.64
      {1000563, 10.00, "600000", FeeModel::Standard, 900},
      {100000000, 10.00, "600000", FeeModel::Standard, 99900},  // 99,900 shares cost 999,313.79
      {500, 0.01, "600000", FeeModel::Standard, 0},            // 5 yuan pays only the fee
      {0, 10.00, "600000", FeeModel::Standard, 0},
      {1000000, 0, "600000", FeeModel::Standard, 0},
      {1000000, -1, "600000", FeeModel::Standard, 0},
      {100100, 10.00, "600000", FeeModel::TenthPercent, 100},  // 1,000.00 + 1.00
      {100099, 10.00, "600000", FeeModel::TenthPercent, 0},
      {1000000000000000, 0.001, "510300", FeeModel::Standard, kMaxQty},  // capped, and quick
      {-100, 10.00, "600000", FeeModel::Standard, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(maxBuyQty(c.funds, c.price, c.code, c.model), c.want) << c.funds << " @ " << c.price;
}

TEST(OrderLimits, SellableQty) {
  struct {
    int64_t qty, boughtToday;
    int buyDate;
    bool tPlusOne;
    int date;
    int64_t want;
  } cases[] = {
      {500, 300, 20240102, true, 20240102, 200}, {500, 300, 20240101, true, 20240102, 500},
      {500, 300, 20240102, false, 20240102, 500}, {300, 300, 20240102, true, 20240102, 0},
      {300, 400, 20240102, true, 20240102, 0},
  };
  for (const auto& c : cases) {
    Position p;
    p.qty = c.qty, p.boughtToday = c.boughtToday, p.buyDate = c.buyDate;
    EXPECT_EQ(sellableQty(p, c.tPlusOne, c.date), c.want);
  }
}

TEST(AccountFunds, BaselineMovesWithFundsSetByHand) {
  Account a;
  setFunds(a, 200000000);
  EXPECT_EQ(a.cashCents, 200000000);
  EXPECT_EQ(a.baselineCents, 200000000);
  a.cashCents = 150000000;  // trading lost 500,000
  setFunds(a, 250000000);
  EXPECT_EQ(a.baselineCents, 300000000);  // the loss stays a loss
  clearAccount(a);
  EXPECT_EQ(a.cashCents, kInitialCashCents);
  EXPECT_EQ(a.baselineCents, kInitialCashCents);
}

TEST(PositionValue, LastPriceInstrumentOrCost) {
  std::vector<StockRecord> stocks = {instrument("600000", 1, "浦发银行", 10.5)};
  stocks[0].k.resize(3);
  const double closes[] = {9.0, -1e30, 9.5};
  const int dates[] = {20240102, 20240103, 20240105};
  for (int i = 0; i < 3; ++i) {
    DayBar& b = stocks[0].k[size_t(i)];
    b.setDate(dates[i]);
    b.open = b.high = b.low = b.close = closes[i];
  }
  Position p;
  p.market = 1, p.code = "sh600000", p.avgCost = 8.0;
  EXPECT_DOUBLE_EQ(positionPrice(p, stocks), 10.5);
  p.lastPrice = 11;
  EXPECT_DOUBLE_EQ(positionPrice(p, stocks), 11);
  EXPECT_DOUBLE_EQ(positionPriceAt(p, stocks, 20240104), 9.0);  // the invalid bar is passed over
  EXPECT_DOUBLE_EQ(positionPriceAt(p, stocks, 20240105), 9.5);
  EXPECT_DOUBLE_EQ(positionPriceAt(p, stocks, 20240101), 8.0);
  p.market = 0;  // no such instrument in that market
  p.lastPrice = 0;
  EXPECT_DOUBLE_EQ(positionPrice(p, stocks), 8.0);
  EXPECT_DOUBLE_EQ(positionPriceAt(p, stocks, 20240105), 8.0);
}

// Ten thousand random buys and sells: every cent that left the cash is in a fee or in the
// net cost of what was bought and sold, refusals change nothing, and cash never goes negative.
TEST(ExecuteOrder, RandomRunKeepsEveryCent) {
  std::mt19937 rng(20240102);
  std::vector<StockRecord> recs = {instrument("600000", 1, "浦发银行"), instrument("000001", 0, "平安银行"),
                                   instrument("510300", 1, "沪深300ETF"), instrument("159915", 0, "创业板ETF"),
                                   instrument("113050", 1, "转债")};
  for (FeeModel model : {FeeModel::Standard, FeeModel::TenthPercent}) {
    Account a;
    a.feeModel = model;
    int date = 20240102, time = 570, fills = 0;
    for (int i = 0; i < 10000; ++i) {
      if (rng() % 20 == 0) date = date % 100 < 28 ? date + 1 : date - date % 100 + 101, time = 570;
      time = std::min(time + int(rng() % 3), 900);
      const StockRecord& rec = recs[rng() % recs.size()];
      Execution x;
      x.buy = rng() % 2 == 0;
      x.price = double(rng() % 200000 + 1) / 1000.0;  // any price up to 200; off-grid ones round
      x.qty = int64_t(rng() % 50 + 1) * 100;
      x.date = date, x.time = time;
      x.tPlusOne = rng() % 4 != 0;
      int64_t cashBefore = a.cashCents;
      size_t dealsBefore = a.deals.size(), positionsBefore = a.positions.size();
      std::string message;
      if (executeOrder(a, rec, x, message)) {
        ++fills;
        ASSERT_EQ(a.deals.size(), dealsBefore + 1);
      } else {
        ASSERT_EQ(a.cashCents, cashBefore) << message;
        ASSERT_EQ(a.deals.size(), dealsBefore) << message;
        ASSERT_EQ(a.positions.size(), positionsBefore) << message;
      }
      ASSERT_GE(a.cashCents, 0);
    }
    EXPECT_GT(fills, 2000);
    int64_t fees = 0, bought = 0, sold = 0;
    std::map<std::string, int64_t> held;
    for (const Deal& d : a.deals) {
      fees += d.feeCents;
      (d.side == 0 ? bought : sold) += d.amountCents;
      held[d.code] += d.side == 0 ? d.qty : -d.qty;
      int64_t amount = 0;
      ASSERT_TRUE(amountCents(d.price, d.qty, amount));
      ASSERT_EQ(d.amountCents, amount);
    }
    EXPECT_EQ(a.cashCents + fees + bought - sold, kInitialCashCents);
    for (const Position& p : a.positions) EXPECT_EQ(p.qty, held[p.code]) << p.code;
    size_t nonzero = 0;
    for (const auto& [code, q] : held) nonzero += q != 0;
    EXPECT_EQ(a.positions.size(), nonzero);
  }
}

}  // namespace
}  // namespace zor
