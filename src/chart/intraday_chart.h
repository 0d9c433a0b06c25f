// The intraday (time-sharing) chart of one trading day: the price and average-price lines
// over a fixed 240-minute axis with a scale symmetric around the previous close, moving
// averages or a formula overlay, volume, up to two formula sub panels, deal marks and the
// time axis. The day is the instrument's `minc`: its latest day, the frames a replay has
// shown so far, or the live minutes.
#pragma once

#include <array>
#include <span>
#include <string>
#include <vector>

#include "chart/chart_context.h"
#include "chart/chart_geometry.h"
#include "chart/chart_style.h"
#include "chart/draw_list.h"
#include "formula/formula.h"

namespace zor {

struct IntradayFrame {
  DrawList list;
  std::vector<HitArea> hitAreas;
  IntradayGeometry geometry;  // valid when the day was laid out
};

IntradayFrame buildIntraday(const ChartContext& ctx, const Rect& chartArea, TextMeasure& m);

// Position of a minute time (minutes after midnight) on the 0..240 axis: 09:31..11:30 are
// 1..120, 13:01..15:00 are 121..240; earlier times 0, the lunch break 120, later times 240.
int minutePosition(int time);

// Own volume of each minute: when the volumes never decrease within a date they are running
// totals and each minute's own volume is the difference (never below 0); otherwise as given.
std::vector<double> ownVolumes(std::span<const MinuteBar> day);

// The half range V of the percent scale (-1.1 V .. +1.1 V around the previous close `base`):
// the largest change of a valid close within +-100 %, from 0.5 up to 10.
double intradayRange(std::span<const MinuteBar> day, double base);

// The crosshair read-out over a painted intraday chart: the time under the mouse on the time
// axis and, over the price and volume plots, the price at the mouse on the right axis.
DrawList intradayCrosshair(const IntradayGeometry& g, int mouseX, int mouseY, TextMeasure& m);

// ---- shared with the sub panels ----

struct SeriesKey;
// The key of formula runs over the day: the bars generation, the number of minutes and the
// last minute's figures (which a live fetch may update in place).
SeriesKey intradayKey(const StockRecord& rec, std::span<const MinuteBar> day);

// The run input of an intraday formula: the minutes' prices (missing where invalid), volume,
// amount = close x volume, dates and times (hhmm); no dates and times when `datesHidden`.
FormulaInput intradayFormulaInput(std::span<const MinuteBar> day, bool datesHidden);

struct FsPanel {
  Rect plot;
  std::span<const MinuteBar> day;
  const StockRecord* rec = nullptr;
  bool datesHidden = false;
};

// Intraday sub panel `panel` (0 or 1) with formula `name` and parameter overrides `params`
// (values of at least 1 replace the formula's first four parameters).
void buildFsSubPanel(DrawList& out, std::vector<HitArea>& hits, TextMeasure& m, const FsPanel& p, int panel,
                     const std::string& name, const std::array<int, 4>& params);
// The intraday volume sticks in a lower panel.
void buildFsVolume(DrawList& out, const Rect& plot, std::span<const MinuteBar> day, const std::vector<double>& own);

}  // namespace zor
