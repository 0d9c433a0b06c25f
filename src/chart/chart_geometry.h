// What a chart paint measured, kept by the window until the next paint: the crosshair layer,
// clicks on the chart and the zoom read it, so that they always refer to what is on screen.
#pragma once

#include <string>
#include <vector>

#include "chart/chart_layout.h"
#include "chart/chart_scale.h"
#include "platform/canvas.h"

namespace zor {

// The K-line chart's geometry.
struct ChartGeometry {
  bool valid = false;
  Rect chartArea;
  Rect mainRect, subRect, volRect;  // empty when not shown
  Rect pr;                          // the price plot
  BarWindow window;
  double lo = 0, hi = 0;            // price scale of pr
  int seriesLength = 0;             // ks
  double lastClose = 0;             // close of the series' last bar
  bool masked = false;              // a blind game: dates must not show
  std::vector<std::string> dates;   // date text of each visible bar
  std::vector<double> closes;       // close of each visible bar
  int stripTop() const { return chartArea.bottom - kDateStripHeight; }
};

// The intraday chart's geometry.
struct IntradayGeometry {
  bool valid = false;
  Rect chartArea;
  int plotLeft = 0, plotTop = 0, plotRight = 0, plotBottom = 0;
  int priceH = 0;     // height of the price plot
  int volTop = 0;     // top of the lower panels
  double range = 1;   // V: the percent scale runs from -1.1 V to +1.1 V
  double base = 1;    // U: the previous close
  int width() const { return plotRight - plotLeft; }
};

}  // namespace zor
