// Window statistics and linear regression.
//
// The deviation statistics sum the deviations window by window (a sliding sum of squares
// would lose the exact 0 of a flat window to rounding). Their cost is the sum of the window
// lengths, charged to the run before any work, so AVEDEV(C,100000) over a long series stops
// with the run's work message instead of taking minutes.
#include <algorithm>
#include <cmath>

#include "formula/library.h"

namespace zor::fn {

namespace {

// Sum over the bars of min(period, i+1): the element steps of one pass over every window.
int64_t windowCost(int n, int period) {
  const int64_t nn = n, p = period;
  if (p >= nn) return nn * (nn + 1) / 2;
  return p * (p + 1) / 2 + (nn - p) * p;
}

enum class Deviation { Sample, Population, SampleVar, PopulationVar, MeanAbs, SumSquares };

// The window's mean comes from a running sum and count (O(1) per bar); the deviations from it
// are then summed over the window itself.
void deviation(CallArgs& a, double* out, Deviation kind) {
  const double* x = a.series(0);
  const int n = a.n;
  const int period = std::max(1, a.period(1, 1));
  if (!a.ctx.charge(windowCost(n, period))) {
    fillSeries(out, n, noValue);
    return;
  }
  double sum = 0;
  int k = 0;
  for (int i = 0; i < n; ++i) {
    if (isValid(x[i])) sum += x[i], ++k;
    if (i >= period && isValid(x[i - period])) sum -= x[i - period], --k;
    if (k == 0) {
      sum = 0;
      out[i] = noValue;
      continue;
    }
    const double mean = sum / k;
    double squares = 0, absolute = 0;
    for (int j = std::max(0, i - period + 1); j <= i; ++j) {
      if (isValid(x[j])) {
        const double d = x[j] - mean;
        squares += d * d;
        absolute += std::fabs(d);
      }
    }
    // The sample forms divide by k-1, and by 1 for a single value.
    const double sampleDiv = k > 1 ? k - 1 : 1;
    switch (kind) {
      case Deviation::Sample: out[i] = std::sqrt(squares / sampleDiv); break;
      case Deviation::Population: out[i] = std::sqrt(squares / k); break;
      case Deviation::SampleVar: out[i] = squares / sampleDiv; break;
      case Deviation::PopulationVar: out[i] = squares / k; break;
      case Deviation::MeanAbs: out[i] = absolute / k; break;
      case Deviation::SumSquares: out[i] = squares; break;
    }
  }
}

// Over the bars of the window where both series are valid.
void pairStatistic(CallArgs& a, double* out, bool correlation) {
  const double* x = a.series(0);
  const double* y = a.series(1);
  const int n = a.n;
  const int period = std::max(1, a.period(2, 1));
  if (!a.ctx.charge(2 * windowCost(n, period))) {
    fillSeries(out, n, noValue);
    return;
  }
  for (int i = 0; i < n; ++i) {
    const int s = std::max(0, i - period + 1);
    double sx = 0, sy = 0;
    int k = 0;
    for (int j = s; j <= i; ++j) {
      if (isValid(x[j]) && isValid(y[j])) {
        sx += x[j];
        sy += y[j];
        ++k;
      }
    }
    if (k < 2) {
      out[i] = noValue;
      continue;
    }
    const double mx = sx / k, my = sy / k;
    double cross = 0, xx = 0, yy = 0;
    for (int j = s; j <= i; ++j) {
      if (isValid(x[j]) && isValid(y[j])) {
        const double dx = x[j] - mx, dy = y[j] - my;
        cross += dx * dy;
        xx += dx * dx;
        yy += dy * dy;
      }
    }
    if (!correlation) {
      out[i] = cross / k;
    } else {
      out[i] = (xx == 0 || yy == 0) ? 0 : cross / std::sqrt(xx * yy);
    }
  }
}

// Least-squares line through the last m = min(N, i+1) values at x = 0 .. m-1. Any missing value
// in the window makes the bar's result missing. The sums slide in O(1) per bar: when the
// window moves on, every x drops by one, so the sum of x*y loses the plain sum of the values
// that stay.
void regression(CallArgs& a, double* out, bool forecast) {
  const double* x = a.series(0);
  const int n = a.n;
  const int period = std::max(2, a.period(1, 1));
  double sy = 0, sxy = 0;
  int missing = 0;
  for (int i = 0; i < n; ++i) {
    const double v = isValid(x[i]) ? x[i] : 0;
    if (i < period) {
      sxy += double(i) * v;
      sy += v;
    } else {
      const double leaving = isValid(x[i - period]) ? x[i - period] : 0;
      if (!isValid(x[i - period])) --missing;
      sxy = sxy - (sy - leaving) + double(period - 1) * v;
      sy = sy - leaving + v;
    }
    if (!isValid(x[i])) ++missing;
    const double m = std::min(period, i + 1);
    if (missing > 0) {
      out[i] = noValue;
      continue;
    }
    const double sx = m * (m - 1) / 2;
    const double sxx = (m - 1) * m * (2 * m - 1) / 6;
    const double d = m * sxx - sx * sx;
    const double b = std::fabs(d) < 1e-12 ? 0 : (m * sxy - sx * sy) / d;
    if (!forecast) {
      out[i] = b;
    } else {
      out[i] = m == 1 ? x[i] : (sy - b * sx) / m + (m - 1) * b;
    }
  }
}

}  // namespace

void std_(CallArgs& a, double* out) { deviation(a, out, Deviation::Sample); }
void stdp(CallArgs& a, double* out) { deviation(a, out, Deviation::Population); }
void var(CallArgs& a, double* out) { deviation(a, out, Deviation::SampleVar); }
void varp(CallArgs& a, double* out) { deviation(a, out, Deviation::PopulationVar); }
void avedev(CallArgs& a, double* out) { deviation(a, out, Deviation::MeanAbs); }
void devsq(CallArgs& a, double* out) { deviation(a, out, Deviation::SumSquares); }
void covar(CallArgs& a, double* out) { pairStatistic(a, out, false); }
void relate(CallArgs& a, double* out) { pairStatistic(a, out, true); }
void slope(CallArgs& a, double* out) { regression(a, out, false); }
void forcast(CallArgs& a, double* out) { regression(a, out, true); }

}  // namespace zor::fn
