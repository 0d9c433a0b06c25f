// trade_orders.dat: layout, hostile records, and byte-identical rewriting.
#include <gtest/gtest.h>

#include "trading/order_book.h"
#include "trading_fixture.h"

namespace zor {
namespace {

using test::Bytes;

Order order(int64_t no, int status, int mode = ModeHistory) {
  Order o;
  o.orderNo = no;
  o.code = "sh600000";
  o.name = "浦发银行";
  o.side = 1;
  o.price = 10.01;
  o.refPrice = 10.0;
  o.qty = 500;
  o.status = status;
  o.date = 20240102;
  o.time = 601;
  o.mode = mode;
  o.holderText = holderTextFor(no);
  o.channelText = kChannelText;
  if (status == OrderFilled) o.filledQty = 500, o.filledAmountCents = 500500;
  return o;
}

// One 150-byte record with the given fields.
void record(Bytes& b, int64_t no, int side, double price, int64_t qty, int status, int mode) {
  b.i64(no).text("600000", 10).text("浦发银行", 32).i32(side).f64(price).f64(price).i64(qty).i64(0).f64(0);
  b.i32(status).i32(20240102).i32(600).i32(mode).text("A38065000", 16).text(kChannelText, 24);
}

TEST(OrderBookFile, WriteReadWriteIsByteIdentical) {
  OrderBook book;
  book.orders = {order(513000, OrderFilled), order(513001, OrderResting, ModeTraining), order(513002, OrderCancelled),
                 order(513003, OrderRejected, ModeLive)};
  std::string first = encodeOrderBook(book);
  ASSERT_EQ(first.size(), 8 + 4 * 150u);
  EXPECT_EQ(first.substr(0, 4), "1DRO");

  OrderBook back;
  FileReport report;
  decodeOrderBook(first, "trade_orders.dat", back, report);
  EXPECT_FALSE(report.damaged);
  ASSERT_EQ(back.orders.size(), 4u);
  const Order& o = back.orders[0];
  EXPECT_EQ(o.code, "sh600000");
  EXPECT_EQ(o.name, "浦发银行");
  EXPECT_EQ(o.filledAmountCents, 500500);
  EXPECT_EQ(o.holderText, "A38068000");  // 513000 × 37 = 18,981,000; mod 6000 is 3000; + 5000
  EXPECT_EQ(o.channelText, "澄川训练软件");
  EXPECT_EQ(back.orders[1].mode, ModeTraining);
  EXPECT_EQ(back.nextOrderNo, 513004);
  EXPECT_EQ(encodeOrderBook(back), first);
}

TEST(OrderBookFile, NumbersContinueAfterTheLargest) {
  OrderBook book;
  book.orders = {order(513007, OrderFilled), order(513002, OrderFilled)};
  OrderBook back;
  FileReport report;
  decodeOrderBook(encodeOrderBook(book), "trade_orders.dat", back, report);
  EXPECT_EQ(back.nextOrderNo, 513008);
  // An empty book starts at 513000; a book of small numbers does not lower the counter.
  OrderBook empty, small;
  decodeOrderBook(encodeOrderBook(OrderBook{}), "trade_orders.dat", empty, report);
  EXPECT_EQ(empty.nextOrderNo, 513000);
  small.orders = {order(5, OrderFilled)};
  OrderBook smallBack;
  decodeOrderBook(encodeOrderBook(small), "trade_orders.dat", smallBack, report);
  EXPECT_EQ(smallBack.nextOrderNo, 513000);
}

TEST(OrderBookFile, ImpossibleRecordsAreSkipped) {
  struct {
    const char* why;
    int64_t no;
    int side;
    double price;
    int64_t qty;
    int status, mode;
  } bad[] = {
      {"side 2", 600001, 2, 10, 100, 0, 0},          {"mode 3", 600002, 0, 10, 100, 0, 3},
      {"mode -1", 600003, 0, 10, 100, 0, -1},        {"qty 0", 600004, 0, 10, 0, 0, 0},
      {"price NaN", 600005, 0, std::numeric_limits<double>::quiet_NaN(), 100, 0, 0},
      {"price 0", 600006, 0, 0, 100, 0, 0},          {"order number 0", 0, 0, 10, 100, 0, 0},
      {"order number beyond 10^15", 1000000000000001, 0, 10, 100, 0, 0},
      {"negative status", 600007, 0, 10, 100, -1, 0}, {"a number read before", 600000, 1, 10, 100, 0, 0},
  };
  Bytes b;
  b.raw("1DRO").i32(int32_t(std::size(bad)) + 2);
  record(b, 600000, 0, 10, 100, 0, 0);
  for (const auto& r : bad) record(b, r.no, r.side, r.price, r.qty, r.status, r.mode);
  record(b, 600008, 1, 10, 100, 7, 2);  // any status of 4 and above is a rejected order
  OrderBook book;
  FileReport report;
  decodeOrderBook(b.s, "trade_orders.dat", book, report);
  EXPECT_TRUE(report.damaged);
  ASSERT_EQ(book.orders.size(), 2u);
  EXPECT_EQ(book.orders[1].orderNo, 600008);
  EXPECT_STREQ(orderStatusWord(book.orders[1].status), "废单");
  EXPECT_EQ(report.trace.size(), std::size(bad));
  EXPECT_EQ(report.trace[0], "ORDERS skip file=trade_orders.dat index=1");
  EXPECT_EQ(book.nextOrderNo, 600009);
}

TEST(OrderBookFile, DamagedFiles) {
  Bytes one;
  one.raw("1DRO").i32(2);
  record(one, 513000, 0, 10, 100, 0, 0);
  Bytes over;
  over.raw("1DRO").i32(100001);
  record(over, 513000, 0, 10, 100, 0, 0);
  struct {
    const char* name;
    std::string bytes;
    size_t orders;
  } cases[] = {
      {"cut record", one.s + "xyz", 1},
      {"count over the limit", over.s, 0},
      {"negative count", std::string("1DRO\xff\xff\xff\xff", 8), 0},
      {"unknown magic", "2DRO" + one.s.substr(4), 0},
      {"no count", "1DRO", 0},
      {"two bytes", "1D", 0},
  };
  for (const auto& c : cases) {
    OrderBook book;
    book.orders.push_back(order(1, 0));
    FileReport report;
    decodeOrderBook(c.bytes, "trade_orders.dat", book, report);
    EXPECT_TRUE(report.damaged) << c.name;
    EXPECT_EQ(book.orders.size(), c.orders) << c.name;
    EXPECT_EQ(book.nextOrderNo, c.orders ? 513001 : 513000) << c.name;  // a cut file too
  }
}

}  // namespace
}  // namespace zor
