// Recursive smoothings. The first valid value seeds the running value y, there is no warm-up,
// and a missing input value carries y forward unchanged.
#include <algorithm>

#include "formula/library.h"

namespace zor::fn {

namespace {

template <class Update>
void smooth(const double* x, int n, double* out, Update update) {
  double y = noValue;
  for (int i = 0; i < n; ++i) {
    const double v = x[i];
    if (isValid(v)) y = isValid(y) ? update(y, v) : v;
    out[i] = y;
  }
}

int smoothingPeriod(CallArgs& a) { return std::max(1, a.period(1, 1)); }

}  // namespace

// EMA, EXPMA, EXPMEMA.
void ema(CallArgs& a, double* out) {
  const double alpha = 2.0 / (smoothingPeriod(a) + 1.0);
  const double keep = 1 - alpha;
  smooth(a.series(0), a.n, out, [=](double y, double x) { return y * keep + x * alpha; });
}

void sma(CallArgs& a, double* out) {
  const double n = smoothingPeriod(a);
  const double m = a.scalar(2, 1);
  smooth(a.series(0), a.n, out, [=](double y, double x) { return (y * (n - m) + x * m) / n; });
}

void xma(CallArgs& a, double* out) {
  const double alpha = 1.0 / smoothingPeriod(a);
  const double keep = 1 - alpha;
  smooth(a.series(0), a.n, out, [=](double y, double x) { return y * keep + x * alpha; });
}

void mema(CallArgs& a, double* out) {
  const double n = smoothingPeriod(a);
  smooth(a.series(0), a.n, out, [=](double y, double x) { return (y * (n - 1) + x) / n; });
}

void tma(CallArgs& a, double* out) {
  const double wy = a.scalar(1, 0.5);
  const double wx = a.scalar(2, 0.5);
  smooth(a.series(0), a.n, out, [=](double y, double x) { return x * wx + y * wy; });
}

void ama(CallArgs& a, double* out) {
  const double w = a.scalar(1, 0.5);
  smooth(a.series(0), a.n, out, [=](double y, double x) { return y + (x - y) * w; });
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
