#include "chart/chart_layout.h"

#include <algorithm>
#include <cmath>

namespace zor {

Rect chartAreaRect(int w, int h, bool tradingDocked) {
  int bottom = h - kChartBottomMargin;
  // The docked panel's share is a single-precision factor, as the trading panel computes it.
  if (tradingDocked) bottom = h - std::max(250, int(std::floor(0.297f * float(h))));
  return Rect{0, kChartTop, w - kSidePanelWidth, bottom};
}

KLinePanels klinePanels(const KLinePanelParams& p) {
  const Rect& a = p.chartArea;
  const int top = kChartTop;
  const int foot = a.bottom - kDateStripHeight;
  const int h = foot - top;
  const int s = p.showSub ? int(std::floor(0.11 * h)) : 0;
  const int v = p.showVol ? int(std::floor(0.13 * h)) : 0;
  const int m = std::max(100, h - v - s);
  KLinePanels out;
  out.main = Rect{a.left, top, a.right, top + m};
  if (p.panelFill == 1) {
    out.sub = Rect{a.left, top + m, a.right, foot};
  } else if (p.panelFill == 2) {
    out.vol = Rect{a.left, top + m, a.right, foot};
  } else {
    int y = top + m;
    if (p.showSub) {
      out.sub = Rect{a.left, y, a.right, y + s};
      y += s;
    }
    if (p.showVol) out.vol = Rect{a.left, y, a.right, y + v};
  }
  return out;
}

Rect pricePlot(const Rect& main, int axisWidth) {
  return Rect{main.left + 2, main.top + 6, main.right - axisWidth, main.bottom - 26};
}

Rect lowerPlot(const Rect& panel, int axisWidth) {
  return Rect{panel.left + 2, panel.top + 2, panel.right - axisWidth, panel.bottom - 2};
}

}  // namespace zor
