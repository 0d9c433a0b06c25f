// How bars, prices and indicator values become pixels: the visible-bar window (zoom and
// scroll), the price scale of the main panel with its ticks, the grid and value labels of the
// lower panels, and the volume scale. Everything is a plain function of its inputs.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "data/market.h"
#include "platform/canvas.h"

namespace zor {

// A real number to a pixel: truncated towards zero, held within +-10^7 so that a far-off value
// stays an ordinary (off-screen) coordinate.
int toPixel(double v);

// ---- the horizontal scale ----

struct BarWindowParams {
  int seriesLength = 0;   // ks
  int plotLeft = 0;       // pr.left
  int plotWidth = 0;      // pr.right - pr.left
  int period = 0;         // ChartPeriod
  int barCount = 0;       // 0 automatic
  int scrollBack = 0;
  bool replayRunning = false;  // a history replay caps the automatic day-based window at 60
};

// The visible bars: series indices start .. start + count - 1 at `slot` pixels each from
// plotLeft. Bar i of the window (0 <= i < count) is centred at floor(plotLeft + (i + 0.5) slot).
struct BarWindow {
  int start = 0;
  int count = 0;        // N
  double slot = 0;      // pixels per bar
  double bodyWidth = 0; // bw
  int plotLeft = 0;
  int pxPerBar = 12;

  bool usable() const { return count > 0 && slot > 0; }
  // Centre x of window position i.
  int indexToX(int i) const;
  // Left edge x of window position i: floor(plotLeft + i slot).
  int slotLeft(int i) const;
  // The window position whose centre pixel is nearest to x (the lower one on a tie); the first
  // or last position left or right of all centres. Where a slot is at least one pixel,
  // xToIndex(indexToX(i)) == i for every i; narrower slots put several bars on one pixel and
  // give one of them.
  int xToIndex(int x) const;
};

BarWindow barWindow(const BarWindowParams& p);

// Zoom of the K-line chart: d = barCount when it is 10 or more, else max(20, (chartWidth -
// 112) / 7); in: max(10, floor(0.6 d)); out: min(max(20, seriesLength), floor(1.38 d)), with
// 5000 for the length when there is no instrument (seriesLength < 0).
int zoomedBarCount(int barCount, int chartWidth, int seriesLength, bool zoomIn);
// The scroll offset that shows the oldest bars of a series of `seriesLength` bars with
// `visibleBars` on screen: max(0, seriesLength - visibleBars).
int oldestScrollBack(int seriesLength, int visibleBars);

// ---- the price scale of the main panel ----

struct ValueScale {
  double lo = 0, hi = 1;
  int top = 0, bottom = 0;
  // y = bottom - (v - lo) / (hi - lo) * (bottom - top), truncated.
  int y(double v) const;
  // The value at pixel row y (the crosshair's inverse).
  double value(int y) const;
};

// lo and hi over the visible bars whose prices are valid (0.01 < price <= 10000, low <= high),
// 1 and 10 when none is; widened by every visible moving-average value in (0.01, 10000]; then
// padded by 5 % of the range (at least 0.01) on both sides.
ValueScale priceScale(std::span<const DayBar> bars, const BarWindow& w, std::span<const std::vector<double>> maValues,
                      const Rect& plot);

struct PriceTicks {
  double step = 0;       // grid step; 0 when the range is empty
  double labelStep = 0;
  std::vector<double> grid;
  std::vector<double> labels;
};

// Grid and label values: a 1-2-5 step of at most about 20 lines over lo..hi (at least 0.01),
// labels at half that step when grid lines are more than 80 pixels apart; at most 400 each.
PriceTicks niceTicks(double lo, double hi, int plotHeight);

// The price axis width the labels need: the widest "%.2f" label plus 12, at least 50.
int axisWidthFor(int widestLabelWidth);

// ---- the lower panels ----

// Grid rows of a lower panel: h = bottom - top cut into clamp((h + 14) / 28, 2, 6) parts; none
// when h < 9.
std::vector<int> panelGridRows(const Rect& plot);
// The grid row nearest to the zero-line target (half way down with panelFill 1, two thirds
// otherwise), the first of two equally near; -1 without rows.
int zeroLineRow(const std::vector<int>& rows, const Rect& plot, int panelFill);
// The range lo..hi widened so that 0 falls exactly on row z (or half way down when z < 0):
// the panel's share below zero stays within 5 % .. 95 %.
ValueScale zeroAnchoredScale(double lo, double hi, int z, const Rect& plot);

struct ValueLabel {
  double value;
  int y;  // text top
};
// Value labels of a lower panel: up to 8 multiples of a 1-1.5-2-2.5-3-5 step of about a third
// of the range above e (0 when positiveOnly and lo < 0, else lo). None when the plot is less
// than 20 pixels high or the range holds nothing above e.
std::vector<ValueLabel> panelValueLabels(const ValueScale& s, const Rect& plot, bool positiveOnly);

// The volume panel's scale: the smallest c x 20000 x 10^l lots (c 1..4, l -3..9) holding the
// largest visible volume, else 80000; the unit is 10^l for l >= 1, else 1.
struct VolumeScale {
  double topLots = 80000;
  double unit = 1;
};
VolumeScale volumeScale(double maxVolumeShares);

}  // namespace zor
