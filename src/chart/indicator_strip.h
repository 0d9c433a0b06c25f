// The indicator strip at the foot of the K-line chart: 26 fixed items, some of which choose the
// sub panel's indicator when clicked.
#pragma once

#include "chart/view_state.h"

namespace zor {

constexpr int kIndicatorStripItems = 26;
constexpr int kStripBoll = 21;

// Text of item 0..25 ("指标A", "窗口", "MACD", ... "设置"); "" outside.
const char* indicatorStripText(int item);

// The item drawn highlighted for the current sub indicator, -1 for none.
int highlightedStripItem(const ChartView& v);

// A click on item `item`: MACD, KDJ, RSI and VOL-ZOR choose that fixed indicator; BOLL and the
// other indicator names choose the formula of that name and show the sub panel; 指标A, 窗口,
// 更多 and 设置 change nothing. True when the view changed.
bool applyIndicatorStripItem(ChartView& v, int item);

}  // namespace zor
