// A whole blind game driven through the operations, and a scripted game whose money, samples
// and score are computed by hand.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "app/timers.h"
#include "app/training_ops.h"
#include "platform/trace_log.h"
#include "training_fixture.h"

namespace zor {
namespace {

using test::dayMinutes;
using test::TrainingFixture;

// Every text that would give the game away: its code, its name, and each of its dates in the
// forms the program writes them.
struct Secrets {
  std::vector<std::string> words;
  explicit Secrets(const StockRecord& rec) {
    words = {rec.code, rec.name};
    for (const DayBar& b : rec.k) {
      int d = b.dateInt();
      words.push_back(strPrintf("%08d", d));
      words.push_back(strPrintf("%04d-%02d-%02d", d / 10000, d / 100 % 100, d % 100));
    }
  }
  // The first secret in `text`, or "".
  std::string leak(const std::string& text) const {
    for (const std::string& w : words)
      if (text.find(w) != std::string::npos) return w;
    return "";
  }
};

TEST(BlindGame, NothingNamesTheInstrumentOrItsDatesUntilTheReveal) {
  TrainingFixture f;
  openTraceLog(f.dir.path());
  setMsgTrace(true);  // every trace line an operation can write
  std::vector<int> dates = test::weekdays(400);
  std::vector<MinuteBar> minutes;
  for (size_t i = 340; i < dates.size(); ++i)
    for (const MinuteBar& m : dayMinutes(dates[i], 10 + i * 0.01)) minutes.push_back(m);
  std::vector<double> closes;
  for (int i = 0; i < 400; ++i) closes.push_back(10 + (i % 37) * 0.07 + (i % 11) * 0.03);
  f.add("600123", "澄川试训", closes, minutes);
  f.add("000777", "另一只", closes, minutes);
  f.app.view.curIdx = 1;  // the random pick takes the other one

  trnNewGame(f.app, true, 60);
  ASSERT_TRUE(f.app.train.active);
  ASSERT_EQ(f.app.train.stockIdx, 0);
  Secrets secrets(f.stock(0));

  std::mt19937 rng(12345);
  size_t boxesSeen = 0, logSeen = 0;
  auto check = [&](int step, bool blind) {
    std::vector<std::string> texts = {f.app.train.status, f.app.win.statusText};
    for (; boxesSeen < f.ui.boxes.size(); ++boxesSeen)
      texts.push_back(f.ui.boxes[boxesSeen].caption + f.ui.boxes[boxesSeen].text);
    std::string log = f.dir.read("zor_trace.log");
    texts.push_back(log.substr(std::min(logSeen, log.size())));
    logSeen = log.size();
    for (const std::string& t : texts) {
      std::string leak = secrets.leak(t);
      if (blind) {
        EXPECT_EQ(leak, "") << "step " << step << ": " << t;
      }
    }
  };
  check(0, true);
  for (int step = 1; step <= 300; ++step) {
    int roll = int(rng() % 100);
    if (roll < 35)
      trainNextBar(f.app);
    else if (roll < 40)
      trainJump(f.app, 1);
    else if (roll < 42)
      trainJump(f.app, 2);
    else if (roll < 58)
      trainJump(f.app, 3 + int(rng() % 5));
    else if (roll < 70)
      trainBackBar(f.app);
    else if (roll < 79)
      trainTrade(f.app, true);
    else if (roll < 88)
      trainTrade(f.app, false);
    else if (roll < 92)
      trnAutoplay(f.app);
    else
      onTimer(f.app, int(TimerId::Autoplay));
    if (f.app.train.finished && step % 7 == 0) trainBackBar(f.app);
    check(step, true);
    ASSERT_TRUE(f.app.train.active);
  }
  EXPECT_GT(f.trainingAccount().deals.size(), 5u);  // the game did trade

  // After the reveal the instrument is named again.
  trnReveal(f.app);
  f.app.trading.tPlusOne = false;
  trainTrade(f.app, true);
  trainTrade(f.app, false);
  EXPECT_NE(secrets.leak(f.app.train.status), "") << f.app.train.status;
  setMsgTrace(false);
  closeTraceLog();
}

TEST(ScriptedGame, MoneySamplesAndScoreAsComputedByHand) {
  TrainingFixture f;
  int idx = f.add("600001", "测试一", {10, 10.5, 11, 10, 9.5, 10, 12, 12.5, 11, 13, 13, 13});
  f.app.view.curIdx = idx;
  f.app.train.dateInput = std::to_string(f.dateOf(idx, 0));
  trnNewGame(f.app, false, -1);
  ASSERT_TRUE(f.app.train.active);
  ASSERT_EQ(f.app.train.start, 0);

  // The training account pays 0.1 % of each amount: 1,000 shares at 10 cost 10,000 + 10.
  struct Step {
    char act;      // 'n' next bar, 'b' buy, 's' sell
    int64_t qty;
    double cash;   // after the step, yuan
    double equity; // the sample the step takes
  } script[] = {
      {'b', 1000, 989990.00, 999990.00},    // bar 0 at 10.00
      {'n', 0, 989990.00, 1000490.00},      // bar 1, 10.50
      {'n', 0, 989990.00, 1000990.00},      // bar 2, 11.00
      {'s', 1000, 1000979.00, 1000979.00},  // + 11,000 - 11
      {'n', 0, 1000979.00, 1000979.00},     // bar 3, 10.00
      {'b', 2000, 980959.00, 1000959.00},   // - 20,000 - 20
      {'n', 0, 980959.00, 999959.00},       // bar 4, 9.50
      {'n', 0, 980959.00, 1000959.00},      // bar 5, 10.00
      {'n', 0, 980959.00, 1004959.00},      // bar 6, 12.00: the peak
      {'s', 2000, 1004935.00, 1004935.00},  // + 24,000 - 24
      {'n', 0, 1004935.00, 1004935.00},     // bar 7, 12.50
      {'b', 1000, 992422.50, 1004922.50},   // - 12,500 - 12.50
      {'n', 0, 992422.50, 1003422.50},      // bar 8, 11.00
      {'s', 1000, 1003411.50, 1003411.50},  // + 11,000 - 11
      {'n', 0, 1003411.50, 1003411.50},     // bar 9, 13.00
  };
  for (const Step& s : script) {
    f.app.train.qtyText = std::to_string(s.qty);
    if (s.act == 'n') trainNextBar(f.app);
    if (s.act == 'b') trainTrade(f.app, true);
    if (s.act == 's') trainTrade(f.app, false);
    SCOPED_TRACE(f.app.train.status);
    EXPECT_EQ(f.trainingAccount().cashCents, int64_t(s.cash * 100 + 0.5));
    EXPECT_NEAR(f.app.train.equity.back(), s.equity, 1e-6);
  }
  ASSERT_EQ(f.app.train.equity.size(), 16u);  // the start and every step
  EXPECT_DOUBLE_EQ(f.app.train.equity.front(), 1000000);
  std::vector<int64_t> fees;
  for (const Deal& d : f.trainingAccount().deals) fees.push_back(d.feeCents);
  EXPECT_EQ(fees, (std::vector<int64_t>{1000, 1100, 2000, 2400, 1250, 1100}));
  // The deepest fall from a peak: 1,004,959 down to 1,003,411.50.
  EXPECT_NEAR(f.app.train.maxDrawdown, 1547.5 / 1004959, 1e-12);

  ScoreInput in;
  ASSERT_TRUE(scoreInput(f.app, in));
  EXPECT_EQ(in.dealCount, 6);
  EXPECT_EQ(in.closedTrades, 3);
  EXPECT_NEAR(in.winRatePct, 200.0 / 3, 1e-9);  // +979, +3,956, -1,523.50
  EXPECT_EQ(in.spanDays, 10);
  EXPECT_EQ(in.distinctDays, 6);
  ScoreResult r = gradeScore(in);
  ASSERT_TRUE(r.scored);
  EXPECT_NEAR(r.cumulativePct, 0.34115, 1e-9);
  EXPECT_NEAR(r.annualPct, 0.34115 * 250 / 10, 1e-9);  // 8.52875 %
  EXPECT_EQ(r.score, 68);                              // 60 + r(7.52875 / 19 × 20) = 60 + r(7.925)
  EXPECT_EQ(r.rating, "合格");
  EXPECT_EQ(r.verdict, "总体盈利，仍有进步空间。");
  EXPECT_EQ(r.advice, "方向没错但幅度不够，试着给盈利单更多持有时间。");
}

}  // namespace
}  // namespace zor
