// The private state-query messages of the main window: an outside tool (the end-to-end driver
// zorctl) reads the program's state through them without a user interface. Messages are
// numbered from the platform's first application message (WM_APP on Windows) plus the offset.
// Results are signed 64-bit; money and prices are multiplied by 100 and rounded half away
// from zero. Queries never change state and never load data.
#pragma once

#include <cstdint>

namespace zor {

struct AppState;

// Message offsets (keep in step with tools/zorctl).
enum QueryMessage : unsigned {
  QueryText = 94,        // wParam: 0 customer name, 1 account, 2 statusText, 3 train.status, other account;
                         // lParam: byte offset. 8 bytes little-endian; -1 for an offset outside [0, length]
  QueryHitCount = 96,    // wParam: hit-area kind -> number of such areas
  QueryHitCentre = 97,   // wParam: kind | index << 16 (index compared when wParam >= 65536 or lParam != 0)
                         // -> centre x * 65536 + y, -1 when absent
  QueryValue = 98,       // wParam: code, lParam: argument (StateCode) -> value, -1 when unknown
  QueryViewBits = 99,    // -> ViewBit set
};

// Bits of QueryViewBits.
enum ViewBit : uint32_t {
  ViewList = 1u << 0,
  ViewTrend = 1u << 1,
  ViewTrade = 1u << 2,
  ViewTradePanelClosed = 1u << 3,
  ViewTradeFocusShift = 4,   // bits 4-7: the trading panel's focused field
  ViewTradeTabShift = 8,     // bits 8-11: tradeTab
  ViewPeriodShift = 12,      // bits 12-15: period
  ViewTrainFieldFocused = 1u << 16,
  ViewRealTimeOff = 1u << 17,  // tradeMode != 0
  ViewGameActive = 1u << 18,
  ViewReplayRunning = 1u << 19,
  ViewAutoplay = 1u << 20,
};

// Codes of QueryValue whose state exists in this build. The others answer -1 until their
// subsystem arrives: 23 drawing count, 24 drawing tool, 70 drawings hidden, 71 trading-panel
// page. 76-119 are reserved.
enum StateCode : int {
  QHistCash = 0, QLiveCash = 1, QTrainCash = 2,
  QHistPositions = 3, QLivePositions = 4, QTrainPositions = 5,
  QHistDeals = 6, QLiveDeals = 7, QTrainDeals = 8,
  QOrders = 9, QRestingOrders = 10,
  QTradeTab = 11, QCurIdx = 12, QTPlusOne = 13,
  QTrainCur = 14, QTrainStart = 15, QTrainStock = 16,
  QScore = 17, QAnnualReturn = 18,  // the score card: score (-1 unscored), annualised % x 100 (0 unscored)
  QTrainMaxDrawdown = 19, QReplayCursor = 20, QReplayFrames = 21, QReplayInterval = 22,
  QPositionQty = 25, QOrderStatus = 26, QGameCode = 27,
  QStockCount = 28, QPeriod = 29, QLiveStock = 30, QLiveOK = 31,
  QDayBars = 32, QMinuteBars = 33, QLatestDayMinutes = 34, QLastPrice = 35, QPrevClose = 36,
  QSortColumn = 37, QSortAscending = 38, QMouse = 39, QListTop = 40, QListRow = 41,
  QBarCount = 42, QScrollBack = 43,
  QMainInd = 44, QSubInd = 45, QShowVol = 46, QShowSub = 47,
  QTrainHidden = 48, QTrainRevealed = 49, QTrainFinished = 50, QTrainBlind = 51,
  QTrainJumpPeriod = 52, QTrainSub = 53, QTrainDays = 54, QTrainAutoplayMs = 55,
  QEquitySamples = 56, QTrainEquity = 57, QAccountEquity = 58,
  QBaseline = 59, QReplayStock = 60, QTrainDi = 61, QReplayPaused = 62,
  QClockDate = 63, QClockTime = 64,  // the current tab's mode's trading clock
  QNextOrderNo = 65, QOrderNo = 66, QOrderMode = 67, QRestingOfMode = 68, QPositionCode = 69,
  QStatusLength = 72, QDataMode = 73, QLiveSubPanels = 74, QTradeMode = 75,
  QHitTopLeft = 120, QHitBottomRight = 121,
};

// Answers one state-query message; `msgOffset` is the offset from the first application
// message. Unknown offsets give -1.
int64_t queryState(const AppState& app, unsigned msgOffset, uint64_t wParam, int64_t lParam);

}  // namespace zor
