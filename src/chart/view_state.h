// The view parts of the application state: what the chart shows, and how the full-window
// quote list is scrolled and ordered.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data/market.h"

namespace zor {

// A chart view saved per tab group (real-time tabs, training tabs, the rest).
struct SavedView {
  int barCount = 0;
  int scrollBack = 0;
};

// What the main K-line panel overlays on the candles.
enum MainIndicator : int { MainMA = 0, MainBOLL = 1, MainFormula = 2 };
// What the K-line sub panel shows.
enum SubIndicator : int { SubMACD = 0, SubKDJ = 1, SubRSI = 2, SubVOL = 3, SubFormula = 4 };
// Which lower K-line panel takes the other's height (a double click on the panel).
enum PanelFill : int { FillNone = 0, FillSub = 1, FillVolume = 2 };

constexpr size_t kChartFormulaNameMax = 31;  // mainFormula, subFormula, in bytes

struct ChartView {
  int curIdx = 0;            // the selected instrument (an index into Market::stocks)
  int period = PeriodMin1;   // ChartPeriod
  bool trend = false;        // intraday chart instead of the K-line chart
  bool listView = true;      // full-window quote list
  bool tradeView = false;    // chart with the trading panel below
  int barCount = 0;          // bars shown, 0 automatic
  int scrollBack = 0;        // bars scrolled back from the newest
  std::array<SavedView, 3> savedViews{};

  // ---- K-line panels ----
  bool showVol = true;       // volume panel
  bool showSub = true;       // sub-indicator panel
  int panelFill = FillNone;  // PanelFill
  int mainInd = MainMA;      // MainIndicator
  int subInd = SubMACD;      // SubIndicator
  std::string mainFormula;   // the overlay formula of MainFormula, at most 31 bytes
  std::string subFormula;    // the sub-panel formula of SubFormula, at most 31 bytes
  bool dealMarks = true;     // B and S marks of the current account's deals on the charts
};

// The full-window quote list. Rows are view positions; `listOrder` maps them to instruments
// so that sorting never moves `Market::stocks` (indices held by a game, the live link or a
// replay stay valid).
struct QuoteListView {
  int listTop = 0;             // first visible row (a view position)
  std::vector<int> listOrder;  // instrument index of each view position; empty = load order
  int sortColumn = 0;
  bool sortAscending = true;
  std::string codeEntry;       // the code typed into the list, at most 9 characters
};

// The instrument shown at view position `pos` of a list of `count` instruments, or -1 for a
// position outside the list or a stale order entry. Positions beyond `listOrder` hold the
// instruments appended since the last sort, in load order: they map to themselves.
inline int instrumentAtViewPos(const QuoteListView& list, int count, int pos) {
  if (pos < 0 || pos >= count) return -1;
  if (size_t(pos) >= list.listOrder.size()) return pos;
  int idx = list.listOrder[size_t(pos)];
  return idx >= 0 && idx < count ? idx : -1;
}

// Instrument indices of `rows` view positions from `top` (clamped to the list), in view order,
// stale order entries skipped.
std::vector<int> instrumentsInView(const QuoteListView& list, int count, int top, int rows);

}  // namespace zor
