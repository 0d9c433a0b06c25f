// Recursive smoothings. The first valid value seeds the running value y, there is no warm-up,
// and a missing input value carries y forward unchanged. All but DMA are the linear update
// y*keep + x*alpha with weights fixed for the run.
#include <algorithm>

#include "formula/library.h"

namespace zor::fn {

namespace {

// y = y*keep + x*alpha. Where four bars in a row are valid they are done together: the
// running value then passes through one multiply and one add per four bars instead of per bar
// (bar j of the block is y*keep^j plus a sum of the block's own inputs, computed beside it).
// The result equals the one-bar recurrence up to rounding in the last places.
void linearSmooth(const double* x, int n, double* out, double keep, double alpha) {
  const double k2 = keep * keep, k3 = k2 * keep, k4 = k3 * keep;
  double y = noValue;
  int i = 0;
  while (i < n) {
    if (i + 4 <= n && isValid(y) && isValid(x[i]) && isValid(x[i + 1]) && isValid(x[i + 2]) && isValid(x[i + 3])) {
      const double p1 = x[i] * alpha, p2 = x[i + 1] * alpha, p3 = x[i + 2] * alpha, p4 = x[i + 3] * alpha;
      const double q2 = p1 * keep + p2, q3 = q2 * keep + p3, q4 = q3 * keep + p4;
      out[i] = y * keep + p1;
      out[i + 1] = y * k2 + q2;
      out[i + 2] = y * k3 + q3;
      y = y * k4 + q4;
      out[i + 3] = y;
      i += 4;
      continue;
    }
    if (isValid(x[i])) y = isValid(y) ? y * keep + x[i] * alpha : x[i];
    out[i++] = y;
  }
}

int smoothingPeriod(CallArgs& a) { return std::max(1, a.period(1, 1)); }

}  // namespace

// EMA, EXPMA, EXPMEMA.
void ema(CallArgs& a, double* out) {
  const double alpha = 2.0 / (smoothingPeriod(a) + 1.0);
  linearSmooth(a.series(0), a.n, out, 1 - alpha, alpha);
}

// The members below are the same linear update y*keep + x*alpha with other weights; written
// that way they share linearSmooth's four-bar blocks.
void sma(CallArgs& a, double* out) {
  const double n = smoothingPeriod(a);
  const double m = a.scalar(2, 1);
  linearSmooth(a.series(0), a.n, out, (n - m) / n, m / n);
}

void xma(CallArgs& a, double* out) {
  const double alpha = 1.0 / smoothingPeriod(a);
  linearSmooth(a.series(0), a.n, out, 1 - alpha, alpha);
}

void mema(CallArgs& a, double* out) {
  const double n = smoothingPeriod(a);
  linearSmooth(a.series(0), a.n, out, (n - 1) / n, 1 / n);
}

void tma(CallArgs& a, double* out) {
  const double wy = a.scalar(1, 0.5);
  const double wx = a.scalar(2, 0.5);
  linearSmooth(a.series(0), a.n, out, wy, wx);
}

void ama(CallArgs& a, double* out) {
  const double w = a.scalar(1, 0.5);
  linearSmooth(a.series(0), a.n, out, 1 - w, w);
}

// The weight is read bar by bar; a weight above 1 stands for its reciprocal.
void dma(CallArgs& a, double* out) {
  const double* x = a.series(0);
  const double* w = a.series(1);
  double y = noValue;
  for (int i = 0; i < a.n; ++i) {
    if (isValid(x[i]) && isValid(w[i])) {
      if (!isValid(y)) {
        y = x[i];
      } else {
        double d = w[i] > 1 ? 1 / w[i] : w[i];
        d = std::min(1.0, d);
        y = y * (1 - d) + x[i] * d;
      }
    }
    out[i] = y;
  }
}

}  // namespace zor::fn
