#include "chart/chart_navigation.h"

#include <algorithm>

#include "chart/chart_scale.h"

namespace zor {

bool zoomChart(ChartView& v, const ChartGeometry& painted, bool zoomIn, bool haveInstruments) {
  if (v.listView) return false;
  const int length = !haveInstruments ? -1 : painted.valid ? painted.seriesLength : 0;
  const int next = zoomedBarCount(v.barCount, painted.chartArea.width(), length, zoomIn);
  if (next == v.barCount) return false;
  v.barCount = next;
  return true;
}

bool scrollChart(ChartView& v, int bars) {
  const int next = std::max(0, v.scrollBack + bars);
  if (next == v.scrollBack) return false;
  v.scrollBack = next;
  return true;
}

bool scrollToOldest(ChartView& v, const ChartGeometry& painted) {
  if (!painted.valid) return false;
  const int next = oldestScrollBack(painted.seriesLength, painted.window.count);
  if (next == v.scrollBack) return false;
  v.scrollBack = next;
  return true;
}

}  // namespace zor
