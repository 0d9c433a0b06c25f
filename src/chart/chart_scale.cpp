#include "chart/chart_scale.h"

#include <algorithm>
#include <cmath>

namespace zor {

namespace {

constexpr double kPixelLimit = 1e7;

int floorPixel(double v) {
  if (!(v == v)) return 0;
  return int(std::floor(std::clamp(v, -kPixelLimit, kPixelLimit)));
}

bool inPriceRange(double p) { return p > 0.01 && p <= 10000.0; }

}  // namespace

int toPixel(double v) {
  if (!(v == v)) return 0;
  return int(std::clamp(v, -kPixelLimit, kPixelLimit));
}

// ---- the horizontal scale ----

int BarWindow::indexToX(int i) const { return floorPixel(plotLeft + (i + 0.5) * slot); }

int BarWindow::slotLeft(int i) const { return floorPixel(plotLeft + i * slot); }

int BarWindow::xToIndex(int x) const {
  if (count <= 0 || !(slot > 0)) return 0;
  if (x >= indexToX(count - 1)) return count - 1;
  if (x <= indexToX(0)) return 0;
  // The centre of position i lies near plotLeft + (i + 0.5) slot: start from that estimate
  // and settle on the nearest centre among the neighbours.
  int guess = std::clamp(int(std::floor((x - plotLeft) / slot - 0.5)), 0, count - 1);
  int best = guess;
  int bestDist = std::abs(indexToX(guess) - x);
  for (int i = std::max(0, guess - 2); i <= std::min(count - 1, guess + 2); ++i) {
    int d = std::abs(indexToX(i) - x);
    if (d < bestDist || (d == bestDist && i < best)) {
      best = i;
      bestDist = d;
    }
  }
  return best;
}

BarWindow barWindow(const BarWindowParams& p) {
  BarWindow w;
  const bool minute = isMinutePeriod(p.period);
  const int ks = std::max(0, p.seriesLength);
  const int chartW = p.plotWidth;
  w.plotLeft = p.plotLeft;
  w.pxPerBar = minute ? 3 : 12;
  const int fit = std::max(20, int(std::floor(double(chartW - 10 * w.pxPerBar) / w.pxPerBar)));
  int n = p.barCount > 0 ? p.barCount : std::min(fit, ks);
  n = std::min(std::max(n, 10), ks);
  if (p.replayRunning && p.barCount == 0 && !minute && n > 60) n = std::min(60, ks);
  if (p.barCount == 0)
    while (n > 20 && 0.73 * chartW / n < 1.5) --n;
  w.count = n;
  w.start = std::max(0, std::max(0, ks - n) - std::max(0, p.scrollBack));
  // With a zoomed bar count ten empty slots stay at the right.
  w.slot = p.barCount > 0 ? double(chartW) / (n + 10) : double(w.pxPerBar);
  w.bodyWidth = (p.barCount > 0 || minute) ? 0.73 * w.slot : 9.0;
  return w;
}

int zoomedBarCount(int barCount, int chartWidth, int seriesLength, bool zoomIn) {
  const int d = barCount > 9 ? barCount : std::max(20, (chartWidth - 112) / 7);
  if (zoomIn) return std::max(10, int(int64_t(d) * 6 / 10));  // integer arithmetic: 35 x 0.6 is 21
  const int most = seriesLength < 0 ? 5000 : std::max(20, seriesLength);
  return std::min(most, int(int64_t(d) * 138 / 100));
}

int oldestScrollBack(int seriesLength, int visibleBars) { return std::max(0, seriesLength - visibleBars); }

// ---- the price scale ----

int ValueScale::y(double v) const {
  const double span = hi - lo;
  if (!(span > 0)) return bottom;
  return floorPixel(bottom - (v - lo) / span * (bottom - top));
}

double ValueScale::value(int y) const {
  const int h = bottom - top;
  if (h == 0) return lo;
  return lo + double(bottom - y) / h * (hi - lo);
}

ValueScale priceScale(std::span<const DayBar> bars, const BarWindow& w, std::span<const std::vector<double>> maValues,
                      const Rect& plot) {
  double lo = 1e18, hi = -1e18;
  int count = 0;
  const int end = std::min<int>(int(bars.size()), w.start + w.count);
  for (int i = std::max(0, w.start); i < end; ++i) {
    const DayBar& b = bars[size_t(i)];
    if (inPriceRange(b.high) && inPriceRange(b.low) && b.low <= b.high) {
      lo = std::min(lo, b.low);
      hi = std::max(hi, b.high);
      ++count;
    }
  }
  if (count == 0 || lo > hi) lo = 1, hi = 10;
  for (const std::vector<double>& ma : maValues)
    for (double v : ma)
      if (inPriceRange(v)) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
      }
  const double pad = std::max(0.01, (hi - lo) * 0.05);
  return ValueScale{lo - pad, hi + pad, plot.top, plot.bottom};
}

PriceTicks niceTicks(double lo, double hi, int px) {
  PriceTicks t;
  if (!(lo < hi)) return t;
  const double d = hi - lo;
  double step = std::pow(10.0, std::floor(std::log10(d))) / 5;
  if (d / step > 20) {
    step = d / 20;
    const double l = std::pow(10.0, std::floor(std::log10(step)));
    const double g = step / l;
    step = (g <= 1.000000001 ? 1 : g <= 2.000000001 ? 2 : g <= 5.000000001 ? 5 : 10) * l;
  }
  step = std::max(step, 0.01);
  t.step = step;
  t.labelStep = std::max(0.01, px > 0 && step / d * px > 80 ? step * 0.5 : step);
  auto multiples = [&](double s, std::vector<double>& out) {
    for (double k = std::ceil(lo / s - 1e-9); out.size() < 400; k += 1) {
      const double v = k * s;
      if (v > hi + 1e-9) break;
      out.push_back(v);
    }
  };
  multiples(t.step, t.grid);
  multiples(t.labelStep, t.labels);
  return t;
}

int axisWidthFor(int widestLabelWidth) { return std::max(50, widestLabelWidth + 12); }

// ---- the lower panels ----

std::vector<int> panelGridRows(const Rect& p) {
  std::vector<int> rows;
  const int h = p.bottom - p.top;
  if (h < 9) return rows;
  const int c = std::clamp((h + 14) / 28, 2, 6);
  for (int k = 1; k < c; ++k) rows.push_back(p.top + k * h / c);
  return rows;
}

int zeroLineRow(const std::vector<int>& rows, const Rect& p, int panelFill) {
  const int h = p.bottom - p.top;
  const double target = p.top + (panelFill == 1 ? 0.5 : 2.0 / 3.0) * h;
  int best = -1;
  double bestDist = 0;
  for (int y : rows) {
    const double d = std::fabs(y - target);
    if (best < 0 || d < bestDist) best = y, bestDist = d;
  }
  return best;
}

ValueScale zeroAnchoredScale(double lo, double hi, int z, const Rect& p) {
  const int h = std::max(4, p.bottom - p.top);
  const double f = z >= 0 ? double(z - p.top) / h : 0.5;
  const double g = std::clamp(1 - f, 0.05, 0.95);  // the share of the height below zero
  double span = hi - lo;
  if (span < 1e-9) span = 1e-6;
  if (lo < 0) span = std::max(span, -lo / g);
  if (hi > 0) span = std::max(span, hi / (1 - g));
  return ValueScale{-span * g, span * (1 - g), p.top, p.bottom};
}

std::vector<ValueLabel> panelValueLabels(const ValueScale& s, const Rect& p, bool positiveOnly) {
  std::vector<ValueLabel> out;
  if (p.bottom - p.top < 20) return out;
  const double e = positiveOnly && s.lo < 0 ? 0 : s.lo;
  if (!(s.hi > e)) return out;
  const double want = (s.hi - e) / 3;
  static const double kMantissas[] = {1, 1.5, 2, 2.5, 3, 5};
  double step = 0;
  for (int k = -12; k < -12 + 30 && step == 0; ++k)
    for (double m : kMantissas)
      if (m * std::pow(10.0, k) >= want) {
        step = m * std::pow(10.0, k);
        break;
      }
  if (step == 0) return out;
  const double first = std::floor((e - 1e-9) / step) + 1;
  for (int j = 0; j < 8; ++j) {
    const double v = (first + j) * step;
    if (v > s.hi + 1e-9) break;
    const int y = p.bottom - floorPixel((v - s.lo) / (s.hi - s.lo) * (p.bottom - p.top));
    out.push_back(ValueLabel{v, std::min(p.bottom - 12, std::max(p.top, y - 8))});
  }
  return out;
}

VolumeScale volumeScale(double maxVolumeShares) {
  const double m = maxVolumeShares / 100;
  for (int l = -3; l <= 9; ++l)
    for (int c = 1; c <= 4; ++c) {
      const double v = c * 20000 * std::pow(10.0, l);
      if (v >= m) return VolumeScale{v, l >= 1 ? std::pow(10.0, l) : 1};
    }
  return VolumeScale{};
}

}  // namespace zor
