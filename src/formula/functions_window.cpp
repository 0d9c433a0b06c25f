// Window functions. The window of N at bar i is the bars max(0, i-N+1) .. i, partial near the
// first bar, so no function waits for N bars before its first value.
//
// MA, SUM, COUNT, EVERY, EXIST, HHV, LLV, HHVBARS and LLVBARS read their period bar by bar when
// it is given as a series (HHV(H,BARSLAST(X)) is how users write "the high since X"); a
// constant period takes the running-sum path and, for the extremes, prefix and suffix extremes
// over blocks of N bars, O(n). Per-bar periods use
// prefix sums and counts, and for the extremes a monotonic stack searched by binary search,
// O(n log n) whatever the periods. A missing period element gives noValue (0 for SUM, COUNT,
// EVERY and EXIST, whose results are 0-filled).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("tree-vectorize")  // the validity scans and divisions of the sliding sums
#endif

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

#include "formula/library.h"

namespace zor::fn {

namespace {

// The period argument of a window function: fixed for the whole run, or one per bar.
struct WindowPeriod {
  bool perBar = false;
  bool missing = false;  // a constant noValue: every bar's period is missing
  int fixed = 0;
  const double* series = nullptr;
};

WindowPeriod windowPeriod(CallArgs& a, int k, int fallback) {
  WindowPeriod p;
  if (!a.given(k)) {
    p.fixed = fallback;
  } else if (a.isConstant(k)) {
    p.missing = !isValid(a.constant(k));
    p.fixed = roundToInt(a.constant(k), fallback);
  } else {
    p.perBar = true;
    p.series = a.series(k);
  }
  return p;
}

// Start of the window of `period` bars at bar i; a period of 0 or below means "from bar 0".
inline int windowStart(int i, int period) { return period <= 0 ? 0 : std::max(0, i - period + 1); }

// ---- sums and counts ----

enum class SumKind { Mean, Sum };

// Error allowed to a running sum, relative to max(N, |sum|) for MA and max(1, |sum|) for SUM,
// and the bound on `spread` (windowSum) that keeps it: the unit of rounding is 2^-53.
constexpr double kSumTolerance = 1e-10;
constexpr double kSpreadLimit = kSumTolerance / 0x1p-53;

struct Measure {
  double low, high, magnitude;
};
// HHV and LLV double spans for periods up to kDoublingPeriods, over tiles of kExtremeTile bars
// (slidingExtremeValues).
constexpr int kDoublingPeriods = 512;
constexpr int kExtremeTile = 2048;

// The vectorisable loops of MA and SUM, built for the baseline instruction set and, where the
// compiler can target it, for AVX2; both give the same bits.
namespace portable {
#include "formula/window_steps.inc"
}  // namespace portable
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define ZOR_WIDE_WINDOW_STEPS 1
#pragma GCC push_options
#pragma GCC target("avx2")
namespace wide {
#include "formula/window_steps.inc"
}  // namespace wide
#pragma GCC pop_options
#endif

// Divides len values by `divisor` in place (none for 1) and measures the quotients
// (window_steps.inc), in the widest vector form the processor runs.
Measure divideAndMeasure(double* v, int len, int divisor) {
#ifdef ZOR_WIDE_WINDOW_STEPS
  if (wideSteps()) return wide::divideAndMeasure(v, len, divisor);
#endif
  return portable::divideAndMeasure(v, len, divisor);
}

}  // namespace

// MA (mean) or SUM over windows of a fixed period (SUM: 0 or below from bar 0; MA: at least
// 1): finite values or noValue (0 for an empty SUM window).
void slidingWindowSum(const double* x, int n, int period, double* out, bool mean) {
  const SumKind kind = mean ? SumKind::Mean : SumKind::Sum;
  const double empty = mean ? noValue : 0;
  // The bar's change to the sum is formed first, so the running sum takes one rounding per
  // bar; every max(4N, 1024) bars the sum is taken afresh from the window, so rounding cannot
  // pile up along the series.
  //
  // `spread` bounds the rounding error of the sum, in units of the rounding of one operation
  // (2^-53): each step adds at most that unit times the magnitudes of its results, the
  // change's and the new sum's. A fresh sum adds its values in the order a direct loop over
  // the window does. While values only enter (the first N bars, and SUM from bar 0) the
  // running sum is that direct sum itself. Where the bound could pass kSumTolerance of
  // max(N, |sum|) for MA (the mean to that much of max(1, |mean|)), max(1, |sum|) for SUM
  // (after much larger values left the window, or when the window sums to nearly zero),
  // the sum is taken afresh at once.
  const int block = int(std::min<int64_t>(std::max<int64_t>(4 * int64_t(period), 1024), n + 1));
  const double scale = kind == SumKind::Mean ? period : 1;
  auto accurate = [scale](double s, double e) {
    // Also false for a NaN or an infinite sum (the bound is capped at the largest double).
    return e <= std::min(kSpreadLimit * std::max(scale, std::fabs(s)), DBL_MAX);
  };
  if (period <= 0) {
    // SUM from bar 0: the running total is the direct sum itself.
    double total = 0;
    int count = 0;
    for (int i = 0; i < n; ++i) {
      const double v = x[i];
      const bool valid = isValid(v);
      total += valid ? v : 0.0;
      count += valid;
      out[i] = count == 0 ? 0.0 : cleanValue(total);
    }
    return;
  }
  double sum = 0, spread = 0;
  int count = 0;
  int untilFresh = block;  // bars until the sum is taken afresh
  int stepsUntil = 0;      // bars before it go step by step (a stretch that failed its checks)
  for (int i = 0; i < n; ++i) {
    if (i >= period && count == period && untilFresh > 1 && i >= stepsUntil) {
      // The window is full of valid values: up to the next fresh sum the count stays at N
      // while the new values are valid, and each bar's change is the new value less the
      // leaving one, the steps below without their tests. A missing value turns the sum
      // into a NaN and an overflow into an infinity, either of which stays in it to the
      // end of the stretch. The stretch's spread is bounded afterwards from its sums: a
      // change is at most the sum before it and the sum after it (to a few roundings), so
      // the stretch adds at most 3 sum|s| and the sum before it. A stretch whose last sum
      // is not finite, or whose least |s| is not accurate to that bound, is done again step
      // by step.
      const int end = std::min(n, i + untilFresh - 1);
      double s = sum;
      for (int j = i; j < end; ++j) {
        s += x[j] - x[j - period];
        out[j] = s;
      }
      // For MA the quotients are measured, N times smaller than the sums.
      const Measure m = divideAndMeasure(out + i, end - i, kind == SumKind::Mean ? period : 1);
      const double least = scale * (m.low > 0 ? m.low : m.high < 0 ? -m.high : 0);
      const double e = spread + std::fabs(sum) + 3.0000001 * scale * m.magnitude;
      if (std::fabs(s) <= DBL_MAX && accurate(least, e)) {
        untilFresh -= end - i;
        sum = s;
        spread = e;
        i = end;
        if (i == n) break;
      } else {
        stepsUntil = end;
      }
    }
    const double v = x[i];
    bool fresh = --untilFresh == 0;
    if (!fresh) {
      const bool valid = isValid(v);
      double change = valid ? v : 0.0;
      count += valid;
      if (i >= period) {
        const double leaving = x[i - period];
        const bool left = isValid(leaving);
        change -= left ? leaving : 0.0;
        count -= left;
      }
      sum += change;
      spread += std::fabs(sum) + std::fabs(change);
      fresh = count > 0 && i >= period && !accurate(sum, spread);
    }
    if (fresh) {
      untilFresh = block;
      sum = spread = 0;
      count = 0;
      for (int j = i - period + 1; j <= i; ++j) {
        if (isValid(x[j])) {
          sum += x[j];
          spread += std::fabs(sum);
          ++count;
        }
      }
    }
    if (count == 0) sum = spread = 0;  // no rounding residue survives an empty window
    out[i] = count == 0 ? empty : cleanValue(kind == SumKind::Sum ? sum : sum / count);
  }
}

namespace {

void windowSum(CallArgs& a, double* out, SumKind kind) {
  const double* x = a.series(0);
  const int n = a.n;
  // MA's N of 0 or below means 1; SUM's means a running total.
  auto fixPeriod = [kind](int p) { return kind == SumKind::Mean && p <= 0 ? 1 : p; };
  const double empty = kind == SumKind::Mean ? noValue : 0;
  WindowPeriod wp = windowPeriod(a, 1, kind == SumKind::Mean ? 1 : 0);
  if (wp.missing) {
    fillSeries(out, n, empty);
    return;
  }
  if (!wp.perBar) {
    slidingWindowSum(x, n, fixPeriod(wp.fixed), out, kind == SumKind::Mean);
    a.clean = true;
    return;
  }
  Scratch<double> prefix(size_t(n) + 1);
  Scratch<int> valid(size_t(n) + 1);
  prefix[0] = 0;
  valid[0] = 0;
  for (int i = 0; i < n; ++i) {
    bool v = isValid(x[i]);
    prefix[size_t(i) + 1] = prefix[size_t(i)] + (v ? x[i] : 0);
    valid[size_t(i) + 1] = valid[size_t(i)] + (v ? 1 : 0);
  }
  for (int i = 0; i < n; ++i) {
    int period;
    if (!CallArgs::periodAt(wp.series[i], period)) {
      out[i] = empty;
      continue;
    }
    int s = windowStart(i, fixPeriod(period));
    int count = valid[size_t(i) + 1] - valid[size_t(s)];
    double sum = prefix[size_t(i) + 1] - prefix[size_t(s)];
    out[i] = count == 0 ? empty : kind == SumKind::Mean ? sum / count : sum;
  }
}

enum class CountKind { Count, Every, Exist };

template <CountKind Kind>
void windowCount(CallArgs& a, double* out) {
  const double* x = a.series(0);
  const int n = a.n;
  auto result = [](int trues, int length) -> double {
    switch (Kind) {
      case CountKind::Count: return trues;
      case CountKind::Every: return trues == length ? 1 : 0;
      case CountKind::Exist: return trues > 0 ? 1 : 0;
    }
    return 0;
  };
  WindowPeriod wp = windowPeriod(a, 1, 0);
  a.clean = true;  // counts, 0 and 1
  if (wp.missing) {
    fillSeries(out, n, 0);
    return;
  }
  if (!wp.perBar) {
    // Without branches on the values: true and false bars come in no order a predictor
    // could learn (CLOSE>REF(CLOSE,1)).
    auto truth = [](double v) { return int(v == v) & int(v != 0); };
    const int period = wp.fixed;
    const int head = period > 0 ? std::min(n, period) : n;  // bars whose window starts at bar 0
    int trues = 0;
    for (int i = 0; i < head; ++i) {
      trues += truth(x[i]);
      out[i] = result(trues, i + 1);
    }
    for (int i = head; i < n; ++i) {
      trues += truth(x[i]) - truth(x[i - period]);
      out[i] = result(trues, period);
    }
    return;
  }
  Scratch<int> prefix(size_t(n) + 1);
  prefix[0] = 0;
  for (int i = 0; i < n; ++i) prefix[size_t(i) + 1] = prefix[size_t(i)] + (isTrue(x[i]) ? 1 : 0);
  for (int i = 0; i < n; ++i) {
    int period;
    if (!CallArgs::periodAt(wp.series[i], period)) {
      out[i] = 0;
      continue;
    }
    int s = windowStart(i, period);
    out[i] = result(prefix[size_t(i) + 1] - prefix[size_t(s)], i - s + 1);
  }
}

// ---- extremes ----

// The highest (or lowest) valid value of each window of a fixed `period` (at most n), noValue
// for a window without one. Ties do not matter for the values, so missing values become the
// worst value (-inf for the highest), which every valid value equals or beats, and the work
// is plain max (min) over doubles, which compiles to vector instructions.
//
// Periods up to kDoublingPeriods double the span over tiles of bars small enough to stay in
// the first-level cache: after the pass for span s, element k holds the best of the s values
// ending at k, and the window of N is the best of two spans of the largest s <= N, one ending
// at the bar and one ending N-s bars earlier. log2(N)+2 passes without a dependency from
// element to element. Longer periods use blocks of N bars: the best from the block's start
// (prefix) and up to the block's end (suffix); a window spans at most two blocks and is the
// better of the suffix at its start and the prefix at its end.

template <bool Highest>
void slidingExtremeValues(const double* x, int n, int period, double* out) {
  constexpr double worst = Highest ? -HUGE_VAL : HUGE_VAL;
  auto best = [](double v, double w) { return Highest ? (v > w ? v : w) : (v < w ? v : w); };
  if (period <= kDoublingPeriods) {
    const int halo = period - 1;
    Scratch<double> first(size_t(kExtremeTile + halo)), second(size_t(kExtremeTile + halo));
    for (int t0 = 0; t0 < n; t0 += kExtremeTile) {
#ifdef ZOR_WIDE_WINDOW_STEPS
      if (wideSteps()) {
        wide::extremesOfTile<Highest>(x, n, period, t0, first.data(), second.data(), out);
        continue;
      }
#endif
      portable::extremesOfTile<Highest>(x, n, period, t0, first.data(), second.data(), out);
    }
  } else {
    Scratch<double> prefix(static_cast<size_t>(n)), suffix(static_cast<size_t>(n));
    for (int b = 0; b < n; b += period) {
      const int end = std::min(n, b + period);
      double m = worst;
      for (int i = b; i < end; ++i) prefix[size_t(i)] = m = best(x[i], m);
      m = worst;
      for (int i = end - 1; i >= b; --i) suffix[size_t(i)] = m = best(x[i], m);
    }
    for (int i = 0; i < n; ++i) {
      const int s = i - period + 1;
      out[i] = s <= 0 ? prefix[size_t(i)] : best(suffix[size_t(s)], prefix[size_t(i)]);
    }
  }
  // The worst value stands for a window without a valid value, unless the window really
  // holds it (an infinite function result). The results hold no NaN, so a scan for values
  // that are not finite finds whether any is the worst value.
  if (!anyNonFinite(out, n)) return;
  int lastValid = -1;
  for (int i = 0; i < n; ++i) {
    if (isValid(x[i])) lastValid = i;
    if (out[i] == worst && lastValid < windowStart(i, period)) out[i] = noValue;
  }
}

// Highest (or lowest) valid value of the window, or the distance to it; among equal extremes
// the latest bar counts. `better(j, k)` for bars j < k answers whether j beats k.
//
// A constant period N uses blocks of N bars: for each bar the best bar from its block's start
// (prefix) and up to its block's end (suffix); a full window spans at most two blocks and is
// the better of the suffix at its start and the prefix at its end. Three passes without
// data-dependent branches, O(n).
//
// A per-bar period uses a monotonic stack of candidates (a new value removes every earlier
// one it equals or beats: those can never be the answer of a window that also holds the new
// bar), searched by binary search for the first candidate inside the window, O(n log n).
template <bool Highest>
void windowExtreme(CallArgs& a, double* out, bool distance) {
  const double* x = a.series(0);
  const int n = a.n;
  WindowPeriod wp = windowPeriod(a, 1, 0);
  a.clean = distance || a.isClean(0);  // distances, or values of X; else noValue
  if (wp.missing) {
    fillSeries(out, n, noValue);
    return;
  }
  auto result = [&](int i, int j) { out[i] = j < 0 ? noValue : distance ? double(i - j) : x[j]; };
  // The later bar k wins ties; -1 stands for "no valid bar".
  auto pick = [x](int j, int k) {
    if (j < 0) return k;
    if (k < 0) return j;
    return (Highest ? x[k] >= x[j] : x[k] <= x[j]) ? k : j;
  };
  if (!wp.perBar) {
    const int64_t period = wp.fixed <= 0 ? int64_t(n) : std::min<int64_t>(wp.fixed, n);
    const int block = int(period);
    if (!distance) {
      slidingExtremeValues<Highest>(x, n, block, out);
      return;
    }
    Scratch<int> prefix(static_cast<size_t>(n)), suffix(static_cast<size_t>(n));
    for (int b = 0; b < n; b += block) {
      const int end = std::min(n, b + block);
      int best = -1;
      for (int i = b; i < end; ++i) prefix[size_t(i)] = best = pick(best, isValid(x[i]) ? i : -1);
      best = -1;
      for (int i = end - 1; i >= b; --i) suffix[size_t(i)] = best = pick(isValid(x[i]) ? i : -1, best);
    }
    for (int i = 0; i < n; ++i) {
      const int s = i - block + 1;
      result(i, s <= 0 ? prefix[size_t(i)] : pick(suffix[size_t(s)], prefix[size_t(i)]));
    }
    return;
  }
  Scratch<int> scratch(static_cast<size_t>(n));
  std::vector<int>& idx = scratch.vec();
  int tail = 0;
  auto beats = [](double v, double w) { return Highest ? v >= w : v <= w; };
  for (int i = 0; i < n; ++i) {
    if (isValid(x[i])) {
      while (tail > 0 && beats(x[i], x[idx[size_t(tail) - 1]])) --tail;
      idx[size_t(tail++)] = i;
    }
    int j = -1, period;
    if (CallArgs::periodAt(wp.series[i], period)) {
      const int s = windowStart(i, period);
      auto it = std::lower_bound(idx.begin(), idx.begin() + tail, s);
      if (it != idx.begin() + tail) j = *it;
    }
    result(i, j);
  }
}

}  // namespace

void ma(CallArgs& a, double* out) { windowSum(a, out, SumKind::Mean); }
void sum(CallArgs& a, double* out) { windowSum(a, out, SumKind::Sum); }
void count(CallArgs& a, double* out) { windowCount<CountKind::Count>(a, out); }
void every(CallArgs& a, double* out) { windowCount<CountKind::Every>(a, out); }
void exist(CallArgs& a, double* out) { windowCount<CountKind::Exist>(a, out); }
void hhv(CallArgs& a, double* out) { windowExtreme<true>(a, out, false); }
void llv(CallArgs& a, double* out) { windowExtreme<false>(a, out, false); }
void hhvbars(CallArgs& a, double* out) { windowExtreme<true>(a, out, true); }
void llvbars(CallArgs& a, double* out) { windowExtreme<false>(a, out, true); }

// Weighted mean over the window of m = min(N, i+1) bars: the newest bar weighs m, the oldest
// 1; missing values are left out of both sums. The weighted sum slides in O(1): when the
// window moves on, every weight drops by one (subtract the plain sum) and the new bar enters
// with weight N.
void wma(CallArgs& a, double* out) {
  const double* x = a.series(0);
  const int n = a.n;
  const int period = std::max(1, a.period(1, 1));
  double plain = 0, weighted = 0, weights = 0;
  int count = 0;
  for (int i = 0; i < n; ++i) {
    if (i >= period) {
      weighted -= plain;
      weights -= count;
      const double leaving = x[i - period];
      if (isValid(leaving)) {
        plain -= leaving;
        --count;
      }
    }
    const double w = i < period ? i + 1 : period;
    if (isValid(x[i])) {
      plain += x[i];
      weighted += w * x[i];
      weights += w;
      ++count;
    }
    if (count == 0) plain = weighted = weights = 0;
    out[i] = count == 0 ? noValue : weighted / weights;
  }
}

}  // namespace zor::fn
