// Zig-zag turning points and the parabolic stop and reverse. Both read the input's prices.
//
// Bars whose prices are missing (bars that failed validation) are stepped over: the zig-zag
// starts at the first valid price and ends at the last one, and the stop-and-reverse keeps
// its state across a missing bar and shows noValue there, so one bad bar cannot blank the
// rest of the series.
#include <algorithm>
#include <vector>

#include "formula/library.h"

namespace zor::fn {

namespace {

struct TurningPoint {
  int index;
  double value;
  bool peak;
};

// 0 open, 1 high, 2 low, anything else close.
const double* priceSeries(const EvalContext& c, int which) {
  switch (which) {
    case 0: return c.open;
    case 1: return c.high;
    case 2: return c.low;
    default: return c.close;
  }
}

int firstValid(const double* p, int n) {
  for (int i = 0; i < n; ++i) {
    if (isValid(p[i])) return i;
  }
  return -1;
}

// Turning points for a reversal of `percent`: an extreme is confirmed once the price has
// moved the other way by that fraction of it. The last, unconfirmed extreme is not recorded.
std::vector<TurningPoint> turningPoints(const double* p, int n, double percent) {
  std::vector<TurningPoint> points;
  double x = percent / 100;
  if (!(x > 0)) x = 0.01;
  const int f = firstValid(p, n);
  if (f < 0) return points;
  double g = p[f];
  int gi = f;
  bool lookingForPeak = true;
  for (int i = f + 1; i < n; ++i) {
    if (!isValid(p[i])) continue;
    if (lookingForPeak) {
      if (p[i] > g) g = p[i], gi = i;
      if (g > 0 && p[i] < (1 - x) * g) {
        points.push_back({gi, p[gi], true});
        lookingForPeak = false;
        g = p[i], gi = i;
      }
    } else {
      if (p[i] < g) g = p[i], gi = i;
      if (g > 0 && p[i] > (1 + x) * g) {
        points.push_back({gi, p[gi], false});
        lookingForPeak = true;
        g = p[i], gi = i;
      }
    }
  }
  return points;
}

// The M-th most recent peak (or trough) at or before each bar: its value, or the bars since it.
void nthTurningPoint(CallArgs& a, double* out, bool peaks, bool distance) {
  const double* p = priceSeries(a.ctx, a.period(0, 1));
  const double percent = a.scalar(1, 5);
  const int m = std::max(1, a.period(2, 1));
  std::vector<TurningPoint> all = turningPoints(p, a.n, percent);
  std::vector<TurningPoint> wanted;
  for (const TurningPoint& t : all) {
    if (t.peak == peaks) wanted.push_back(t);
  }
  size_t seen = 0;  // wanted points with index <= i
  for (int i = 0; i < a.n; ++i) {
    while (seen < wanted.size() && wanted[seen].index <= i) ++seen;
    if (seen >= size_t(m)) {
      const TurningPoint& t = wanted[seen - size_t(m)];
      out[i] = distance ? double(i - t.index) : t.value;
    } else {
      out[i] = noValue;
    }
  }
}

// SAR over the bars whose high, low and close are valid. Returns, per bar, the stop and the
// turn (-1 an up trend turning down, +1 a down trend turning up, 0 none).
void parabolic(CallArgs& a, std::vector<double>& stop, std::vector<int>& turn) {
  const EvalContext& c = a.ctx;
  const int n = a.n;
  stop.assign(size_t(n), noValue);
  turn.assign(size_t(n), 0);
  double step = a.scalar(1, 2) / 100;
  if (!(step > 0)) step = 0.02;
  double maximum = a.scalar(2, 20) / 100;
  if (!(maximum > 0)) maximum = 0.2;
  std::vector<int> bars;
  for (int i = 0; i < n; ++i) {
    if (isValid(c.high[i]) && isValid(c.low[i]) && isValid(c.close[i])) bars.push_back(i);
  }
  if (bars.empty()) return;
  if (bars.size() == 1) {
    stop[size_t(bars[0])] = c.low[bars[0]];
    return;
  }
  const int b0 = bars[0];
  bool up = c.close[bars[1]] >= c.close[b0];
  double sar = up ? c.low[b0] : c.high[b0];
  double ep = up ? c.high[b0] : c.low[b0];
  double af = step;
  stop[size_t(b0)] = sar;
  for (size_t k = 1; k < bars.size(); ++k) {
    const int i = bars[k];
    sar = sar + (ep - sar) * af;
    if (up) {
      if (sar > c.low[i]) {
        up = false;
        sar = ep;
        af = step;
        ep = c.low[i];
        turn[size_t(i)] = -1;
      } else if (c.high[i] > ep) {
        af = std::min(af + step, maximum);
        ep = c.high[i];
      }
    } else {
      if (c.high[i] > sar) {
        up = true;
        sar = ep;
        af = step;
        ep = c.high[i];
        turn[size_t(i)] = 1;
      } else if (c.low[i] < ep) {
        af = std::min(af + step, maximum);
        ep = c.low[i];
      }
    }
    stop[size_t(i)] = sar;
  }
}

}  // namespace

// The polyline through the turning points, from the first valid price to the last.
void zig(CallArgs& a, double* out) {
  const int n = a.n;
  const double* p = priceSeries(a.ctx, a.period(0, 3));
  fillSeries(out, n, noValue);
  const int f = firstValid(p, n);
  if (f < 0) return;
  int e = n - 1;
  while (!isValid(p[e])) --e;
  std::vector<TurningPoint> points = turningPoints(p, n, a.scalar(1, 5));
  int d = f;
  double v = p[f];
  auto segment = [&](int to, double w) {
    const double span = std::max(1, to - d);
    for (int j = d; j <= to; ++j) out[j] = v + (j - d) * (w - v) / span;
    d = to;
    v = w;
  };
  for (const TurningPoint& t : points) segment(t.index, t.value);
  segment(e, p[e]);
}

void peak(CallArgs& a, double* out) { nthTurningPoint(a, out, true, false); }
void trough(CallArgs& a, double* out) { nthTurningPoint(a, out, false, false); }
void peakbars(CallArgs& a, double* out) { nthTurningPoint(a, out, true, true); }
void troughbars(CallArgs& a, double* out) { nthTurningPoint(a, out, false, true); }

void sar(CallArgs& a, double* out) {
  std::vector<double> stop;
  std::vector<int> turn;
  parabolic(a, stop, turn);
  std::copy(stop.begin(), stop.end(), out);
}

void sarturn(CallArgs& a, double* out) {
  std::vector<double> stop;
  std::vector<int> turn;
  parabolic(a, stop, turn);
  for (int i = 0; i < a.n; ++i) out[i] = turn[size_t(i)];
}

}  // namespace zor::fn
