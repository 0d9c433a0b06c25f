// Clickable areas and their kinds. Painters register one HitArea per clickable element they
// draw; the main window dispatches clicks by kind, and outside tools (zorctl, the end-to-end
// scenarios) find elements by kind and index through the state queries.
//
// CONTRACT: the numeric values of HitKind are read by the state queries (APP + 96, 97, 98
// codes 120/121) and written into scenarios. Never renumber a kind; add new ones with new
// numbers. Kinds that stand for a range (a first kind plus an index or a panel number) are
// listed with their first and last values.
#pragma once

#include <cstdint>

#include "platform/canvas.h"

namespace zor {

enum class HitKind : int {
  None = 0,
  // Top toolbar (chart and list views).
  PeriodButton = 1,       // index: chart period 0..7
  MainIndicatorButton = 2,  // index 0 MA, 1 BOLL
  SubIndicatorButton = 3,   // index 0 MACD, 1 KDJ, 2 RSI, 3 VOL
  ChartKindButton = 5,    // index 0 K-line, 1 intraday
  QuoteRow = 6,           // index: instrument index (never a view position)
  OpenTradingView = 9,
  RealTimeTrading = 10,
  HistoryTrading = 11,
  CloseTradingView = 12,
  // Tab bar: 14 + tab for tabs 0..5 (16 and 17 both open K-line training).
  TabHistoryTraining = 14,
  TabTradeRecords = 15,
  TabKlineTraining = 16,
  TabKlineTraining2 = 17,
  TabRealTime = 18,
  TabRealTimeRecords = 19,
  // Replay controls of the toolbar.
  ReplayStartStop = 26,
  ReplayDateField = 31,
  ReplayCodeField = 33,
  // K-line training bar.
  TrainCodeField = 36,
  TrainDateField = 37,
  TrainResetAccount = 41,
  TrainNextBar = 42,
  TrainEnd = 43,
  ToggleVolumePanel = 40,
  ToggleSubPanel = 50,
  ReplaySpeed = 60,       // index 0..5 speeds, 6 the whole day
  ReplayNextDay = 70,
  ReplayPause = 71,
  TrainStart = 80,
  // Trading panel.
  TradingPanelFirst = 90,
  SubmitOrder = 91,
  HideCancelledBox = 93,
  F12Trading = 95,
  TrainNextWeek = 100,
  TrainNextMonth = 101,
  TrainNextMinutesFirst = 102,  // 102..106: next 60, 30, 15, 5, 1 minutes
  TrainNextMinutesLast = 106,
  TrainBack = 110,
  TrainAutoplay = 111,
  TrainReveal = 112,
  TrainAutoplaySpeed = 113,  // index 0..3
  TrainDays = 114,
  TrainRandomStock = 115,
  IndicatorStripItem = 120,  // index: item 0..25 of the K-line indicator strip
  TradingListsFirst = 150,   // 150..152
  TradingListsLast = 152,
  TradingButtonFirst = 170,  // 170..187: button row, order form fields and spinners
  TradingButtonLast = 187,
  TradingToolFirst = 200,    // 200..205: export, query, paging, date boxes
  TradingToolLast = 205,
  TradingFunctionFirst = 300,  // 300..343: the function tree and its pages
  TradingFunctionLast = 343,
  // Indicator pickers and intraday sub-panel switches.
  MainIndicatorTitle = 500,
  SubPanelTitle = 501,
  VolumePanelTitle = 502,
  IntradayIndicatorCaption = 505,
  IntradaySubPanelTitleFirst = 506,  // 506 + K for intraday sub panel K (0, 1)
  IntradaySubPanelToggle = 508,
  // Title strip. Clicks there are handled before the hit-area dispatch; these exist so that
  // outside tools can find the menu-bar items (index: MenuBarItem) and caption buttons
  // (index: CaptionSlot) like any other element.
  MenuBarItem = 900,
  CaptionButton = 901,
};

constexpr int hitKindValue(HitKind k) { return static_cast<int>(k); }

// Buttons that act when the press is released over them (pressed on button-down, with the
// mouse captured; acted on at button-up over the same area). Every other kind acts on
// button-down.
constexpr bool isPressReleaseKind(HitKind k) {
  switch (k) {
    case HitKind::PeriodButton:
    case HitKind::MainIndicatorButton:
    case HitKind::SubIndicatorButton:
    case HitKind::ChartKindButton:
    case HitKind::ReplayStartStop:
    case HitKind::ToggleVolumePanel:
    case HitKind::ToggleSubPanel:
    case HitKind::ReplaySpeed:
    case HitKind::ReplayNextDay:
    case HitKind::ReplayPause:
    case HitKind::F12Trading:
      return true;
    default:
      return false;
  }
}

// One clickable element: a kind and an index within that kind. Hover and press state hold a
// HitRef, so that index 16 of one kind is never confused with index 0 of the next.
struct HitRef {
  HitKind kind = HitKind::None;
  int index = 0;
  bool empty() const { return kind == HitKind::None; }
  friend bool operator==(const HitRef&, const HitRef&) = default;
};

// A clickable rectangle registered while painting; clicks are dispatched by kind.
struct HitArea {
  int left = 0, top = 0, right = 0, bottom = 0;
  HitKind kind = HitKind::None;
  int index = 0;
  bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  HitRef ref() const { return HitRef{kind, index}; }
  static HitArea of(const Rect& r, HitKind kind, int index) { return HitArea{r.left, r.top, r.right, r.bottom, kind, index}; }
};

}  // namespace zor
