// The query lists built from the book and the deals, cancelling, and the resets.
#include <gtest/gtest.h>

#include "platform/file_io.h"
#include "temp_dir.h"
#include "test_ui.h"
#include "trading/order_lists.h"
#include "trading_fixture.h"

namespace zor {
namespace {

Order bookOrder(int64_t no, int mode, int status, int date = 20240102, int time = 600) {
  Order o;
  o.orderNo = no, o.code = "600000", o.name = "浦发银行", o.side = 0, o.price = 10, o.qty = 100;
  o.status = status, o.mode = mode, o.date = date, o.time = time;
  return o;
}

Deal deal(int64_t orderNo, int side, int64_t amount, int64_t fee, int time = 600) {
  Deal d;
  d.code = "600000", d.name = "浦发银行", d.side = side, d.price = 10, d.qty = 100;
  d.amountCents = amount, d.feeCents = fee, d.date = 20240102, d.time = time, d.orderNo = orderNo;
  return d;
}

TEST(OrderLists, DerivedFromDeals) {
  Account a;
  a.baselineCents = 200000000;
  a.deals = {deal(0, 0, 100000, 506), deal(513004, 1, 100000, 999)};  // an old file's odd fee
  DerivedLists l = derivedFromDeals(a, ModeHistory);
  ASSERT_EQ(l.orders.size(), 2u);
  EXPECT_EQ(l.orders[0].orderNo, 900000000);
  EXPECT_EQ(l.orders[1].orderNo, 513004);  // the deal knows its order
  EXPECT_EQ(l.orders[0].status, OrderFilled);
  EXPECT_EQ(l.fills[1].fillNo, 900000001);
  EXPECT_EQ(l.fills[1].contractNo, 900000001);
  // The stored fee is the total; the components follow the account's model.
  EXPECT_EQ(l.fills[1].fees.totalFee, 999);
  EXPECT_EQ(l.fills[1].fees.commission, 500);
  EXPECT_EQ(l.fills[1].fees.stampDuty, 50);
  EXPECT_EQ(l.fills[0].cashChangeCents, -100506);
  EXPECT_EQ(l.fills[0].cashAfterCents, 200000000 - 100506);  // runs from the baseline
  EXPECT_EQ(l.fills[1].cashAfterCents, 200000000 - 100506 + 100000 - 999);
  EXPECT_EQ(l.fills[0].posAfter, 100);
  EXPECT_EQ(l.fills[1].posAfter, 0);

  a.feeModel = FeeModel::TenthPercent;
  EXPECT_EQ(derivedFromDeals(a, ModeTraining).fills[1].fees.commission, 100);
}

TEST(OrderLists, MergedListShowsEachFillOnceAndOnlyItsMode) {
  OrderBook book;
  book.orders = {bookOrder(513000, ModeHistory, OrderFilled), bookOrder(513001, ModeTraining, OrderResting),
                 bookOrder(513002, ModeHistory, OrderFilled, 20240102, 700)};
  Account a;
  a.deals = {
      deal(513000, 0, 100000, 506),       // shown by its book order
      deal(0, 0, 100000, 506, 700),       // an older deal matching 513002 field by field
      deal(0, 0, 100000, 506, 710),       // a deal without a book order
      deal(513999, 0, 100000, 506, 720),  // its order left the book (one-key reset)
  };
  std::vector<ListedOrder> rows = mergedOrders(book, a, ModeHistory);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].order.orderNo, 513000);
  EXPECT_FALSE(rows[0].fromDeals);
  EXPECT_EQ(rows[1].order.orderNo, 513002);
  EXPECT_TRUE(rows[2].fromDeals);
  EXPECT_EQ(rows[2].order.time, 710);
  EXPECT_EQ(rows[3].order.orderNo, 513999);
  EXPECT_TRUE(rows[3].fromDeals);
  EXPECT_EQ(mergedOrders(book, Account{}, ModeTraining).size(), 1u);
}

struct Book {
  TempDir dir{"zorlists"};
  TradingState s;
  TestUi ui;
  Book() {
    s.dir = dir.path();
    s.book.orders = {bookOrder(513000, ModeHistory, OrderResting), bookOrder(513001, ModeHistory, OrderFilled),
                     bookOrder(513002, ModeTraining, OrderResting), bookOrder(513003, ModeHistory, OrderResting)};
  }
};

TEST(CancelOrder, AsksAndChecksAgain) {
  struct {
    const char* name;
    size_t row;
    bool fromDeals;
    int answer;
    bool filledMeanwhile;  // the order fills while the question is open
    bool cancelled;
    const char* status;
    const char* box;
  } cases[] = {
      {"resting, yes", 0, false, ResultYes, false, true, "已撤单：委托 513000 600000 100股 @ 10.00",
       "确定要撤销这笔委托吗？\n\n  委托号：513000\n  标的：600000 浦发银行\n  方向：买入\n  价格：10.00\n  数量：100 股"},
      {"resting, no", 0, false, ResultNo, false, false, "已取消撤单操作", nullptr},
      {"filled while asking", 0, false, ResultYes, true, false, "该委托已成交或已失效，未撤销", nullptr},
      {"already filled", 1, false, ResultYes, false, false, "",
       "该委托当前状态为「已成」，只有「已报」状态的委托可以撤销。"},
      {"a deal", 1, true, ResultYes, false, false, "该笔委托已成交，无需撤销", "该笔委托已全额成交，没有可撤的挂单。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Book b;
    b.ui.answers.push_back(c.answer);
    ListedOrder row{b.s.book.orders[c.row], c.fromDeals};
    if (c.filledMeanwhile) b.s.book.orders[c.row].status = OrderFilled;
    CancelOutcome out = cancelOrder(b.s, b.ui, row, false);
    EXPECT_EQ(out.cancelled, c.cancelled);
    EXPECT_EQ(out.status, c.status);
    ASSERT_EQ(b.ui.boxes.size(), 1u);
    if (c.box) {
      EXPECT_EQ(b.ui.boxes[0].text, c.box);
    }
    EXPECT_EQ(b.ui.boxes[0].caption, c.row == 0 && !c.fromDeals ? "撤单确认" : "无法撤销");
    int want = c.cancelled ? OrderCancelled : (c.filledMeanwhile || c.row == 1) ? OrderFilled : OrderResting;
    EXPECT_EQ(b.s.book.orders[c.row].status, want);
    EXPECT_EQ(fileExists(b.dir.file("trade_orders.dat")), c.cancelled);
  }
  Book b;
  cancelOrder(b.s, b.ui, {b.s.book.orders[0], false}, true);
  EXPECT_NE(b.ui.boxes[0].text.find("标的：****** ******"), std::string::npos);
}

TEST(CancelOrder, CancelAllTakesOnlyTheTabsMode) {
  Book b;
  EXPECT_EQ(cancelAllPending(b.s, ModeHistory), "已撤单 2 笔");
  EXPECT_EQ(b.s.book.orders[0].status, OrderCancelled);
  EXPECT_EQ(b.s.book.orders[2].status, OrderResting);
  EXPECT_EQ(b.s.book.orders[3].status, OrderCancelled);
  EXPECT_EQ(cancelAllPending(b.s, ModeHistory), "没有可撤的委托（本模拟盘为立即全额成交）");
  EXPECT_EQ(cancelAllPending(b.s, ModeLive), "没有可撤的委托（本模拟盘为立即全额成交）");
}

TEST(Resets, ResetAccountCancelsThatModesOrders) {
  Book b;
  for (Account& a : b.s.accounts) a.deals.push_back(deal(0, 0, 100000, 506)), a.cashCents = 5;
  b.ui.answers = {ResultNo};
  std::string status;
  EXPECT_FALSE(resetAccount(b.s, b.ui, 0, status));
  EXPECT_EQ(b.s.accounts[ModeHistory].cashCents, 5);
  EXPECT_EQ(b.ui.boxes[0].caption, "重置账户确认");
  EXPECT_EQ(b.ui.boxes[0].text,
            "确定要重置【历史训练】账户吗？\n\n此操作将清空该模式账户的全部持仓和交易记录，现金恢复为初始 100 万，且不可恢复！\n"
            "（另外两个模式的账户不受影响）\n\n【是】确认重置    【否】取消");

  EXPECT_TRUE(resetAccount(b.s, b.ui, 3, status));  // tab 3: the training account
  EXPECT_NE(b.ui.boxes[1].text.find("【训练模式】"), std::string::npos);
  EXPECT_EQ(status, "账户已重置（当前模式持仓/记录已清空）");
  EXPECT_EQ(b.s.accounts[ModeTraining].cashCents, kInitialCashCents);
  EXPECT_TRUE(b.s.accounts[ModeTraining].deals.empty());
  EXPECT_EQ(b.s.accounts[ModeTraining].feeModel, FeeModel::TenthPercent);
  EXPECT_EQ(b.s.accounts[ModeHistory].cashCents, 5);
  EXPECT_EQ(b.s.book.orders[2].status, OrderCancelled);
  EXPECT_EQ(b.s.book.orders[0].status, OrderResting);
  for (int f = 0; f < kTradingFileCount; ++f) EXPECT_TRUE(fileExists(b.dir.file(tradingFileName(f)))) << f;

  // The training game's own reset and the replay's reset go through the same core.
  EXPECT_EQ(resetModeAccount(b.s, ModeHistory), "");
  EXPECT_EQ(b.s.book.orders[0].status, OrderCancelled);
  EXPECT_EQ(b.s.book.orders[3].status, OrderCancelled);
}

TEST(Resets, OneKeyResetEmptiesTheWholeBookButKeepsTraining) {
  Book b;
  for (Account& a : b.s.accounts) a.deals.push_back(deal(0, 0, 100000, 506)), a.cashCents = 5;
  b.s.book.fills.resize(3);
  b.s.book.nextOrderNo = 513004;
  EXPECT_EQ(oneKeyReset(b.s), "已一键重置：交易记录与持仓已清空，资金还原为 100 万");
  EXPECT_TRUE(b.s.book.orders.empty());
  EXPECT_TRUE(b.s.book.fills.empty());
  EXPECT_EQ(b.s.book.nextOrderNo, 513004);
  EXPECT_EQ(b.s.accounts[ModeHistory].cashCents, kInitialCashCents);
  EXPECT_EQ(b.s.accounts[ModeLive].cashCents, kInitialCashCents);
  EXPECT_EQ(b.s.accounts[ModeTraining].cashCents, 5);
  EXPECT_EQ(b.s.accounts[ModeTraining].deals.size(), 1u);
  EXPECT_EQ(b.dir.read("trade_orders.dat"), std::string("1DRO\0\0\0\0", 8));
  EXPECT_FALSE(fileExists(b.dir.file("train_account.dat")));
}

}  // namespace
}  // namespace zor
