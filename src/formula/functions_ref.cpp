// References, bar counters and signals. Every function here runs in O(n) or O(n log n): the
// ones defined by a scan backwards from each bar (TOPRANGE, SUMBARS, EXISTR, ...) use
// monotonic stacks, prefix sums and run lengths instead, so a rising series of 200,000 bars
// costs no more than a flat one.
#include <algorithm>
#include <vector>

#include "formula/library.h"

namespace zor::fn {

namespace {

// REF and REFX read their period bar by bar when it is a series: REF(C,BARSLAST(X)) is the
// close of the bar where X was last true.
template <class Index>
void reference(CallArgs& a, double* out, Index index) {
  const double* x = a.series(0);
  const int n = a.n;
  a.clean = a.isClean(0);  // values of X or noValue
  const bool perBar = a.given(1) && !a.isConstant(1);
  const double* periods = perBar ? a.series(1) : nullptr;
  if (!perBar && a.given(1) && !isValid(a.constant(1))) {
    fillSeries(out, n, noValue);
    return;
  }
  const int fixed = perBar ? 0 : a.period(1, 1);
  for (int i = 0; i < n; ++i) {
    int period = fixed;
    if (perBar && !CallArgs::periodAt(periods[i], period)) {
      out[i] = noValue;
      continue;
    }
    const int64_t k = index(int64_t(i), int64_t(period));
    out[i] = (k >= 0 && k < n) ? x[k] : noValue;
  }
}

// Length of the run of bars ending at each bar for which ok(i) holds.
template <class Ok>
void runLengths(int n, std::vector<int>& run, Ok ok) {
  for (int i = 0; i < n; ++i) run[size_t(i)] = ok(i) ? (i > 0 ? run[size_t(i) - 1] : 0) + 1 : 0;
}

// 1 at bar i >= N when the run ending at i is at least N long.
template <class Ok>
void consecutive(CallArgs& a, double* out, int periodArg, Ok ok) {
  const int period = std::max(1, a.period(periodArg, 1));
  Scratch<int> run(static_cast<size_t>(a.n));
  runLengths(a.n, run.vec(), ok);
  for (int i = 0; i < a.n; ++i) out[i] = (i >= period && run[size_t(i)] >= period) ? 1 : 0;
}

// 1 plus the number of bars right before i whose value is valid and not beyond X[i] (not
// above for TOPRANGE, not below for LOWRANGE). The stack holds the bars that can still stop a
// later count: a missing value stops every count and stays for good.
template <bool Top>
void rangeCount(CallArgs& a, double* out) {
  const double* x = a.series(0);
  Scratch<int> scratch(static_cast<size_t>(a.n));
  std::vector<int>& stack = scratch.vec();
  stack.clear();
  for (int i = 0; i < a.n; ++i) {
    if (!isValid(x[i])) {
      out[i] = 1;
      stack.clear();
      stack.push_back(i);
      continue;
    }
    while (!stack.empty()) {
      const double w = x[stack.back()];
      if (!isValid(w) || (Top ? w > x[i] : w < x[i])) break;
      stack.pop_back();
    }
    out[i] = double(i - (stack.empty() ? -1 : stack.back()));
    stack.push_back(i);
  }
}

}  // namespace

// REF, REFV: X[i-N]; a negative N reads later bars.
void ref(CallArgs& a, double* out) {
  reference(a, out, [](int64_t i, int64_t p) { return i - p; });
}

// REFX, REFXV: X[i+N], N below 0 read as 0.
void refx(CallArgs& a, double* out) {
  reference(a, out, [](int64_t i, int64_t p) { return i + std::max<int64_t>(p, 0); });
}

void barslast(CallArgs& a, double* out) {
  const double* x = a.series(0);
  double last = noValue;
  for (int i = 0; i < a.n; ++i) {
    if (isTrue(x[i])) last = 0;
    else if (isValid(last)) last += 1;
    out[i] = last;
  }
}

void barssince(CallArgs& a, double* out) {
  const double* x = a.series(0);
  int first = -1;
  for (int i = 0; i < a.n; ++i) {
    if (first < 0 && isTrue(x[i])) first = i;
    out[i] = first < 0 ? noValue : double(i - first);
  }
}

void barslastcount(CallArgs& a, double* out) {
  const double* x = a.series(0);
  double run = 0;
  for (int i = 0; i < a.n; ++i) {
    run = isTrue(x[i]) ? run + 1 : 0;
    out[i] = run;
  }
}

void cross(CallArgs& a, double* out) {
  const double* x = a.series(0);
  const double* y = a.series(1);
  out[0] = 0;
  for (int i = 1; i < a.n; ++i) {
    // Comparisons with noValue are false, so a missing value never makes a cross.
    out[i] = (x[i] > y[i] && x[i - 1] <= y[i - 1]) ? 1 : 0;
  }
}

// 1 on the bar where A rises above B after A stayed at or below B, both valid, for the N bars
// before it.
void longcross(CallArgs& a, double* out) {
  const double* x = a.series(0);
  const double* y = a.series(1);
  const int period = std::max(1, a.period(2, 1));
  Scratch<int> below(static_cast<size_t>(a.n));
  runLengths(a.n, below.vec(), [&](int i) { return x[i] <= y[i]; });
  for (int i = 0; i < a.n; ++i) {
    out[i] = (i >= period && x[i] > y[i] && below[size_t(i) - 1] >= period) ? 1 : 0;
  }
}

// After an accepted signal the next N bars are suppressed; the first true bar is accepted.
void filter(CallArgs& a, double* out) {
  const double* x = a.series(0);
  const int64_t period = a.period(1, 1);
  int64_t last = -1;
  bool any = false;
  for (int i = 0; i < a.n; ++i) {
    out[i] = 0;
    if (isTrue(x[i]) && (!any || i > last + period)) {
      out[i] = 1;
      last = i;
      any = true;
    }
  }
}

// Marks the N bars ending at every true bar, through a difference array.
void backset(CallArgs& a, double* out) {
  const double* x = a.series(0);
  const int n = a.n;
  const int period = a.period(1, 1);
  fillSeries(out, n, 0);
  if (period <= 0) return;
  Scratch<int> scratch(size_t(n) + 1);
  std::vector<int>& diff = scratch.vec();
  std::fill(diff.begin(), diff.end(), 0);
  for (int i = 0; i < n; ++i) {
    if (!isTrue(x[i])) continue;
    ++diff[size_t(std::max(0, i - period + 1))];
    --diff[size_t(i) + 1];
  }
  int open = 0;
  for (int i = 0; i < n; ++i) {
    open += diff[size_t(i)];
    out[i] = open > 0 ? 1 : 0;
  }
}

void valuewhen(CallArgs& a, double* out) {
  const double* c = a.series(0);
  const double* x = a.series(1);
  double value = noValue;
  for (int i = 0; i < a.n; ++i) {
    if (isTrue(c[i]) && isValid(x[i])) value = x[i];
    out[i] = value;
  }
}

// Whether X was true on any bar from i-hi to i-lo (from bar 0 when hi is 0).
void existr(CallArgs& a, double* out) {
  const double* x = a.series(0);
  const int n = a.n;
  const int p1 = std::max(0, a.period(1, 0)), p2 = std::max(0, a.period(2, 0));
  const int hi = std::max(p1, p2), lo = std::min(p1, p2);
  Scratch<int> prefix(size_t(n) + 1);
  prefix[0] = 0;
  for (int i = 0; i < n; ++i) prefix[size_t(i) + 1] = prefix[size_t(i)] + (isTrue(x[i]) ? 1 : 0);
  for (int i = 0; i < n; ++i) {
    const int64_t first = hi == 0 ? 0 : std::max<int64_t>(0, int64_t(i) - hi);
    const int64_t last = int64_t(i) - lo;
    out[i] = (last >= first && prefix[size_t(last) + 1] > prefix[size_t(first)]) ? 1 : 0;
  }
}

// Bars back from i until the sum of X reaches A. With prefix sums P, the answer is i - j for
// the largest j with P[j] <= P[i+1] - A, searched no further back than the last missing value.
// That j is always a strict suffix minimum of P, so a stack of those minima (increasing in
// both index and value) answers each bar by binary search.
void sumbars(CallArgs& a, double* out) {
  const double* x = a.series(0);
  const double target = a.scalar(1, 0);
  Scratch<int> stackMemory(static_cast<size_t>(a.n));
  Scratch<double> prefixMemory(static_cast<size_t>(a.n));
  std::vector<int>& stack = stackMemory.vec();
  std::vector<double>& prefixAt = prefixMemory.vec();  // P of each stack entry
  stack.clear();
  prefixAt.clear();
  double prefix = 0;  // P[i], counted from the last missing value
  for (int i = 0; i < a.n; ++i) {
    if (!isValid(x[i])) {
      out[i] = noValue;
      stack.clear();
      prefixAt.clear();
      prefix = 0;
      continue;
    }
    while (!prefixAt.empty() && prefixAt.back() >= prefix) {
      stack.pop_back();
      prefixAt.pop_back();
    }
    stack.push_back(i);
    prefixAt.push_back(prefix);
    prefix += x[i];
    const double limit = prefix - target;
    // Entries with P <= limit form a prefix of the stack; take its last one.
    auto it = std::upper_bound(prefixAt.begin(), prefixAt.end(), limit);
    out[i] = it == prefixAt.begin() ? noValue : double(i - stack[size_t(it - prefixAt.begin()) - 1]);
  }
}

void toprange(CallArgs& a, double* out) { rangeCount<true>(a, out); }
void lowrange(CallArgs& a, double* out) { rangeCount<false>(a, out); }

void upnday(CallArgs& a, double* out) {
  const double* x = a.series(0);
  consecutive(a, out, 1, [&](int k) { return k > 0 && x[k] > x[k - 1]; });
}

void downnday(CallArgs& a, double* out) {
  const double* x = a.series(0);
  consecutive(a, out, 1, [&](int k) { return k > 0 && x[k] < x[k - 1]; });
}

void nday(CallArgs& a, double* out) {
  const double* x = a.series(0);
  const double* y = a.series(1);
  consecutive(a, out, 2, [&](int k) { return x[k] > y[k]; });
}

}  // namespace zor::fn
