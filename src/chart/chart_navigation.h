// Zoom and scroll of the K-line chart, on the view and the geometry of the chart as painted
// (its width, its series length and how many bars it showed).
#pragma once

#include "chart/chart_geometry.h"
#include "chart/view_state.h"

namespace zor {

// Zooms in (fewer, wider bars) or out; `haveInstruments` false lets the count grow to 5000.
// False in list view, where nothing changes.
bool zoomChart(ChartView& v, const ChartGeometry& painted, bool zoomIn, bool haveInstruments);
// Scrolls `bars` into the past (negative: towards the present, never past the newest bar).
bool scrollChart(ChartView& v, int bars);
// Shows the oldest bars of the series as painted: scrollBack = series length - visible bars.
bool scrollToOldest(ChartView& v, const ChartGeometry& painted);

}  // namespace zor
