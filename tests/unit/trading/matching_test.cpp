// Entering and matching orders: resting, marketable, expired and rejected orders, each mode on
// its own clock and prices, and the entry checks against what resting orders already hold.
#include <gtest/gtest.h>

#include "temp_dir.h"
#include "trading/matching.h"
#include "trading_fixture.h"

namespace zor {
namespace {

using test::FakeMarket;

// A history account holding 1,000 shares of 600000 bought before today; 600000 trades at
// 10.00, 000001 has no price in any mode.
struct Fixture {
  TempDir dir{"zormatch"};
  TradingState s;
  FakeMarket market;

  Fixture() {
    s.dir = dir.path();
    market.prices[ModeHistory]["600000"] = 10.00;
    market.prices[ModeLive]["600000"] = 10.00;
    market.prices[ModeTraining]["600000"] = 10.00;
    for (Account& a : s.accounts) a.positions.push_back({1, "600000", "浦发银行", 1000, 9.5, 20240101, 0, 0, 0});
  }
  SubmitResult submit(int side, double price, int64_t qty, const char* code = "600000", int mode = ModeHistory) {
    OrderRequest r;
    r.mode = mode, r.code = code, r.side = side, r.price = price, r.qty = qty;
    return submitOrder(s, market, r);
  }
  const Position* held(int mode = ModeHistory) {
    int i = findPosition(s.accounts[mode], "600000");
    return i < 0 ? nullptr : &s.accounts[mode].positions[size_t(i)];
  }
};

TEST(SubmitOrder, RestingMarketableAndRefused) {
  struct {
    int side;
    double price;
    int64_t qty;
    const char* code;
    bool ok;
    int status;        // of the new order
    const char* text;  // status line on success, the error otherwise
  } cases[] = {
      {0, 9.99, 100, "600000", true, OrderResting, "委托已报 买入 600000 100 股 @ 9.99（等待成交）"},
      {0, 10.00, 100, "600000", true, OrderFilled, "买入 600000 100 股 @ 10.00 成功"},
      {0, 10.50, 100, "600000", true, OrderFilled, "买入 600000 100 股 @ 10.50 成功"},
      {0, 10.005, 100, "600000", true, OrderFilled, "买入 600000 100 股 @ 10.01 成功"},
      {1, 10.01, 100, "600000", true, OrderResting, "委托已报 卖出 600000 100 股 @ 10.01（等待成交）"},
      {1, 10.00, 100, "600000", true, OrderFilled, "卖出 600000 100 股 @ 10.00 成功"},
      {1, 9.00, 100, "600000", true, OrderFilled, "卖出 600000 100 股 @ 9.00 成功"},
      {0, 10.00, 100, "sh600000", true, OrderFilled, "买入 600000 100 股 @ 10.00 成功"},
      {0, 9.00, 100, " sh600000 ", true, OrderResting, "委托已报 买入 600000 100 股 @ 9.00（等待成交）"},
      {0, 10.00, 100, "sz600000", false, 0, "找不到该代码"},
      {0, 10.00, 100, "", false, 0, "请输入代码"},
      {0, 0, 100, "600000", false, 0, "请输入委托价格"},
      {0, 0.004, 100, "600000", false, 0, "请输入委托价格"},
      {0, 10.00, 0, "600000", false, 0, "请输入委托数量"},
      {0, 10.00, 150, "600000", false, 0, "委托数量必须是 100 股的整数倍"},
      {0, 10.00, 100, "999999", false, 0, "找不到该代码"},
      {0, 12.00, 100, "000001", false, 0, "该标的暂无有效价格，无法下单"},
      {1, 10.00, 2000, "600000", false, 0, "可卖数量不足（可卖 1000 股）"},
      {1, 10.50, 2000, "600000", false, 0, "可卖数量不足（可卖 1000 股）"},  // resting orders are checked too
      {0, 9.99, 200000, "600000", false, 0, "可用资金不足（需 1998627.57 元）"},
      {0, 2e7, 100, "600000", false, 0, "价格无效, 无法成交"},
      {0, 10.00, 100000000000000, "600000", false, 0, "委托金额过大"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.side << " " << c.price << " x " << c.qty << " " << c.code);
    Fixture f;
    f.market.prices[ModeHistory]["000001"] = 0;
    SubmitResult r = f.submit(c.side, c.price, c.qty, c.code);
    EXPECT_EQ(r.ok, c.ok);
    EXPECT_EQ(c.ok ? r.status : r.error, c.text);
    if (!c.ok) {
      EXPECT_TRUE(f.s.book.orders.empty());
      EXPECT_EQ(f.s.book.nextOrderNo, kFirstOrderNo);
      continue;
    }
    ASSERT_EQ(f.s.book.orders.size(), 1u);
    const Order& o = f.s.book.orders[0];
    EXPECT_EQ(o.status, c.status);
    EXPECT_EQ(o.orderNo, kFirstOrderNo);
    EXPECT_EQ(o.date, 20240102);
    EXPECT_EQ(o.time, 600);
    EXPECT_EQ(o.name, "浦发银行");
    EXPECT_EQ(o.channelText, "澄川训练软件");
    EXPECT_EQ(f.s.book.nextOrderNo, kFirstOrderNo + 1);
    EXPECT_EQ(r.filled, c.status == OrderFilled);
    if (r.filled) {
      EXPECT_EQ(f.s.accounts[ModeHistory].deals.back().orderNo, o.orderNo);
      EXPECT_EQ(r.fill.fillNo, 1);
      EXPECT_EQ(r.fill.cashAfterCents, f.s.accounts[ModeHistory].cashCents);
      EXPECT_DOUBLE_EQ(f.held()->lastPrice, o.price);
      EXPECT_DOUBLE_EQ(o.refPrice, o.price);
    } else {
      EXPECT_DOUBLE_EQ(o.refPrice, 10.00);
    }
    // What was entered is on disk, the account before the book.
    TradingState back;
    loadTrading(back, f.dir.path(), LocalTime{});
    EXPECT_EQ(back.book.orders.size(), 1u);
    EXPECT_EQ(back.accounts[ModeHistory].deals.size(), r.filled ? 1u : 0u);
  }
}

TEST(SubmitOrder, SellChecksCountRestingSellsAndFrozenShares) {
  Fixture f;
  f.s.accounts[ModeHistory].positions[0].qty = 800;
  EXPECT_TRUE(f.submit(1, 10.50, 500).ok);
  SubmitResult second = f.submit(1, 10.60, 500);
  EXPECT_FALSE(second.ok);
  EXPECT_EQ(second.error, "可卖数量不足（可卖 300 股）");
  EXPECT_TRUE(f.submit(1, 10.60, 300).ok);
  EXPECT_EQ(f.submit(1, 10.70, 100).error, "可卖数量不足（可卖 0 股）");

  // Everything held was bought today under T+1.
  Fixture g;
  Position& p = g.s.accounts[ModeHistory].positions[0];
  p.qty = 500, p.boughtToday = 500, p.buyDate = 20240102;
  EXPECT_EQ(g.submit(1, 10.00, 100).error, "T+1规则：当日买入的 500 股需下一交易日才能卖出（菜单「设置」里可切换 T+0）");
  EXPECT_EQ(setTradeRule(g.s, false), "交易规则已切换为 T+0（当日可回转）");
  EXPECT_TRUE(g.submit(1, 10.00, 100).ok);
  EXPECT_EQ(setTradeRule(g.s, true), "交易规则已切换为 T+1（当日买入不可卖）");
}

TEST(SubmitOrder, BuysReserveCash) {
  Fixture f;
  setFunds(f.s.accounts[ModeHistory], 200000);  // 2,000.00
  EXPECT_TRUE(f.submit(0, 9.00, 100).ok);        // rests, reserving 900.00 + 5.06
  EXPECT_EQ(availableCash(f.s, ModeHistory), 200000 - 90506);
  EXPECT_EQ(f.submit(0, 10.00, 200).error, "可用资金不足（需 2005.13 元）");
  EXPECT_TRUE(f.submit(0, 10.00, 100).ok);
  EXPECT_EQ(availableCash(f.s, ModeHistory), 200000 - 90506 - 100506);
  EXPECT_EQ(availableCash(f.s, ModeLive), kInitialCashCents);  // other modes are untouched
}

TEST(MatchOrders, RestingOrdersFillAtTheirLimit) {
  Fixture f;
  ASSERT_TRUE(f.submit(0, 9.99, 100).ok);
  ASSERT_TRUE(f.submit(1, 10.01, 200).ok);
  MatchResult none = matchOrders(f.s, f.market, ModeHistory);
  EXPECT_EQ(none.fills, 0);
  EXPECT_FALSE(none.changed);
  EXPECT_EQ(none.status, "");

  f.market.prices[ModeHistory]["600000"] = 9.99;
  f.market.clocks[ModeHistory].time = 605;
  MatchResult buy = matchOrders(f.s, f.market, ModeHistory);
  EXPECT_EQ(buy.fills, 1);
  EXPECT_EQ(buy.status, "委托 513000 已成交 600000 100 股 @ 9.99");
  const Order& o = f.s.book.orders[0];
  EXPECT_EQ(o.status, OrderFilled);
  EXPECT_EQ(o.filledQty, 100);
  EXPECT_EQ(o.filledAmountCents, 99900);
  const Deal& d = f.s.accounts[ModeHistory].deals.back();
  EXPECT_EQ(d.orderNo, 513000);
  EXPECT_EQ(d.time, 605);
  EXPECT_DOUBLE_EQ(d.price, 9.99);
  const Fill& fill = f.s.book.fills.back();
  EXPECT_EQ(fill.orderNo, 513000);
  EXPECT_EQ(fill.orderTime, 600);
  EXPECT_EQ(fill.time, 605);
  EXPECT_EQ(fill.fees.totalFee, d.feeCents);
  EXPECT_EQ(fill.cashChangeCents, -(99900 + 506));
  EXPECT_EQ(fill.posAfter, 1100);

  // The sell's limit is 10.01; a jump to 10.05 fills it at 10.01.
  f.market.prices[ModeHistory]["600000"] = 10.05;
  MatchResult sell = matchOrders(f.s, f.market, ModeHistory);
  EXPECT_EQ(sell.status, "委托 513001 已成交 600000 200 股 @ 10.01");
  EXPECT_DOUBLE_EQ(f.s.accounts[ModeHistory].deals.back().price, 10.01);
  EXPECT_DOUBLE_EQ(f.s.book.orders[1].refPrice, 10.05);
  EXPECT_EQ(f.s.book.fills.back().fillNo, 2);

  TradingState back;
  loadTrading(back, f.dir.path(), LocalTime{});
  EXPECT_EQ(back.book.orders[1].status, OrderFilled);
  EXPECT_EQ(back.accounts[ModeHistory].deals.size(), 2u);
}

TEST(MatchOrders, ExpiryRejectionAndMissingPrices) {
  Fixture f;
  ASSERT_TRUE(f.submit(0, 9.50, 100).ok);   // 513000: will expire
  f.market.setDate(20240103);
  ASSERT_TRUE(f.submit(0, 9.80, 1000).ok);  // 513001: its cash goes elsewhere
  f.market.clocks[ModeLive] = {20240103, 600};
  ASSERT_TRUE(f.submit(0, 9.00, 100, "600000", ModeLive).ok);  // 513002: another mode
  f.market.prices[ModeHistory]["000001"] = 12;
  f.s.accounts[ModeHistory].positions.push_back({0, "000001", "平安银行", 100, 12, 20240101, 0, 0, 0});
  ASSERT_TRUE(f.submit(1, 12.50, 100, "000001").ok);  // 513003: its price goes away

  setFunds(f.s.accounts[ModeHistory], 100000);
  f.market.prices[ModeHistory]["600000"] = 9.50;
  f.market.prices[ModeHistory]["000001"] = 0;
  f.market.prices[ModeLive]["600000"] = 8.00;
  MatchResult r = matchOrders(f.s, f.market, ModeHistory);
  EXPECT_EQ(f.s.book.orders[0].status, OrderCancelled);  // its day has passed
  EXPECT_EQ(f.s.book.orders[1].status, OrderRejected);
  EXPECT_EQ(r.status, "委托 513001 撮合失败：资金不足(需 9805.63, 可用 1000.00)（已转废单）");
  EXPECT_EQ(f.s.book.orders[2].status, OrderResting);  // real-time orders match on their own tab
  EXPECT_EQ(f.s.book.orders[3].status, OrderResting);  // no price: never fills
  EXPECT_EQ(r.fills, 0);
  EXPECT_TRUE(r.changed);
  EXPECT_TRUE(f.s.accounts[ModeHistory].deals.empty());

  // Without a trading day the mode does nothing at all.
  f.market.clocks[ModeLive].date = 0;
  EXPECT_FALSE(matchOrders(f.s, f.market, ModeLive).changed);
  f.market.clocks[ModeLive].date = 20240103;
  EXPECT_EQ(matchOrders(f.s, f.market, ModeLive).fills, 1);
}

TEST(MatchOrders, EachModeOnItsOwnClockPricesAndFees) {
  Fixture f;
  f.market.clocks[ModeLive] = {20240105, 600};
  ASSERT_TRUE(f.submit(0, 9.00, 100, "600000", ModeLive).ok);
  // Training moves to another day and reaches the price: the real-time order is not its own.
  f.market.clocks[ModeTraining] = {20200301, 900};
  f.market.prices[ModeTraining]["600000"] = 9.00;
  matchOrders(f.s, f.market, ModeTraining);
  EXPECT_EQ(f.s.book.orders[0].status, OrderResting);

  // A resting training order pays the training model's 0.1 %.
  ASSERT_TRUE(f.submit(0, 8.50, 1000, "600000", ModeTraining).ok);
  f.market.prices[ModeTraining]["600000"] = 8.50;
  EXPECT_EQ(matchOrders(f.s, f.market, ModeTraining).fills, 1);
  EXPECT_EQ(f.s.accounts[ModeTraining].deals.back().feeCents, 850);
  EXPECT_EQ(f.s.book.fills.back().fees.commission, 850);
  EXPECT_EQ(f.s.book.fills.back().fees.regulatoryFee, 0);

  // While the game is blind the status names no code.
  f.market.blind = true;
  SubmitResult r = f.submit(0, 9.00, 100, "600000", ModeTraining);
  EXPECT_EQ(r.status, "买入 ****** 100 股 @ 9.00 成功");
  ASSERT_TRUE(f.submit(0, 8.00, 100, "600000", ModeTraining).ok);
  f.market.prices[ModeTraining]["600000"] = 8.00;
  f.market.clocks[ModeTraining].time = 901;
  EXPECT_EQ(matchOrders(f.s, f.market, ModeTraining).status, "委托 513003 已成交 ****** 100 股 @ 8.00");
}

TEST(MatchOrders, NumbersContinueAfterARestart) {
  Fixture f;
  ASSERT_TRUE(f.submit(0, 9.00, 100).ok);
  ASSERT_TRUE(f.submit(0, 10.00, 100).ok);
  TradingState back;
  loadTrading(back, f.dir.path(), LocalTime{});
  EXPECT_EQ(back.book.nextOrderNo, 513002);
  EXPECT_EQ(back.book.nextFillNo, 1);  // fill numbers restart with every run
}

}  // namespace
}  // namespace zor
