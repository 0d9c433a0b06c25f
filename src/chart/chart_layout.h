// Where the charts sit: the chart area of the main window and its division into the price
// panel, the sub-indicator panel and the volume panel. Params in, rectangles out; nothing
// here paints or keeps state.
#pragma once

#include "platform/canvas.h"

namespace zor {

constexpr int kChartTop = 96;          // below the tab bar
constexpr int kSidePanelWidth = 235;   // the quote panel at the right
constexpr int kChartBottomMargin = 48; // the index strip and the status line below
constexpr int kDateStripHeight = 34;   // the lowest pixels of the chart area (K-line chart)
constexpr int kDefaultAxisWidth = 60;

// The chart area for a client of w x h pixels: (0, 96, w - 235, h - 48), or with the trading
// panels docked under it, bottom h - max(250, floor(0.297 h)). A window narrower than the side
// panel leaves it with a negative width: nothing is drawn in it.
Rect chartAreaRect(int w, int h, bool tradingDocked);

// The three panels of the K-line chart. A panel whose top is not above its bottom is empty.
struct KLinePanels {
  Rect main, sub, vol;
};

struct KLinePanelParams {
  Rect chartArea;
  bool showVol = true;
  bool showSub = true;
  int panelFill = 0;  // PanelFill
};

// The K-line division: of h = chartArea.bottom - 34 - 96 pixels, the sub panel takes
// floor(0.11 h) and the volume panel floor(0.13 h) when shown, the main panel the rest (at
// least 100), sub panel directly under it, volume panel last; panelFill gives the space below
// the main panel to one of them.
KLinePanels klinePanels(const KLinePanelParams& p);

// Plot rectangles of the K-line panels: the price plot (main.left + 2, main.top + 6,
// main.right - axisWidth, main.bottom - 26) and the volume and sub plots inset by 2 with the
// same axis strip.
Rect pricePlot(const Rect& main, int axisWidth);
Rect lowerPlot(const Rect& panel, int axisWidth);

}  // namespace zor
