// Nothing is lost when the program dies in the middle of a save. A writer process fills orders
// in a loop, each fill saving the account and then the order book; it is killed with SIGKILL
// at random moments, again and again, over at least 200 such pairs of saves. After
// every kill the files must load without damage, every fill the writer had finished saving
// must be in the account exactly once, and no order may be resting while its fill is recorded
// (or filled without one).
#include <gtest/gtest.h>

#if !defined(_WIN32)

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <set>

#include "platform/file_io.h"
#include "temp_dir.h"
#include "trading/matching.h"
#include "trading_fixture.h"

namespace zor {
namespace {

enum Report : int64_t { ReportFill = 1, ReportSavedPair = 2, ReportError = 3 };

void send(int fd, int64_t kind, int64_t value) {
  int64_t rec[2] = {kind, value};
  if (::write(fd, rec, sizeof rec) != ssize_t(sizeof rec)) _exit(4);
}

// The writer: resting buys that the next price fills, and sells that fill at once. It reports
// a fill only after the save calls for it have returned.
[[noreturn]] void runWriter(const std::string& dir, int fd, pid_t parent) {
  TradingState s;
  loadTrading(s, dir, LocalTime{});
  s.tPlusOne = false;
  test::FakeMarket market;
  market.setDate(20240102, 0);
  auto submit = [&](int side, double price) {
    OrderRequest r;
    r.code = "600000", r.side = side, r.price = price, r.qty = 100;
    return submitOrder(s, market, r);
  };
  for (int i = 0; i < 5000 && ::getppid() == parent; ++i) {
    market.setPrice("600000", 10.00);
    if (!submit(0, 9.90).ok) send(fd, ReportError, 1);
    market.setPrice("600000", 9.90);
    std::vector<int64_t> resting;
    for (const Order& o : s.book.orders)
      if (o.status == OrderResting) resting.push_back(o.orderNo);
    MatchResult m = matchOrders(s, market, ModeHistory);
    if (m.fills < 1 || m.status.find("失败") != std::string::npos) send(fd, ReportError, 2);
    for (int64_t no : resting) send(fd, ReportFill, no);
    send(fd, ReportSavedPair, 0);
    SubmitResult sell = submit(1, 9.90);
    if (!sell.ok || !sell.filled || sell.status.find("失败") != std::string::npos) send(fd, ReportError, 3);
    send(fd, ReportFill, sell.order.orderNo);
    send(fd, ReportSavedPair, 0);
  }
  _exit(0);
}

struct Child {
  pid_t pid = -1;
  int fd = -1;
  ~Child() { stop(); }
  void stop() {
    if (pid > 0) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
      pid = -1;
    }
    if (fd >= 0) ::close(fd), fd = -1;
  }
};

// An account with a long history, so that each save takes long enough to be interrupted.
void seed(const std::string& dir) {
  TradingState s;
  s.dir = dir;
  Account& a = s.accounts[ModeHistory];
  for (int i = 0; i < 8000; ++i) {
    Deal d;
    d.code = "000001", d.name = "平安银行", d.side = i % 2, d.price = 10, d.qty = 100, d.amountCents = 100000;
    d.feeCents = d.side == 0 ? 506 : 556, d.date = 20240101, d.time = 600;
    a.cashCents += d.side == 0 ? -(d.amountCents + d.feeCents) : d.amountCents - d.feeCents;
    a.deals.push_back(d);
  }
  ASSERT_TRUE(saveAccounts(s));
  ASSERT_TRUE(saveOrderBook(s));
}

void checkFiles(const std::string& dir, const std::set<int64_t>& durable) {
  TradingState s;
  TradingLoad load = loadTrading(s, dir, LocalTime{});
  ASSERT_TRUE(load.warnings.empty()) << load.warnings[0];
  const Account& a = s.accounts[ModeHistory];
  std::map<int64_t, int> fills;
  int64_t fees = 0, net = 0;
  std::map<std::string, int64_t> held;
  for (const Deal& d : a.deals) {
    if (d.orderNo != 0) ++fills[d.orderNo];
    fees += d.feeCents;
    net += d.side == 0 ? d.amountCents : -d.amountCents;
    held[d.code] += d.side == 0 ? d.qty : -d.qty;
  }
  for (const auto& [no, n] : fills) ASSERT_EQ(n, 1) << "order " << no << " filled twice";
  for (int64_t no : durable) ASSERT_EQ(fills.count(no), 1u) << "the saved fill of order " << no << " is lost";
  for (const Order& o : s.book.orders) {
    bool hasDeal = fills.count(o.orderNo) != 0;
    ASSERT_EQ(o.status == OrderFilled, hasDeal) << "order " << o.orderNo << " status " << o.status;
    ASSERT_NE(o.status, OrderRejected);
  }
  ASSERT_EQ(a.cashCents + fees + net, kInitialCashCents);
  for (const Position& p : a.positions) ASSERT_EQ(p.qty, held[p.code]);
}

// The files live in memory-backed /dev/shm when there is one: a killed process leaves the
// same files behind there as on a disk (renames are atomic either way), and the test does not
// wait on disk flushes, so it runs quickly however busy the machine's disk is.
struct KillDir {
  std::string root;
  std::unique_ptr<TempDir> temp;
  KillDir() {
    if (std::filesystem::is_directory("/dev/shm")) {
      root = "/dev/shm/zorsavekill_" + std::to_string(::getpid()) + "/";
      std::filesystem::remove_all(root);
      std::filesystem::create_directories(root);
    } else {
      temp = std::make_unique<TempDir>("zorsavekill");
      root = temp->path();
    }
  }
  ~KillDir() {
    if (!temp) std::filesystem::remove_all(root);
  }
  const std::string& path() const { return root; }
  std::string file(const char* name) const { return root + name; }
};

TEST(SaveKill, NoFillIsLostOrDoubledWhenTheWriterIsKilled) {
  KillDir dir;
  seed(dir.path());
  std::mt19937 rng(std::random_device{}());
  std::set<int64_t> durable;
  int pairs = 0, kills = 0, interrupted = 0;
  double cycleUs = 10000;  // time between two completed pairs of saves, as observed
  const pid_t parent = ::getpid();
  // At least 200 pairs of saves, and on until a few kills have landed inside a save (slow
  // builds spend less of their time writing).
  auto more = [&] { return pairs < 200 || (interrupted < 3 && pairs < 5000); };
  while (more()) {
    int p[2];
    ASSERT_EQ(::pipe(p), 0);
    Child child;
    child.pid = ::fork();
    ASSERT_GE(child.pid, 0);
    if (child.pid == 0) {
      ::close(p[0]);
      runWriter(dir.path(), p[1], parent);
    }
    ::close(p[1]);
    child.fd = p[0];
    // Let it finish a few saves, then kill it at a random moment of the next ones.
    int wait = int(rng() % 3);
    auto last = std::chrono::steady_clock::now();
    while (wait >= 0 && more()) {
      int64_t rec[2];
      ssize_t n = ::read(child.fd, rec, sizeof rec);
      ASSERT_EQ(n, ssize_t(sizeof rec)) << "the writer stopped";
      ASSERT_NE(rec[0], ReportError) << "the writer was refused at step " << rec[1];
      if (rec[0] == ReportFill) durable.insert(rec[1]);
      if (rec[0] == ReportSavedPair) {
        ++pairs, --wait;
        auto now = std::chrono::steady_clock::now();
        double us = double(std::chrono::duration_cast<std::chrono::microseconds>(now - last).count());
        cycleUs = 0.8 * cycleUs + 0.2 * us;
        last = now;
      }
    }
    // Anywhere in the next cycle or so, whatever this build's speed: some kills land in the
    // middle of a save, others between saves.
    ::usleep(useconds_t(rng() % uint32_t(std::max(1.0, 1.5 * cycleUs))));
    ::kill(child.pid, SIGKILL);
    ::waitpid(child.pid, nullptr, 0);
    child.pid = -1;
    ++kills;
    // Fills reported before the kill and still in the pipe count as saved too.
    int64_t rec[2];
    while (::read(child.fd, rec, sizeof rec) == ssize_t(sizeof rec))
      if (rec[0] == ReportFill) durable.insert(rec[1]);
    for (const char* name : {"account_hist.dat.tmp", "trade_orders.dat.tmp"}) {
      if (!fileExists(dir.file(name))) continue;
      ++interrupted;
      removeFile(dir.file(name));  // so that the next kill is not counted by this one's leftover
    }
    checkFiles(dir.path(), durable);
    if (HasFatalFailure()) return;
  }
  EXPECT_GE(kills, 60);
  EXPECT_GE(interrupted, 3);  // some kills did land inside a save
  EXPECT_GE(durable.size(), 200u);
  std::printf("save-kill: %d kills, %d inside a save, %zu fills checked\n", kills, interrupted, durable.size());
}

}  // namespace
}  // namespace zor

#endif
