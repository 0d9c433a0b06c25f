// The score card's numbers: statistics of an account's deals, the span of a game, and the
// grade (score 0..100, rating, verdict, advice) derived from the annualised return.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/market.h"
#include "platform/canvas.h"
#include "trading/account.h"

namespace zor {

struct TradeStats {
  int dealCount = 0;
  int buyCount = 0;
  int sellCount = 0;     // sells with a positive quantity
  int closedTrades = 0;  // wins + losses
  int wins = 0;          // sells whose matched profit is 0 or more
  int losses = 0;
  double winRate = 0;      // percent of closed trades
  double profitRatio = 0;  // mean win / mean loss; 0 unless both exist
  double realizedPnl = 0;  // yuan
  double equity = 0;       // yuan
  double returnPct = 0;    // against `initial`
  double maxDrawdownPct = 0;
};

// Sells are matched first-in first-out against the bought lots (cost per share including the
// buy's fee); a sale's profit uses its price net of its fee. `equity`, `initial` (the
// account's baseline) and `maxDrawdown` (a fraction) fill the last three fields.
TradeStats tradeStats(const std::vector<Deal>& deals, double equity, double initial, double maxDrawdown);

struct DaySet {
  int distinctDays = 0;
  int firstDate = 0, lastDate = 0;
};
DaySet daySet(const std::vector<Deal>& deals);

// Trading days from the first bar dated on or after `firstDate` to `curIndex`, inclusive;
// `fallback` without bars, without a first date or without such a bar.
int daySpan(const std::vector<DayBar>& bars, int curIndex, int firstDate, int fallback);

struct ScoreInput {
  double equity = 0;
  double initial = 1000000;
  double maxDrawdownPct = 0;
  double winRatePct = 0;
  int dealCount = 0;
  int closedTrades = 0;
  int spanDays = 0;
  int distinctDays = 0;
  int firstDate = 0, lastDate = 0;
};

struct ScoreResult {
  bool scored = false;
  std::string note;  // why there is no score
  double annualPct = 0;
  double cumulativePct = 0;
  int score = 0;
  int spanDays = 0, distinctDays = 0, firstDate = 0, lastDate = 0;
  std::string rating;
  Color ratingColor = rgb(255, 255, 255);
  std::string verdict;
  std::string advice;
};

// Days a game must span before it is scored.
constexpr int kMinScoredSpan = 5;

ScoreResult gradeScore(const ScoreInput& in);

}  // namespace zor
