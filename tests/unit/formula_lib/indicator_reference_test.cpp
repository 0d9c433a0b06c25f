// The classic built-ins against independent computations written from the indicators'
// textbook definitions, on fixed data, to 1e-9 relative.
//
// Conventions shared by the built-ins that the reference follows, and why:
//  - Exponential and Wilder-type smoothings (EMA, SMA) are seeded with their first input
//    value rather than with a start-up average or with 50 (KDJ). The seed's weight decays
//    geometrically, so both agree after a while; the reference uses the same seed so that
//    every bar can be compared.
//  - Window statistics over N bars are compared only where the window is full: before that
//    the built-ins average the bars they have, where the textbook value is undefined.
//  - BOLL's deviation is the sample deviation (divisor N-1) of the formula library's STD, not
//    Bollinger's population deviation.
//  - DMI uses plain N-bar sums of true range and directional movement (the usual variant in
//    Chinese charting software), not Wilder's smoothing.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "formula/builtin_formulas.h"

namespace zor {
namespace {

using Series = std::vector<double>;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// 240 bars of fixed data: a trend with two cycles and a pseudo-random ripple.
struct Bars {
  Series open, high, low, close, volume;
  size_t n() const { return close.size(); }
};

Bars fixedBars() {
  Bars b;
  uint32_t x = 2463534242u;
  auto noise = [&] {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return double(x % 10000) / 10000.0 - 0.5;
  };
  double prev = 20;
  for (int i = 0; i < 240; ++i) {
    double c = 20 + 0.01 * i + 2.5 * std::sin(i / 9.0) + 1.2 * std::cos(i / 3.7) + 0.6 * noise();
    double o = prev + 0.3 * noise();
    b.open.push_back(o);
    b.close.push_back(c);
    b.high.push_back(std::max(o, c) + 0.2 + 0.3 * std::fabs(noise()));
    b.low.push_back(std::min(o, c) - 0.2 - 0.3 * std::fabs(noise()));
    b.volume.push_back(std::floor(100000 + 50000 * (noise() + 0.5)));
    prev = c;
  }
  return b;
}

FormulaInput toInput(const Bars& b) {
  FormulaInput in;
  in.open = b.open;
  in.high = b.high;
  in.low = b.low;
  in.close = b.close;
  in.volume = b.volume;
  for (size_t i = 0; i < b.n(); ++i) in.amount.push_back(b.volume[i] * b.close[i]);
  return in;
}

// ---- textbook building blocks ----

Series ema(const Series& x, int n) {
  Series y(x.size(), kNaN);
  double a = 2.0 / (n + 1);
  for (size_t i = 0; i < x.size(); ++i) {
    if (std::isnan(x[i])) {
      if (i) y[i] = y[i - 1];
      continue;
    }
    y[i] = (i == 0 || std::isnan(y[i - 1])) ? x[i] : a * x[i] + (1 - a) * y[i - 1];
  }
  return y;
}

// Wilder-type smoothing Y = (M*X + (N-M)*Y')/N, seeded with the first value.
Series sma(const Series& x, int n, int m) {
  Series y(x.size(), kNaN);
  for (size_t i = 0; i < x.size(); ++i) {
    double prev = i ? y[i - 1] : kNaN;
    if (std::isnan(x[i])) y[i] = prev;
    else y[i] = std::isnan(prev) ? x[i] : (m * x[i] + (n - m) * prev) / n;
  }
  return y;
}

// Mean of the last n values; defined once n values exist.
Series ma(const Series& x, int n) {
  Series y(x.size(), kNaN);
  for (size_t i = size_t(n) - 1; i < x.size(); ++i) {
    double s = 0;
    for (int k = 0; k < n; ++k) s += x[i - k];
    y[i] = s / n;
  }
  return y;
}

Series windowOf(const Series& x, int n, const std::function<double(const double*, int)>& f) {
  Series y(x.size(), kNaN);
  for (size_t i = size_t(n) - 1; i < x.size(); ++i) y[i] = f(&x[i + 1 - n], n);
  return y;
}

double highest(const double* p, int n) { return *std::max_element(p, p + n); }
double lowest(const double* p, int n) { return *std::min_element(p, p + n); }

double sampleDeviation(const double* p, int n) {
  double m = 0;
  for (int k = 0; k < n; ++k) m += p[k];
  m /= n;
  double s = 0;
  for (int k = 0; k < n; ++k) s += (p[k] - m) * (p[k] - m);
  return std::sqrt(s / (n - 1));
}

double meanDeviation(const double* p, int n) {
  double m = 0;
  for (int k = 0; k < n; ++k) m += p[k];
  m /= n;
  double s = 0;
  for (int k = 0; k < n; ++k) s += std::fabs(p[k] - m);
  return s / n;
}

Series lagged(const Series& x, int n) {
  Series y(x.size(), kNaN);
  for (size_t i = size_t(n); i < x.size(); ++i) y[i] = x[i - n];
  return y;
}

// ---- comparison ----

std::vector<OutputLine> runBuiltin(const std::string& name, const FormulaInput& in) {
  std::vector<OutputLine> lines;
  std::vector<DrawingItem> drawings;
  std::string error;
  EXPECT_TRUE(compileAndRunFormula(*findBuiltinFormula(name), in, lines, drawings, error)) << name << ": " << error;
  return lines;
}

// Compares the named line with the reference from bar `from` on; the reference must be
// defined there.
void expectLine(const std::vector<OutputLine>& lines, const std::string& name, const Series& want, size_t from) {
  const OutputLine* line = nullptr;
  for (const OutputLine& l : lines)
    if (l.name == name) line = &l;
  ASSERT_NE(line, nullptr) << name;
  ASSERT_EQ(line->values.size(), want.size()) << name;
  ASSERT_LT(from, want.size());
  for (size_t i = from; i < want.size(); ++i) {
    ASSERT_FALSE(std::isnan(want[i])) << name << " reference undefined at " << i;
    double got = line->values[i];
    ASSERT_NEAR(got, want[i], 1e-9 * std::max(std::fabs(want[i]), 1e-6)) << name << " at bar " << i;
  }
}

class IndicatorReference : public ::testing::Test {
 protected:
  Bars b = fixedBars();
  FormulaInput in = toInput(b);
  size_t n = b.n();
};

TEST_F(IndicatorReference, Macd) {
  Series dif(n), macd(n);
  Series e12 = ema(b.close, 12), e26 = ema(b.close, 26);
  for (size_t i = 0; i < n; ++i) dif[i] = e12[i] - e26[i];
  Series dea = ema(dif, 9);
  for (size_t i = 0; i < n; ++i) macd[i] = 2 * (dif[i] - dea[i]);
  auto lines = runBuiltin("MACD", in);
  expectLine(lines, "DIF", dif, 0);
  expectLine(lines, "DEA", dea, 0);
  expectLine(lines, "MACD", macd, 0);
}

TEST_F(IndicatorReference, Kdj) {
  // RSV over the 9 bars available (the textbook's first 8 bars use what exists), K and D
  // smoothed by one third from the first RSV.
  Series rsv(n);
  for (size_t i = 0; i < n; ++i) {
    size_t from = i >= 8 ? i - 8 : 0;
    double hi = highest(&b.high[from], int(i - from + 1)), lo = lowest(&b.low[from], int(i - from + 1));
    rsv[i] = (b.close[i] - lo) / (hi - lo) * 100;
  }
  Series k = sma(rsv, 3, 1), d = sma(k, 3, 1), j(n);
  for (size_t i = 0; i < n; ++i) j[i] = 3 * k[i] - 2 * d[i];
  auto lines = runBuiltin("KDJ", in);
  expectLine(lines, "K", k, 0);
  expectLine(lines, "D", d, 0);
  expectLine(lines, "J", j, 0);

  // Seeded the textbook way (K = D = 50 before the first bar) the difference has faded by
  // about bar 80.
  Series k50(n), d50(n);
  double kp = 50, dp = 50;
  for (size_t i = 0; i < n; ++i) {
    kp = (2 * kp + rsv[i]) / 3;
    dp = (2 * dp + kp) / 3;
    k50[i] = kp;
    d50[i] = dp;
  }
  expectLine(lines, "K", k50, 80);
  expectLine(lines, "D", d50, 90);
}

TEST_F(IndicatorReference, Rsi) {
  // Average gain over average absolute change, both smoothed Wilder's way from the first
  // change (bar 1); there is no change at bar 0.
  Series gain(n, kNaN), change(n, kNaN);
  for (size_t i = 1; i < n; ++i) {
    double dlt = b.close[i] - b.close[i - 1];
    gain[i] = std::max(dlt, 0.0);
    change[i] = std::fabs(dlt);
  }
  auto lines = runBuiltin("RSI", in);
  const int periods[] = {6, 12, 24};
  for (int k = 0; k < 3; ++k) {
    Series g = sma(gain, periods[k], 1), a = sma(change, periods[k], 1), rsi(n, kNaN);
    for (size_t i = 1; i < n; ++i) rsi[i] = g[i] / a[i] * 100;
    expectLine(lines, "RSI" + std::to_string(k + 1), rsi, 1);
  }
}

TEST_F(IndicatorReference, Boll) {
  Series mid = ma(b.close, 20), sd = windowOf(b.close, 20, sampleDeviation), up(n, kNaN), dn(n, kNaN);
  for (size_t i = 19; i < n; ++i) {
    up[i] = mid[i] + 2 * sd[i];
    dn[i] = mid[i] - 2 * sd[i];
  }
  auto lines = runBuiltin("BOLL", in);
  expectLine(lines, "BOLL", mid, 19);
  expectLine(lines, "UB", up, 19);
  expectLine(lines, "LB", dn, 19);
}

TEST_F(IndicatorReference, WilliamsAndBias) {
  auto wr = [&](int p) {
    Series hh = windowOf(b.high, p, highest), ll = windowOf(b.low, p, lowest), out(n, kNaN);
    for (size_t i = size_t(p - 1); i < n; ++i) out[i] = 100 * (hh[i] - b.close[i]) / (hh[i] - ll[i]);
    return out;
  };
  auto lines = runBuiltin("WR", in);
  expectLine(lines, "WR1", wr(10), 9);
  expectLine(lines, "WR2", wr(6), 5);

  auto bias = [&](int p) {
    Series m = ma(b.close, p), out(n, kNaN);
    for (size_t i = size_t(p - 1); i < n; ++i) out[i] = (b.close[i] - m[i]) / m[i] * 100;
    return out;
  };
  lines = runBuiltin("BIAS", in);
  expectLine(lines, "BIAS1", bias(6), 5);
  expectLine(lines, "BIAS2", bias(12), 11);
  expectLine(lines, "BIAS3", bias(24), 23);
}

TEST_F(IndicatorReference, Cci) {
  Series tp(n);
  for (size_t i = 0; i < n; ++i) tp[i] = (b.high[i] + b.low[i] + b.close[i]) / 3;
  Series m = ma(tp, 14), md = windowOf(tp, 14, meanDeviation), cci(n, kNaN);
  for (size_t i = 13; i < n; ++i) cci[i] = (tp[i] - m[i]) / (0.015 * md[i]);
  expectLine(runBuiltin("CCI", in), "CCI", cci, 13);
}

TEST_F(IndicatorReference, Dmi) {
  const int N = 14, M = 6;
  Series tr(n, kNaN), pdm(n, kNaN), mdm(n, kNaN);
  for (size_t i = 1; i < n; ++i) {
    double pc = b.close[i - 1];
    tr[i] = std::max({b.high[i] - b.low[i], std::fabs(b.high[i] - pc), std::fabs(pc - b.low[i])});
    double up = b.high[i] - b.high[i - 1], down = b.low[i - 1] - b.low[i];
    pdm[i] = (up > 0 && up > down) ? up : 0;
    mdm[i] = (down > 0 && down > up) ? down : 0;
  }
  // Sums over the last N bars that all have a previous bar: from bar N on.
  auto sumN = [&](const Series& x, size_t i) {
    double s = 0;
    for (int k = 0; k < N; ++k) s += x[i - k];
    return s;
  };
  Series pdi(n, kNaN), mdi(n, kNaN), dx(n, kNaN);
  for (size_t i = N; i < n; ++i) {
    double t = sumN(tr, i);
    pdi[i] = sumN(pdm, i) * 100 / t;
    mdi[i] = sumN(mdm, i) * 100 / t;
    dx[i] = std::fabs(mdi[i] - pdi[i]) / (mdi[i] + pdi[i]) * 100;
  }
  Series adx(n, kNaN), adxr(n, kNaN);
  for (size_t i = N + M - 1; i < n; ++i) {
    double s = 0;
    for (int k = 0; k < M; ++k) s += dx[i - k];
    adx[i] = s / M;
  }
  for (size_t i = N + 2 * M - 1; i < n; ++i) adxr[i] = (adx[i] + adx[i - M]) / 2;
  auto lines = runBuiltin("DMI", in);
  expectLine(lines, "PDI", pdi, N);
  expectLine(lines, "MDI", mdi, N);
  expectLine(lines, "ADX", adx, N + M - 1);
  expectLine(lines, "ADXR", adxr, N + 2 * M - 1);
}

TEST_F(IndicatorReference, ObvAndPsy) {
  // OBV starts at 0 and adds the volume of up bars, subtracts that of down bars.
  Series obv(n);
  double total = 0;
  for (size_t i = 0; i < n; ++i) {
    if (i > 0 && b.close[i] > b.close[i - 1]) total += b.volume[i];
    else if (i > 0 && b.close[i] < b.close[i - 1]) total -= b.volume[i];
    obv[i] = total;
  }
  auto lines = runBuiltin("OBV", in);
  expectLine(lines, "OBV", obv, 0);
  expectLine(lines, "MAOBV", ma(obv, 30), 29);

  // Share of up bars among the last 12, each compared with its previous close: from bar 12.
  Series up(n, kNaN), psy(n, kNaN);
  for (size_t i = 1; i < n; ++i) up[i] = b.close[i] > b.close[i - 1] ? 1 : 0;
  for (size_t i = 12; i < n; ++i) {
    double s = 0;
    for (int k = 0; k < 12; ++k) s += up[i - k];
    psy[i] = s / 12 * 100;
  }
  Series psyma(n, kNaN);
  for (size_t i = 12 + 5; i < n; ++i) {
    double s = 0;
    for (int k = 0; k < 6; ++k) s += psy[i - k];
    psyma[i] = s / 6;
  }
  lines = runBuiltin("PSY", in);
  expectLine(lines, "PSY", psy, 12);
  expectLine(lines, "PSYMA", psyma, 17);
}

TEST_F(IndicatorReference, TrixRocMtm) {
  Series tr = ema(ema(ema(b.close, 12), 12), 12), trix(n, kNaN);
  for (size_t i = 1; i < n; ++i) trix[i] = (tr[i] - tr[i - 1]) / tr[i - 1] * 100;
  Series trma(n, kNaN);
  for (size_t i = 9; i < n; ++i) {
    double s = 0;
    for (int k = 0; k < 9; ++k) s += trix[i - k];
    trma[i] = s / 9;
  }
  auto lines = runBuiltin("TRIX", in);
  expectLine(lines, "TRIX", trix, 1);
  expectLine(lines, "TRMA", trma, 9);

  Series prior = lagged(b.close, 12), roc(n, kNaN), mtm(n, kNaN);
  for (size_t i = 12; i < n; ++i) {
    roc[i] = 100 * (b.close[i] - prior[i]) / prior[i];
    mtm[i] = b.close[i] - prior[i];
  }
  auto movingFrom = [&](const Series& x, size_t first, int p) {
    Series y(n, kNaN);
    for (size_t i = first + p - 1; i < n; ++i) {
      double s = 0;
      for (int k = 0; k < p; ++k) s += x[i - k];
      y[i] = s / p;
    }
    return y;
  };
  lines = runBuiltin("ROC", in);
  expectLine(lines, "ROC", roc, 12);
  expectLine(lines, "MAROC", movingFrom(roc, 12, 6), 17);
  lines = runBuiltin("MTM", in);
  expectLine(lines, "MTM", mtm, 12);
  expectLine(lines, "MTMMA", movingFrom(mtm, 12, 6), 17);
}

}  // namespace
}  // namespace zor
