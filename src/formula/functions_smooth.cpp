// Recursive smoothings. The first valid value seeds the running value y, there is no warm-up,
// and a missing input value carries y forward unchanged. All but DMA are the linear update
// y*keep + x*alpha with weights fixed for the run.
#include <algorithm>

#include "formula/library.h"

namespace zor {

// y = y*keep + x*alpha. Where four bars in a row are valid they are done together: the
// running value then passes through one multiply and one add per four bars instead of per bar
// (bar j of the block is y*keep^j plus a sum of the block's own inputs, computed beside it).
// The result equals the one-bar recurrence up to rounding in the last places.
void linearSmoothBlock(const double* x, int n, double* out, double keep, double alpha, double& runningValue) {
  const double k2 = keep * keep, k3 = k2 * keep, k4 = k3 * keep;
  double y = runningValue;
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
  runningValue = y;
}

namespace {

int smoothingPeriod(CallArgs& a) { return std::max(1, a.period(1, 1)); }

}  // namespace

bool linearSmoothingWeights(LibraryFn fn, CallArgs& a, double& keep, double& alpha) {
  if (fn == fn::ema) {  // EMA, EXPMA, EXPMEMA
    alpha = 2.0 / (smoothingPeriod(a) + 1.0);
    keep = 1 - alpha;
  } else if (fn == fn::sma) {
    const double n = smoothingPeriod(a);
    const double m = a.scalar(2, 1);
    keep = (n - m) / n;
    alpha = m / n;
  } else if (fn == fn::xma) {
    alpha = 1.0 / smoothingPeriod(a);
    keep = 1 - alpha;
  } else if (fn == fn::mema) {
    const double n = smoothingPeriod(a);
    keep = (n - 1) / n;
    alpha = 1 / n;
  } else if (fn == fn::tma) {
    keep = a.scalar(1, 0.5);
    alpha = a.scalar(2, 0.5);
  } else if (fn == fn::ama) {
    const double w = a.scalar(1, 0.5);
    keep = 1 - w;
    alpha = w;
  } else {
    return false;
  }
  return true;
}

namespace fn {

namespace {

template <LibraryFn Self>
void linearSmoothing(CallArgs& a, double* out) {
  double keep = 0, alpha = 0;
  linearSmoothingWeights(Self, a, keep, alpha);
  double y = noValue;
  linearSmoothBlock(a.series(0), a.n, out, keep, alpha, y);
}

}  // namespace

// The weights of each (linearSmoothingWeights): EMA a = 2/(N+1), SMA M/N, XMA 1/N, MEMA 1/N,
// TMA and AMA as given.
void ema(CallArgs& a, double* out) { linearSmoothing<ema>(a, out); }
void sma(CallArgs& a, double* out) { linearSmoothing<sma>(a, out); }
void xma(CallArgs& a, double* out) { linearSmoothing<xma>(a, out); }
void mema(CallArgs& a, double* out) { linearSmoothing<mema>(a, out); }
void tma(CallArgs& a, double* out) { linearSmoothing<tma>(a, out); }
void ama(CallArgs& a, double* out) { linearSmoothing<ama>(a, out); }

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

}  // namespace fn
}  // namespace zor
