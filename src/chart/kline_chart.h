// The K-line chart: candles with their overlay, title and deal marks in the price panel, the
// volume and sub-indicator panels, the date strip and the indicator strip. Built as draw data
// from the context (layout, then draw data), painted by paintDrawList.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "chart/chart_context.h"
#include "chart/chart_geometry.h"
#include "chart/chart_style.h"
#include "chart/draw_list.h"

namespace zor {

struct KLineFrame {
  DrawList list;
  std::vector<HitArea> hitAreas;
  ChartGeometry geometry;  // valid when candles were laid out
  int axisWidth = 0;
};

// The K-line chart of the shown instrument in `chartArea`. Reads the context only.
KLineFrame buildKLine(const ChartContext& ctx, const Rect& chartArea, TextMeasure& m);

// The eight moving-average periods: the current values of the first eight parameters of the
// formula "MA" (rounded, 0..250, 0 for a parameter it lacks) when it has at least four, else
// 5, 10, 20, 60 and four unused.
std::array<int, 8> maPeriods();

// The crosshair read-out over a painted K-line chart: the price at the mouse in a box on the
// price axis and the bar's date, bars to the end and change to the last close in a box on the
// date strip. Nothing outside the price plot or without a usable geometry.
DrawList klineCrosshair(const ChartGeometry& g, int mouseX, int mouseY, TextMeasure& m);

// The crosshair's date of a bar: yyyy/mm/dd/weekday for an 8-digit date text, the text itself
// otherwise, "****-**-**" in a blind game.
std::string crosshairDate(std::string_view dateText, bool masked);

}  // namespace zor
