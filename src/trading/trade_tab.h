// The trading tabs of the tab bar. The stored values are pinned: the state queries report
// them (code 11, bits 8-11) and the account of each tab follows from them.
#pragma once

#include <cstdint>

namespace zor {

enum class TradeTab : int32_t {
  HistoryTraining = 0,   // history replay, history account
  TradeRecords = 1,      // history account's records
  KlineTraining = 2,     // K-line training game, training account
  KlineTraining2 = 3,    // the game's second tab, training account
  RealTime = 4,          // real-time trading, real-time account
  RealTimeRecords = 5,   // real-time account's records
};

constexpr bool isKlineTrainingTab(TradeTab t) { return t == TradeTab::KlineTraining || t == TradeTab::KlineTraining2; }
constexpr bool isRealTimeTab(TradeTab t) { return t == TradeTab::RealTime || t == TradeTab::RealTimeRecords; }

}  // namespace zor
