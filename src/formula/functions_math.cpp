// Element-wise functions, conditions and bar counters. A missing value in gives a missing
// value out unless a function says otherwise.
#include <algorithm>
#include <cmath>

#include "formula/library.h"

namespace zor::fn {

namespace {

// Applies f to each valid element; a constant argument is computed once.
template <class F>
void map1(CallArgs& a, double* out, F f) {
  if (a.isConstant(0)) {
    double v = a.constant(0);
    fillSeries(out, a.n, isValid(v) ? f(v) : noValue);
    return;
  }
  const double* x = a.series(0);
  for (int i = 0; i < a.n; ++i) out[i] = isValid(x[i]) ? f(x[i]) : noValue;
}

double finiteOrNoValue(double r) { return std::isfinite(r) ? r : noValue; }

double roundHalfAway(double x) { return x < 0 ? -std::floor(0.5 - x) : std::floor(x + 0.5); }

}  // namespace

void abs_(CallArgs& a, double* out) { map1(a, out, [](double x) { return std::fabs(x); }); }
void sqrt_(CallArgs& a, double* out) { map1(a, out, [](double x) { return x < 0 ? 0.0 : std::sqrt(x); }); }
void exp_(CallArgs& a, double* out) { map1(a, out, [](double x) { return finiteOrNoValue(std::exp(x)); }); }
void ln(CallArgs& a, double* out) { map1(a, out, [](double x) { return x > 0 ? std::log(x) : 0.0; }); }
void log_(CallArgs& a, double* out) { map1(a, out, [](double x) { return x > 0 ? std::log10(x) : 0.0; }); }
void sin_(CallArgs& a, double* out) { map1(a, out, [](double x) { return std::sin(x); }); }
void cos_(CallArgs& a, double* out) { map1(a, out, [](double x) { return std::cos(x); }); }
void tan_(CallArgs& a, double* out) { map1(a, out, [](double x) { return finiteOrNoValue(std::tan(x)); }); }
void atan_(CallArgs& a, double* out) { map1(a, out, [](double x) { return std::atan(x); }); }
void asin_(CallArgs& a, double* out) { map1(a, out, [](double x) { return std::asin(std::clamp(x, -1.0, 1.0)); }); }
void acos_(CallArgs& a, double* out) { map1(a, out, [](double x) { return std::acos(std::clamp(x, -1.0, 1.0)); }); }
void ceiling(CallArgs& a, double* out) { map1(a, out, [](double x) { return std::ceil(x); }); }
void floor_(CallArgs& a, double* out) { map1(a, out, [](double x) { return std::floor(x); }); }
void intpart(CallArgs& a, double* out) { map1(a, out, [](double x) { return std::trunc(x); }); }
void sign(CallArgs& a, double* out) { map1(a, out, [](double x) { return x > 0 ? 1.0 : x < 0 ? -1.0 : 0.0; }); }
void round_(CallArgs& a, double* out) { map1(a, out, roundHalfAway); }
void reverse(CallArgs& a, double* out) { map1(a, out, [](double x) { return -x; }); }

void max_(CallArgs& a, double* out) {
  const double* x = a.series(0);
  const double* y = a.series(1);
  for (int i = 0; i < a.n; ++i) {
    if (!isValid(x[i])) out[i] = y[i];
    else if (!isValid(y[i])) out[i] = x[i];
    else out[i] = x[i] > y[i] ? x[i] : y[i];
  }
}

void min_(CallArgs& a, double* out) {
  const double* x = a.series(0);
  const double* y = a.series(1);
  for (int i = 0; i < a.n; ++i) {
    if (!isValid(x[i])) out[i] = y[i];
    else if (!isValid(y[i])) out[i] = x[i];
    else out[i] = x[i] < y[i] ? x[i] : y[i];
  }
}

void mod(CallArgs& a, double* out) {
  const double* x = a.series(0);
  const double* y = a.series(1);
  for (int i = 0; i < a.n; ++i) {
    out[i] = (!isValid(x[i]) || !isValid(y[i]) || y[i] == 0) ? noValue : std::fmod(x[i], y[i]);
  }
}

void pow_(CallArgs& a, double* out) {
  const double* x = a.series(0);
  const double* y = a.series(1);
  for (int i = 0; i < a.n; ++i) {
    out[i] = (!isValid(x[i]) || !isValid(y[i])) ? noValue : finiteOrNoValue(std::pow(x[i], y[i]));
  }
}

void between(CallArgs& a, double* out) {
  const double* x = a.series(0);
  const double* lo = a.series(1);
  const double* hi = a.series(2);
  for (int i = 0; i < a.n; ++i) out[i] = (lo[i] <= x[i] && x[i] <= hi[i]) ? 1 : 0;  // false for noValue
}

void range(CallArgs& a, double* out) {
  const double* x = a.series(0);
  const double* b = a.series(1);
  const double* c = a.series(2);
  for (int i = 0; i < a.n; ++i) {
    double lo = std::min(b[i], c[i]), hi = std::max(b[i], c[i]);
    out[i] = (isValid(b[i]) && isValid(c[i]) && lo <= x[i] && x[i] <= hi) ? 1 : 0;
  }
}

void if_(CallArgs& a, double* out) {
  const double* c = a.series(0);
  const double* x = a.series(1);
  const double* y = a.series(2);
  for (int i = 0; i < a.n; ++i) out[i] = isTrue(c[i]) ? x[i] : y[i];
}

void ifn(CallArgs& a, double* out) {
  const double* c = a.series(0);
  const double* x = a.series(1);
  const double* y = a.series(2);
  for (int i = 0; i < a.n; ++i) out[i] = isTrue(c[i]) ? y[i] : x[i];
}

void isnull(CallArgs& a, double* out) {
  const double* x = a.series(0);
  for (int i = 0; i < a.n; ++i) out[i] = isValid(x[i]) ? 0 : 1;
}

void const_(CallArgs& a, double* out) { fillSeries(out, a.n, a.scalar(0, noValue)); }
void drawnull(CallArgs& a, double* out) { fillSeries(out, a.n, noValue); }
void totalbarscount(CallArgs& a, double* out) { fillSeries(out, a.n, a.n); }

// Without an argument, the bar's number from 1; with one, bars since the argument's first
// valid value, counted from 1 (noValue before it).
void barscount(CallArgs& a, double* out) {
  int first = 0;
  if (a.given(0) && !a.isConstant(0)) {
    const double* x = a.series(0);
    first = a.n;
    for (int i = 0; i < a.n; ++i) {
      if (isValid(x[i])) {
        first = i;
        break;
      }
    }
  } else if (a.given(0) && !isValid(a.constant(0))) {
    first = a.n;
  }
  for (int i = 0; i < a.n; ++i) out[i] = i >= first ? double(i - first + 1) : noValue;
}

void currbarscount(CallArgs& a, double* out) {
  for (int i = 0; i < a.n; ++i) out[i] = double(a.n - i);
}

void islastbar(CallArgs& a, double* out) {
  fillSeries(out, a.n, 0);
  out[a.n - 1] = 1;
}

void rgb(CallArgs& a, double* out) {
  auto channel = [&](int k) { return std::clamp(a.period(k, 0), 0, 255); };
  fillSeries(out, a.n, double(channel(0) * 65536 + channel(1) * 256 + channel(2)));
}

}  // namespace zor::fn
