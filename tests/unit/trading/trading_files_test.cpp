// Loading and saving the four trading files together: defaults, damaged files kept aside,
// failed saves, and putting the account and the book back in step after a crash.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_io.h"
#include "temp_dir.h"
#include "trading/trading_state.h"
#include "trading_fixture.h"

namespace zor {
namespace {

const LocalTime kNow{2024, 1, 2, 9, 30, 0};

Deal deal(int64_t orderNo, int side = 0) {
  Deal d;
  d.code = "600000", d.name = "浦发银行", d.side = side, d.price = 10, d.qty = 100, d.amountCents = 100000;
  d.feeCents = 506, d.date = 20240102, d.time = 600, d.orderNo = orderNo;
  return d;
}

Order resting(int64_t no, int mode) {
  Order o;
  o.orderNo = no, o.code = "600000", o.side = 0, o.price = 10, o.qty = 100, o.mode = mode, o.date = 20240102;
  return o;
}

TEST(TradingFiles, MissingFilesGiveDefaults) {
  TempDir dir("zortrade");
  TradingState s;
  s.accounts[ModeHistory].cashCents = 5;
  TradingLoad load = loadTrading(s, dir.path(), kNow);
  EXPECT_TRUE(load.warnings.empty());
  for (const Account& a : s.accounts) {
    EXPECT_EQ(a.cashCents, kInitialCashCents);
    EXPECT_TRUE(a.positions.empty());
  }
  EXPECT_EQ(s.accounts[ModeTraining].feeModel, FeeModel::TenthPercent);
  EXPECT_EQ(s.accounts[ModeHistory].feeModel, FeeModel::Standard);
  EXPECT_EQ(s.book.nextOrderNo, kFirstOrderNo);
  EXPECT_TRUE(s.tPlusOne);
}

TEST(TradingFiles, SavedStateLoadsBack) {
  TempDir dir("zortrade");
  TradingState s;
  s.dir = dir.path();
  s.accounts[ModeLive].cashCents = 123;
  s.accounts[ModeTraining].deals.push_back(deal(0));
  s.accounts[ModeHistory].deals.push_back(deal(513000));
  s.book.orders.push_back(resting(513001, ModeHistory));
  s.book.nextOrderNo = 513002;
  ASSERT_TRUE(saveAccounts(s));
  ASSERT_TRUE(saveTrainAccount(s));
  ASSERT_TRUE(saveOrderBook(s));
  EXPECT_EQ(dir.read("train_account.dat").substr(0, 4), "1ART");
  EXPECT_EQ(dir.read("account_live.dat").substr(0, 4), "4CCA");

  TradingState t;
  TradingLoad load = loadTrading(t, dir.path(), kNow);
  EXPECT_TRUE(load.warnings.empty());
  EXPECT_EQ(t.accounts[ModeLive].cashCents, 123);
  EXPECT_EQ(t.accounts[ModeTraining].deals.size(), 1u);
  EXPECT_EQ(t.accounts[ModeHistory].deals[0].orderNo, 513000);
  ASSERT_EQ(t.book.orders.size(), 1u);
  EXPECT_EQ(t.book.orders[0].status, OrderResting);
  EXPECT_EQ(t.book.nextOrderNo, 513002);
  for (int f = 0; f < kTradingFileCount; ++f) EXPECT_FALSE(fileExists(dir.file(std::string(tradingFileName(f)) + ".tmp")));
}

TEST(TradingFiles, DamagedFileIsKeptAsideBeforeTheFirstSave) {
  TempDir dir("zortrade");
  test::Bytes b;
  b.raw("4CCA").f64(777.0).i32(100001);  // a count over the limit: the cash loads, nothing else
  dir.write("account_hist.dat", b.s);
  dir.write("account_hist.dat.bad-20240102-093000", "an older one");
  dir.write("trade_orders.dat", "1DRO\x05");
  TradingState s;
  TradingLoad load = loadTrading(s, dir.path(), kNow);
  ASSERT_EQ(load.warnings.size(), 2u);
  EXPECT_EQ(load.warnings[0],
            "账户文件 account_hist.dat 已损坏，已载入其中可读的部分；原文件将在首次保存前改名为 "
            "account_hist.dat.bad-20240102-093000-2 保留。");
  EXPECT_EQ(load.warnings[1],
            "委托记录文件 trade_orders.dat 已损坏，已载入其中可读的部分；原文件将在首次保存前改名为 "
            "trade_orders.dat.bad-20240102-093000 保留。");
  EXPECT_EQ(s.accounts[ModeHistory].cashCents, 77700);
  EXPECT_EQ(dir.read("account_hist.dat"), b.s);  // nothing is written at loading

  ASSERT_TRUE(saveAccounts(s));
  EXPECT_EQ(dir.read("account_hist.dat.bad-20240102-093000-2"), b.s);
  EXPECT_EQ(dir.read("account_hist.dat.bad-20240102-093000"), "an older one");
  EXPECT_EQ(dir.read("account_hist.dat").substr(0, 4), "4CCA");
  s.accounts[ModeHistory].cashCents = 1;
  ASSERT_TRUE(saveAccounts(s));  // the kept copy is made once
  EXPECT_EQ(dir.read("account_hist.dat.bad-20240102-093000-2"), b.s);
  ASSERT_TRUE(saveOrderBook(s));
  EXPECT_EQ(dir.read("trade_orders.dat.bad-20240102-093000"), "1DRO\x05");

  // Files of the first program version have no trailer; that is no damage.
  TempDir old("zortrade");
  test::Bytes v1;
  v1.raw("1CCA").f64(5.0).i32(0).i32(0);
  old.write("account_live.dat", v1.s);
  TradingState t;
  EXPECT_TRUE(loadTrading(t, old.path(), kNow).warnings.empty());
  EXPECT_EQ(t.accounts[ModeLive].cashCents, 500);
}

TEST(TradingFiles, FailedSavesLeaveTheFileAndSaySo) {
  TempDir dir("zortrade");
  TradingState s;
  s.dir = dir.path();
  ASSERT_TRUE(saveAccounts(s));
  std::string before = dir.read("account_hist.dat");
  dir.mkdir("account_hist.dat.tmp");  // the temporary file cannot be created
  s.accounts[ModeHistory].cashCents = 1;
  EXPECT_FALSE(saveAccountFile(s, ModeHistory));
  EXPECT_EQ(dir.read("account_hist.dat"), before);
  EXPECT_EQ(withSaveNotes("买入 600000 100 股 @ 10.00 成功", false, true), "买入 600000 100 股 @ 10.00 成功（账户文件保存失败）");
  EXPECT_EQ(withSaveNotes("已撤单 2 笔", true, false), "已撤单 2 笔（委托记录保存失败）");

  // While an account holding fills of book orders is not on disk, the book is not written
  // either: a stored filled order always has its deal stored.
  s.unsavedFills[ModeHistory] = true;
  s.book.orders.push_back(resting(513000, ModeHistory));
  EXPECT_FALSE(saveOrderBook(s));
  EXPECT_FALSE(fileExists(dir.file("trade_orders.dat")));
  std::string tmp = dir.file("account_hist.dat.tmp");
  std::filesystem::remove(std::filesystem::path(std::u8string(tmp.begin(), tmp.end())));
  EXPECT_TRUE(saveOrderBook(s));
  EXPECT_FALSE(s.unsavedFills[ModeHistory]);
  EXPECT_TRUE(fileExists(dir.file("trade_orders.dat")));
}

TEST(TradingFiles, LoadPutsAccountAndBookBackInStep) {
  TempDir dir("zortrade");
  TradingState s;
  s.dir = dir.path();
  // The account was saved with the fill of 513004, the book not yet: it still rests.
  s.accounts[ModeLive].deals.push_back(deal(513004));
  s.accounts[ModeTraining].deals.push_back(deal(513009));  // its order never reached the book
  s.book.orders = {resting(513003, ModeLive), resting(513004, ModeLive), resting(513005, ModeHistory)};
  ASSERT_TRUE(saveAccounts(s) && saveTrainAccount(s) && saveOrderBook(s));

  TradingState t;
  TradingLoad load = loadTrading(t, dir.path(), kNow);
  ASSERT_EQ(t.book.orders.size(), 3u);
  EXPECT_EQ(t.book.orders[0].status, OrderResting);
  EXPECT_EQ(t.book.orders[1].status, OrderFilled);
  EXPECT_EQ(t.book.orders[1].filledQty, 100);
  EXPECT_EQ(t.book.orders[1].filledAmountCents, 100000);
  EXPECT_EQ(t.book.orders[2].status, OrderResting);
  EXPECT_EQ(t.book.nextOrderNo, 513010);  // never reuse a number a deal carries
  EXPECT_EQ(load.trace.size(), 1u);
}

}  // namespace
}  // namespace zor
