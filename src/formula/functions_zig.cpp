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
const double* priceSeries(EvalContext& c, int which) {
  switch (which) {
    case 0: return c.inputSeries(InOpen);
    case 1: return c.inputSeries(InHigh);
    case 2: return c.inputSeries(InLow);
    default: return c.inputSeries(InClose);
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

// SAR over the bars whose high, low and close are valid, written to out: the stop, or with
// `turns` the reversals (-1 an up trend turning down, +1 a down trend turning up, else 0).
void parabolic(CallArgs& a, double* out, bool turns) {
  const double* high = a.ctx.inputSeries(InHigh);
  const double* low = a.ctx.inputSeries(InLow);
  const double* close = a.ctx.inputSeries(InClose);
  const int n = a.n;
  fillSeries(out, n, turns ? 0 : noValue);
  double step = a.scalar(1, 2) / 100;
  if (!(step > 0)) step = 0.02;
  double maximum = a.scalar(2, 20) / 100;
  if (!(maximum > 0)) maximum = 0.2;
  auto priced = [&](int i) { return isValid(high[i]) && isValid(low[i]) && isValid(close[i]); };
  int b0 = 0;
  while (b0 < n && !priced(b0)) ++b0;
  if (b0 == n) return;
  int b1 = b0 + 1;
  while (b1 < n && !priced(b1)) ++b1;
  if (b1 == n) {
    if (!turns) out[b0] = low[b0];
    return;
  }
  bool up = close[b1] >= close[b0];
  double sar = up ? low[b0] : high[b0];
  double ep = up ? high[b0] : low[b0];
  double af = step;
  if (!turns) out[b0] = sar;
  for (int i = b1; i < n; ++i) {
    if (!priced(i)) continue;
    sar = sar + (ep - sar) * af;
    if (up) {
      if (sar > low[i]) {
        up = false;
        sar = ep;
        af = step;
        ep = low[i];
        if (turns) out[i] = -1;
      } else if (high[i] > ep) {
        af = std::min(af + step, maximum);
        ep = high[i];
      }
    } else {
      if (high[i] > sar) {
        up = true;
        sar = ep;
        af = step;
        ep = high[i];
        if (turns) out[i] = 1;
      } else if (low[i] < ep) {
        af = std::min(af + step, maximum);
        ep = low[i];
      }
    }
    if (!turns) out[i] = sar;
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

void sar(CallArgs& a, double* out) { parabolic(a, out, false); }
void sarturn(CallArgs& a, double* out) { parabolic(a, out, true); }

}  // namespace zor::fn
