// Window statistics and linear regression.
//
// STD, STDP, VAR, VARP and DEVSQ slide sums of the values and of their squares, O(n). The
// values are taken relative to an anchor, one of the window's own values, so the squares are
// of the size of the deviations rather than of the prices; the sums are taken afresh from the
// window itself every max(4N, 256) bars, and wherever their rounding could show in the result
// (slidingDeviation). A window whose valid values are all equal gives exactly 0, as summing
// its deviations would.
//
// AVEDEV, COVAR and RELATE sum the deviations window by window. Their cost is the sum of the
// window lengths, charged to the run before any work, so AVEDEV(C,100000) over a long series
// stops with the run's work message instead of taking minutes.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("tree-vectorize")  // the mean deviation's passes over tiles of bars
#endif

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

// Sum of squared deviations from the mean over the valid values of each window, with the
// count of those values; the kind then divides it.
//
// The sliding sums give squares = s2 - s1*s1/k, whose rounding error is a few units in the last
// place of what passed through s2 since the sums were last taken afresh (`passed`). Where that
// could reach 1e-12 of the result (the window left a stretch of much larger values, or nearly
// equal values make the result tiny), the window is summed afresh in two passes, as a direct
// computation would, around a new anchor.
// A bar's result from the sum of its squared deviations and the count's reciprocals.
template <Deviation kind>
double finishOne(double squares, double invK, double invSample) {
  if (squares < 0) squares = 0;
  double r;
  switch (kind) {
    case Deviation::Sample: r = std::sqrt(squares * invSample); break;
    case Deviation::Population: r = std::sqrt(squares * invK); break;
    case Deviation::SampleVar: r = squares * invSample; break;
    case Deviation::PopulationVar: r = squares * invK; break;
    default: r = squares; break;
  }
  return cleanValue(r);
}

template <Deviation kind>
void slidingDeviation(const double* x, int n, int period, double* out) {
  const int block = int(std::min<int64_t>(std::max<int64_t>(4 * int64_t(period), 256), int64_t(n) + 1));
  double anchor = 0, s1 = 0, s2 = 0, passed = 0;
  int k = 0;
  int runStart = 0;  // first bar of the latest run of equal valid values (invalid bars aside)
  double runValue = noValue;
  int untilFresh = 1;  // bars until the sums are taken afresh
  int lastK = 0;
  double invK = 0, invSample = 0;
  auto setCount = [&] {
    lastK = k;
    invK = k > 0 ? 1.0 / k : 0;
    invSample = k > 1 ? 1.0 / (k - 1) : 1.0;  // the sample forms divide by k-1, by 1 for one value
  };
  // The window of bar i summed afresh around a new anchor; the squares in two passes, as a
  // direct computation would. False when the window holds no valid value.
  auto refresh = [&](int i, int start, double& squares) {
    untilFresh = block;
    anchor = isValid(x[i]) ? x[i] : isValid(runValue) ? runValue : 0;
    s1 = s2 = 0;
    k = 0;
    for (int j = start; j <= i; ++j) {
      if (isValid(x[j])) {
        const double y = x[j] - anchor;
        s1 += y;
        s2 += y * y;
        ++k;
      }
    }
    passed = s2;
    setCount();
    squares = 0;
    if (k == 0) return false;
    if (runStart > start) {
      const double mean = s1 / k;
      for (int j = start; j <= i; ++j) {
        if (isValid(x[j])) {
          const double d = (x[j] - anchor) - mean;
          squares += d * d;
        }
      }
    }
    return true;
  };
  auto finish = [&](int i, double squares) { out[i] = finishOne<kind>(squares, invK, invSample); };
  for (int i = 0; i < n; ++i) {
    if (i >= period && untilFresh > 1 && k > 0 && k == lastK) {
      // Full windows of valid values up to the next fresh sum: the steps below without the
      // tests that cannot fire; a missing value hands the bar back to them. The state the
      // steps change lives in locals here: the refresh, which reaches it by reference, would
      // otherwise keep it in memory, and every bar's sums would wait for a store and a load.
      // It is handed over around each refresh.
      const int end = std::min(n, i + untilFresh - 1);
      double ls1 = s1, ls2 = s2, lpassed = passed, lrunValue = runValue, lanchor = anchor;
      int lrunStart = runStart, luntil = untilFresh;
      const double invKLocal = invK, invSampleLocal = invSample;
      for (; i < end; ++i) {
        const double v = x[i], w = x[i - period];
        if (!isValid(v) || !isValid(w)) break;
        lrunStart = v != lrunValue ? i : lrunStart;
        lrunValue = v;
        const double in = v - lanchor, y = w - lanchor, in2 = in * in, gone2 = y * y;
        ls1 += in - y;
        ls2 += in2 - gone2;
        lpassed += in2 + gone2;
        --luntil;
        const int start = i - period + 1;
        double squares = 0;
        if (lrunStart > start) {
          squares = ls2 - ls1 * ls1 * invKLocal;
          if (squares < lpassed * 1e-4) {
            s1 = ls1, s2 = ls2, passed = lpassed, runValue = lrunValue, runStart = lrunStart, untilFresh = luntil;
            double fresh = 0;
            refresh(i, start, fresh);
            squares = fresh;
            ls1 = s1, ls2 = s2, lpassed = passed, lrunValue = runValue, lrunStart = runStart, luntil = untilFresh;
            lanchor = anchor;
          }
        }
        out[i] = finishOne<kind>(squares, invKLocal, invSampleLocal);
      }
      s1 = ls1, s2 = ls2, passed = lpassed, runValue = lrunValue, runStart = lrunStart, untilFresh = luntil;
      if (i == n) break;
    }
    const double v = x[i];
    const bool valid = isValid(v);
    if (valid && v != runValue) {
      runStart = i;
      runValue = v;
    }
    const int start = std::max(0, i - period + 1);
    double squares = 0;
    if (--untilFresh == 0) {
      if (!refresh(i, start, squares)) {
        out[i] = noValue;
        continue;
      }
      finish(i, squares);
      continue;
    }
    double in = 0, in2 = 0;
    if (valid) {
      in = v - anchor;
      in2 = in * in;
      ++k;
    }
    double gone2 = 0;
    if (i >= period && isValid(x[i - period])) {
      const double y = x[i - period] - anchor;
      in -= y;
      gone2 = y * y;
      --k;
    }
    s1 += in;
    s2 += in2 - gone2;
    passed += in2 + gone2;
    if (k == 0) {
      s1 = s2 = 0;
      out[i] = noValue;
      continue;
    }
    if (k != lastK) setCount();  // the count changes only near the first bar and around missing values
    if (runStart > start) {
      squares = s2 - s1 * s1 * invK;
      if (squares < passed * 1e-4 && !refresh(i, start, squares)) {
        out[i] = noValue;
        continue;
      }
    }
    finish(i, squares);
  }
}

// The mean absolute deviation: each window's mean from the running sums of MA (written to
// `out` first), then the distances from it summed over the window itself. The bars go in
// tiles: for each place in the window one pass adds that value's distance to every bar of the
// tile, so the bars' sums are independent and take vector instructions. A missing value's
// distance is a NaN, which a mask turns into 0: the loop holds no branch.
void meanAbsoluteDeviation(const double* x, int n, int period, double* out) {
  slidingWindowSum(x, n, period, out, true);
  constexpr int kTile = 1024;
  double sum[kTile];
  int count = 0;  // valid values in the window
  for (int t0 = 0; t0 < n; t0 += kTile) {
    const int len = std::min(n - t0, kTile);
    const double* mean = out + t0;
    for (int j = 0; j < len; ++j) sum[j] = 0;
    // Bar t0+j reads x[t0+j-k]; the bars before k have no value k places back. Two places
    // per pass where every bar of the tile has both.
    int k = std::min(period, t0 + len) - 1;
    for (; k >= 1 && k <= t0; k -= 2) {
      const double* v = x + (t0 - k);
      const double* w = v + 1;
      for (int j = 0; j < len; ++j) {
        const double d = v[j] - mean[j], e = w[j] - mean[j];
        sum[j] += (d == d ? std::fabs(d) : 0.0) + (e == e ? std::fabs(e) : 0.0);
      }
    }
    for (; k >= 0; --k) {
      const int first = std::max(0, k - t0);
      const double* v = x + (t0 + first - k);
      const double* m = mean + first;
      double* s = sum + first;
      for (int j = 0; j < len - first; ++j) {
        const double d = v[j] - m[j];
        s[j] += d == d ? std::fabs(d) : 0.0;
      }
    }
    for (int j = 0; j < len; ++j) {
      const int i = t0 + j;
      count += int(isValid(x[i])) - int(i >= period && isValid(x[i - period]));
      // No mean (no valid value, or a sum past the largest double): no result.
      out[i] = count == 0 || !isValid(mean[j]) ? noValue : cleanValue(sum[j] / count);
    }
  }
}

void deviation(CallArgs& a, double* out, Deviation kind) {
  const double* x = a.series(0);
  const int n = a.n;
  const int period = std::max(1, a.period(1, 1));
  if (kind != Deviation::MeanAbs) {
    const int p = std::min(period, n);
    switch (kind) {
      case Deviation::Sample: slidingDeviation<Deviation::Sample>(x, n, p, out); break;
      case Deviation::Population: slidingDeviation<Deviation::Population>(x, n, p, out); break;
      case Deviation::SampleVar: slidingDeviation<Deviation::SampleVar>(x, n, p, out); break;
      case Deviation::PopulationVar: slidingDeviation<Deviation::PopulationVar>(x, n, p, out); break;
      default: slidingDeviation<Deviation::SumSquares>(x, n, p, out); break;
    }
    a.clean = true;
    return;
  }
  if (!a.ctx.charge(windowCost(n, period))) {
    fillSeries(out, n, noValue);
    return;
  }
  meanAbsoluteDeviation(x, n, std::min(period, n), out);
  a.clean = true;
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
