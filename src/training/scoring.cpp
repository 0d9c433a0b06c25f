#include "training/scoring.h"

#include <algorithm>
#include <cmath>
#include <deque>

#include "platform/text.h"

namespace zor {

namespace {

struct Lot {
  int64_t qty;
  double unitCost;  // yuan per share, the buy's fee included
};

// Rounds half away from zero.
int roundHalfAway(double x) { return int(x < 0 ? -std::floor(-x + 0.5) : std::floor(x + 0.5)); }

}  // namespace

TradeStats tradeStats(const std::vector<Deal>& deals, double equity, double initial, double maxDrawdown) {
  TradeStats s;
  std::deque<Lot> lots;
  double winSum = 0, lossSum = 0;
  for (const Deal& d : deals) {
    ++s.dealCount;
    if (d.qty <= 0) continue;
    double amount = double(d.amountCents) / 100.0, fee = double(d.feeCents) / 100.0;
    if (d.side == 0) {
      ++s.buyCount;
      lots.push_back({d.qty, (amount + fee) / double(d.qty)});
      continue;
    }
    ++s.sellCount;
    double net = (amount - fee) / double(d.qty);
    double profit = 0;
    int64_t left = d.qty;
    while (left > 0 && !lots.empty()) {
      Lot& lot = lots.front();
      int64_t take = std::min(left, lot.qty);
      profit += double(take) * (net - lot.unitCost);
      lot.qty -= take;
      left -= take;
      if (lot.qty == 0) lots.pop_front();
    }
    s.realizedPnl += profit;
    if (profit >= 0) {
      ++s.wins;
      winSum += profit;
    } else {
      ++s.losses;
      lossSum += -profit;
    }
  }
  s.closedTrades = s.wins + s.losses;
  s.winRate = s.closedTrades > 0 ? s.wins * 100.0 / s.closedTrades : 0;
  if (s.wins > 0 && s.losses > 0 && lossSum > 0) s.profitRatio = (winSum / s.wins) / (lossSum / s.losses);
  s.equity = equity;
  s.returnPct = initial > 0.001 ? (equity - initial) / initial * 100.0 : 0;
  s.maxDrawdownPct = maxDrawdown * 100.0;
  return s;
}

DaySet daySet(const std::vector<Deal>& deals) {
  std::vector<int> dates;
  dates.reserve(deals.size());
  for (const Deal& d : deals)
    if (d.date > 0) dates.push_back(d.date);
  DaySet out;
  if (dates.empty()) return out;
  std::sort(dates.begin(), dates.end());
  out.distinctDays = int(std::unique(dates.begin(), dates.end()) - dates.begin());
  out.firstDate = dates.front();
  out.lastDate = *std::max_element(dates.begin(), dates.begin() + out.distinctDays);
  return out;
}

int daySpan(const std::vector<DayBar>& bars, int curIndex, int firstDate, int fallback) {
  if (bars.empty() || firstDate <= 0) return fallback;
  if (curIndex < 0 || curIndex >= int(bars.size())) curIndex = int(bars.size()) - 1;
  for (int i = 0; i <= curIndex; ++i)
    if (bars[size_t(i)].dateInt() >= firstDate) return curIndex - i + 1;
  return fallback;
}

ScoreResult gradeScore(const ScoreInput& in) {
  ScoreResult r;
  r.spanDays = in.spanDays;
  r.distinctDays = in.distinctDays;
  r.firstDate = in.firstDate;
  r.lastDate = in.lastDate;
  if (in.dealCount <= 0) {
    r.note = "暂无交易记录";
    return r;
  }
  if (in.spanDays < kMinScoredSpan) {
    r.note = strPrintf("训练不足 %d 个交易日，暂不评分", kMinScoredSpan);
    return r;
  }
  r.scored = true;
  r.cumulativePct = in.initial > 0.001 ? (in.equity - in.initial) / in.initial * 100.0 : 0;
  double a = in.spanDays > 0 ? r.cumulativePct * 250.0 / in.spanDays : 0;
  r.annualPct = a;

  int score = a >= 30   ? 100
              : a >= 20 ? 80 + roundHalfAway((a - 20) / 10 * 20)
              : a >= 1  ? 60 + roundHalfAway((a - 1) / 19 * 20)
              : a > 0   ? roundHalfAway(a * 60)
                        : 0;
  r.score = std::clamp(score, 0, 100);

  struct Grade {
    double from;  // lower bound of the annualised return, inclusive (the last row: a <= 0)
    const char* rating;
    Color color;
    const char* verdict;
  };
  static const Grade kGrades[] = {
      {27.5, "优秀", rgb(0xFF, 0xCD, 0x3C), "您已经是熟练的看盘高手啦！"},
      {20, "达标", rgb(0xFF, 0xCD, 0x3C), "稳健达标，回撤控制优于多数练习者。"},
      {1, "合格", rgb(0xEB, 0xEB, 0xEB), "总体盈利，仍有进步空间。"},
      {0, "待提高", rgb(0x00, 0xDC, 0x6E), "获利偏薄，交易体系尚未成型。"},
  };
  const Grade* g = nullptr;
  for (const Grade& row : kGrades)
    if (row.from > 0 ? a >= row.from : a > row.from) {
      g = &row;
      break;
    }
  if (g) {
    r.rating = g->rating, r.ratingColor = g->color, r.verdict = g->verdict;
  } else {
    r.rating = "需努力", r.ratingColor = rgb(0x00, 0xDC, 0x6E), r.verdict = "当前处于亏损，需系统学习交易技巧。";
  }

  double d = in.maxDrawdownPct, w = in.winRatePct;
  if (a <= 0 && d > 20)
    r.advice = strPrintf("回撤已达 %.0f%%，先把止损位固定下来，再谈获利。", d);
  else if (a <= 0)
    r.advice = "先停手复盘：亏损单是进场错了，还是离场晚了。";
  else if (d > 15)
    r.advice = strPrintf("最大回撤 %.1f%% 偏大，盈利拿不住；单笔亏 5%% 就无条件离场。", d);
  else if (w > 0.001 && w < 40 && in.closedTrades >= 5)
    r.advice = strPrintf("胜率 %.0f%% 偏低，降低出手频率，只做最熟悉的形态。", w);
  else if (in.dealCount > 50 && a < 10)
    r.advice = strPrintf("已成交 %d 笔，偏频繁，手续费正在吃掉利润。", in.dealCount);
  else if (in.dealCount <= 50 && a < 10)
    r.advice = "方向没错但幅度不够，试着给盈利单更多持有时间。";
  else
    r.advice = "状态稳定，可在胜率较高的时段适度放大仓位。";
  return r;
}

}  // namespace zor
