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
    const int period = fixPeriod(wp.fixed);
    // The bar's change to the sum is formed first, so the running sum takes one rounding per
    // bar; every max(4N, 1024) bars the sum is taken afresh from the window, so rounding cannot
    // pile up along the series.
    const int block = period > 0 ? int(std::min<int64_t>(std::max<int64_t>(4 * int64_t(period), 1024), n + 1)) : 0;
    double sum = 0;
    int count = 0;
    int untilFresh = block;  // bars until the sum is taken afresh
    for (int i = 0; i < n; ++i) {
      if (period > 0 && i >= period && untilFresh > 1) {
        // Full windows up to the next fresh sum: the same steps as below, without the tests
        // that cannot fire here.
        const int end = std::min(n, i + untilFresh - 1);
        untilFresh -= end - i;
        if (count == period) {
          // The window is full of valid values. While the bars up to `end` are valid too the
          // count stays at N and each bar's change is the new value less the leaving one, the
          // steps below without their tests. A missing value or an overflow turns the running
          // sum into a NaN or an infinity, which stays in it to the end of the stretch: a
          // finite last sum shows that every sum of the stretch was finite and made of valid
          // values. Otherwise the stretch is done again by the steps below.
          double s = sum;
          for (int j = i; j < end; ++j) {
            s += x[j] - x[j - period];
            out[j] = s;
          }
          if (std::fabs(s) <= DBL_MAX) {
            if (kind == SumKind::Mean) {
              const double d = period;
              for (int j = i; j < end; ++j) out[j] /= d;
            }
            sum = s;
            i = end;
            if (i == n) break;
          }
        }
        for (; i < end; ++i) {
          const double v = x[i], leaving = x[i - period];
          const bool valid = isValid(v), left = isValid(leaving);
          sum += (valid ? v : 0.0) - (left ? leaving : 0.0);
          count += int(valid) - int(left);
          if (count == 0) sum = 0;
          out[i] = count == 0 ? empty : cleanValue(kind == SumKind::Sum ? sum : sum / count);
        }
        if (i == n) break;
      }
      const double v = x[i];
      if (block > 0 && --untilFresh == 0) {
        untilFresh = block;
        sum = 0;
        count = 0;
        for (int j = i - period + 1; j <= i; ++j) {
          if (isValid(x[j])) {
            sum += x[j];
            ++count;
          }
        }
      } else {
        const bool valid = isValid(v);
        double change = valid ? v : 0.0;
        count += valid;
        if (period > 0 && i >= period) {
          const double leaving = x[i - period];
          const bool left = isValid(leaving);
          change -= left ? leaving : 0.0;
          count -= left;
        }
        sum += change;
      }
      if (count == 0) sum = 0;  // no rounding residue survives an empty window
      out[i] = count == 0 ? empty : cleanValue(kind == SumKind::Sum ? sum : sum / count);
    }
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
      // The values alone: ties do not matter. The scans start from the worst value (-inf for
      // the highest) that a missing value never replaces, so they compile to plain max/min.
      constexpr double worst = Highest ? -HUGE_VAL : HUGE_VAL;
      auto best = [](double v, double w) { return Highest ? (v > w ? v : w) : (v < w ? v : w); };
      Scratch<double> prefix(static_cast<size_t>(n)), suffix(static_cast<size_t>(n));
      for (int b = 0; b < n; b += block) {
        const int end = std::min(n, b + block);
        double m = worst;
        for (int i = b; i < end; ++i) prefix[size_t(i)] = m = best(x[i], m);
        m = worst;
        for (int i = end - 1; i >= b; --i) suffix[size_t(i)] = m = best(x[i], m);
      }
      for (int i = 0; i < n; ++i) {
        const int s = i - block + 1;
        out[i] = s <= 0 ? prefix[size_t(i)] : best(suffix[size_t(s)], prefix[size_t(i)]);
      }
      // The worst value stands for a window without a valid value, unless the window really
      // holds it (an infinite function result).
      for (int i = 0; i < n; ++i) {
        if (out[i] != worst) continue;
        bool any = false;
        for (int j = windowStart(i, block); j <= i && !any; ++j) any = isValid(x[j]);
        if (!any) out[i] = noValue;
      }
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
