// The function library's view of a run: the evaluation context, the arguments of one call,
// and the sorted table of every library and drawing function.
//
// Every series in a run has exactly n elements. An evaluated value is either n elements or a
// constant (a literal, a parameter, an expression of constants), which stands for the same
// value on every bar and is materialised only when a function reads it element by element.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "formula/formula.h"
#include "formula/parser.h"

namespace zor {

// The input's series, in the order inputSeries() takes them.
enum InputSeries : int { InOpen, InHigh, InLow, InClose, InVolume, InAmount };

// An evaluated expression. data == nullptr means a constant.
struct SeriesValue {
  const double* data = nullptr;
  double constant = 0;
  int32_t buffer = -1;  // pooled buffer this value owns, -1 when borrowed or constant
  bool shared = false;  // borrowed from the run's kept shared values (ExprNode::shared)
  // Known to hold only finite values and noValue itself (no infinity, no other NaN): the
  // input's series, statement results, operators' results, and functions' results that say so.
  bool clean = false;
  // An inlined statement's name: not computed; its value is this expression's.
  const ExprNode* expr = nullptr;
};

inline bool isValid(double v) { return v == v; }
// An infinity or a NaN becomes noValue; a form compilers turn into a compare and a blend.
inline double cleanValue(double v) { return std::fabs(v) <= DBL_MAX ? v : noValue; }
inline bool isTrue(double v) { return v == v && v != 0; }
// A finite number or noValue itself (not another NaN).
inline bool isCleanNumber(double v) {
  if (std::fabs(v) <= DBL_MAX) return true;
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  return bits == 0x7FF8000000000000ull;
}

// Work limit of one run, in element steps, and the message of a run that passes it.
constexpr int64_t kMaxRunSteps = 200000000;
// Bytes of series a run may hold at once (intermediate and stored results).
constexpr int64_t kMaxRunBytes = int64_t(256) << 20;
extern const char* const kTooMuchWorkMessage;

struct EvalContext {
  EvalContext() = default;
  EvalContext(const EvalContext&) = delete;
  EvalContext& operator=(const EvalContext&) = delete;
  ~EvalContext();  // hands its buffers back to the thread's run memory

  const FormulaInput* input = nullptr;
  int n = 0;
  // One of the input's series, checked on first use: a copy with infinities turned into
  // noValue when it holds any.
  const double* inputSeries(int which);
  std::vector<double> cleanInput[6];
  const double* checkedInput[6] = {};

  std::vector<DrawingItem>* drawings = nullptr;
  int32_t colour = -1;  // of the statement being evaluated
  std::string* error = nullptr;

  int64_t steps = 0;
  int64_t bytes = 0;

  // Buffers of n doubles, reused within the run.
  std::vector<std::vector<double>> buffers;
  std::vector<int32_t> freeBuffers;
  // Variables by name: statement results and parameters (the data names are looked up when
  // a name is not here). Borrowed values point into `stored`, the output lines or the input.
  std::unordered_map<std::string, SeriesValue> variables;
  std::vector<std::vector<double>> stored;
  std::vector<double> missingSeries;  // n noValues, made on first use

  bool failed() const { return !error->empty(); }
  // Keeps only the first message of a run.
  void fail(const std::string& message) {
    if (error->empty()) *error = message;
  }
  // Accounts for `count` element steps; false (with the message) once the run passes its limit.
  bool charge(int64_t count);
  int32_t acquire();
  void release(int32_t buffer);
  double* bufferData(int32_t buffer) { return buffers[size_t(buffer)].data(); }
  // Takes a buffer out of the pool for good (a stored statement result).
  std::vector<double> take(int32_t buffer);

  // Values of the program's shared expressions, computed on first use; their buffers stay
  // with the run.
  std::vector<SeriesValue> sharedValues;
  std::vector<char> sharedReady;
  // Registers of the fused element-wise kernels (fused_kernel.cpp), taken on first use.
  std::vector<double> kernelMemory;

  SeriesValue evaluate(const ExprNode& node);
  // An operator or element-wise call together with the element-wise nodes below it, in one
  // pass over the bars (fused_kernel.cpp).
  SeriesValue evaluateFused(const ExprNode& node);
  // A call of a library or drawing function, its arguments evaluated left to right.
  SeriesValue evaluateCall(const ExprNode& node);
  const double* missing();
  void releaseValue(SeriesValue& v) {
    if (v.buffer >= 0) release(v.buffer);
    v.buffer = -1;
  }
};

// The arguments of one call. A missing argument reads as noValue on every bar.
struct CallArgs {
  EvalContext& ctx;
  const ExprNode& call;
  SeriesValue* values;
  int count;  // arguments given (the function reads at most its maximum)
  int n;
  // Set by a function whose result holds only finite values and noValue, so that the run need
  // not check it again.
  bool clean = false;

  bool given(int k) const { return k < count; }
  const ExprNode* node(int k) const { return k < int(call.children.size()) ? &call.children[size_t(k)] : nullptr; }
  bool isStringLiteral(int k) const {
    const ExprNode* nd = node(k);
    return nd && nd->kind == NodeString;
  }
  // True for a missing argument and for a constant one.
  bool isConstant(int k) const { return k >= count || values[k].data == nullptr; }
  // True when the argument holds only finite values and noValue (a missing one does).
  bool isClean(int k) const {
    return k >= count || (values[k].data ? values[k].clean : isCleanNumber(values[k].constant));
  }
  double constant(int k) const { return k >= count ? noValue : values[k].constant; }
  // The argument's n elements (a constant is materialised on first use).
  const double* series(int k);
  // The last valid value, or `fallback` when there is none.
  double scalar(int k, double fallback) const;
  // scalar() rounded half away from zero, after clamping to +-1e9.
  int period(int k, int fallback) const;
  // A period read at bar i of a series argument; false when the element is missing.
  static bool periodAt(double v, int& out);
};

// Clamps to +-1e9 (so that the conversion is defined) and rounds half away from zero; NaN
// gives `fallback`.
inline int roundToInt(double v, int fallback) {
  if (!(v == v)) return fallback;
  return int(std::round(v > 1e9 ? 1e9 : v < -1e9 ? -1e9 : v));
}
// Clamps to +-1e9 and truncates toward zero; NaN gives `fallback`.
inline int truncToInt(double v, int fallback) {
  if (!(v == v)) return fallback;
  return int(v > 1e9 ? 1e9 : v < -1e9 ? -1e9 : v);
}

using LibraryFn = void (*)(CallArgs& args, double* out);

struct LibraryFunction {
  const char* name;
  LibraryFn fn;
  int8_t maxArgs;  // arguments the function reads; later ones are evaluated and dropped
};

// The table, sorted by name.
const LibraryFunction* libraryFunctions(size_t& count);
// Index in the table, -1 when the library has no such name.
int findLibraryFunction(std::string_view upperName);

// True for the nodes evaluateFused() takes: operators, and calls of ABS, MAX, MIN, IF, IFF,
// IFN, REF or REFV with a number or a name as the period, and the linear smoothings (EMA,
// EXPMA, EXPMEMA, SMA, XMA, MEMA, TMA, AMA).
bool isFusedNode(const ExprNode& node);
// isFusedNode without the smoothings: a value at bar i that needs no other bar's result of
// the same expression.
bool isElementwiseNode(const ExprNode& node);

// Chooses the fused programs' steps: the widest vector form the processor runs (the default)
// or the baseline one. Both give the same values; tests compare them. True when the wide form
// is in use.
bool useWideSteps(bool enabled);
// The choice: true while the wide forms are in use (the window functions follow it too).
bool wideSteps();

// True when the values hold an infinity or a NaN.
bool anyNonFinite(const double* values, int n);
// Turns infinities and NaNs of a function's result into noValue, in place.
void cleanFunctionResult(double* values, int n);

// The recursive smoothings EMA, EXPMA, EXPMEMA, SMA, XMA, MEMA, TMA and AMA are all the update
// y = y*keep + x*alpha with weights fixed for the run (functions_smooth.cpp): the weights of
// the call, false for another function. Reads the call's arguments 1 and 2 only.
bool linearSmoothingWeights(LibraryFn fn, CallArgs& a, double& keep, double& alpha);
// The update over n bars, from and back into runningValue (noValue before the first valid
// bar), so that a series can be smoothed in consecutive pieces.
void linearSmoothBlock(const double* x, int n, double* out, double keep, double alpha, double& runningValue);

// True for the names of the input's data (CLOSE, C, VOL, CAPITAL, ...), which need no
// declaration.
bool isDataName(const std::string& upperName);

// Per-family implementations, registered in function_table.cpp.
#define ZOR_FN(name) void name(CallArgs& a, double* out)
namespace fn {
// element-wise (functions_math.cpp)
ZOR_FN(abs_); ZOR_FN(sqrt_); ZOR_FN(exp_); ZOR_FN(ln); ZOR_FN(log_); ZOR_FN(sin_); ZOR_FN(cos_); ZOR_FN(tan_);
ZOR_FN(atan_); ZOR_FN(asin_); ZOR_FN(acos_); ZOR_FN(ceiling); ZOR_FN(floor_); ZOR_FN(intpart); ZOR_FN(sign);
ZOR_FN(round_); ZOR_FN(reverse); ZOR_FN(max_); ZOR_FN(min_); ZOR_FN(mod); ZOR_FN(pow_); ZOR_FN(between);
ZOR_FN(range); ZOR_FN(if_); ZOR_FN(ifn); ZOR_FN(isnull); ZOR_FN(const_); ZOR_FN(drawnull);
ZOR_FN(totalbarscount); ZOR_FN(barscount); ZOR_FN(currbarscount); ZOR_FN(islastbar); ZOR_FN(rgb);
// recursive smoothings (functions_smooth.cpp)
ZOR_FN(ema); ZOR_FN(sma); ZOR_FN(xma); ZOR_FN(mema); ZOR_FN(tma); ZOR_FN(ama); ZOR_FN(dma);
// MA (mean) or SUM over windows of a fixed period (SUM: 0 or below from bar 0; MA: at least
// 1): finite values or noValue (0 for an empty SUM window). The running sums of MA and SUM.
void slidingWindowSum(const double* x, int n, int period, double* out, bool mean);
// windows (functions_window.cpp)
ZOR_FN(ma); ZOR_FN(wma); ZOR_FN(hhv); ZOR_FN(llv); ZOR_FN(hhvbars); ZOR_FN(llvbars); ZOR_FN(sum);
ZOR_FN(count); ZOR_FN(every); ZOR_FN(exist);
// statistics and regression (functions_stats.cpp)
ZOR_FN(std_); ZOR_FN(stdp); ZOR_FN(var); ZOR_FN(varp); ZOR_FN(avedev); ZOR_FN(devsq); ZOR_FN(covar);
ZOR_FN(relate); ZOR_FN(slope); ZOR_FN(forcast);
// references, counters and signals (functions_ref.cpp)
ZOR_FN(ref); ZOR_FN(refx); ZOR_FN(barslast); ZOR_FN(barssince); ZOR_FN(barslastcount); ZOR_FN(cross);
ZOR_FN(longcross); ZOR_FN(filter); ZOR_FN(backset); ZOR_FN(valuewhen); ZOR_FN(existr); ZOR_FN(sumbars);
ZOR_FN(toprange); ZOR_FN(lowrange); ZOR_FN(upnday); ZOR_FN(downnday); ZOR_FN(nday);
// dates, times, real-time and missing data, texts (functions_data.cpp)
ZOR_FN(date); ZOR_FN(year); ZOR_FN(month); ZOR_FN(day); ZOR_FN(time_); ZOR_FN(hour); ZOR_FN(minute);
ZOR_FN(fromopen); ZOR_FN(week); ZOR_FN(dynainfo); ZOR_FN(str2con); ZOR_FN(textvalue); ZOR_FN(pricecall);
ZOR_FN(finance); ZOR_FN(get); ZOR_FN(inblock); ZOR_FN(setcode); ZOR_FN(beta); ZOR_FN(calcstockindex);
// zig-zag and stop-and-reverse (functions_zig.cpp)
ZOR_FN(zig); ZOR_FN(peak); ZOR_FN(trough); ZOR_FN(peakbars); ZOR_FN(troughbars); ZOR_FN(sar); ZOR_FN(sarturn);
// drawing (drawing_functions.cpp)
ZOR_FN(drawicon); ZOR_FN(drawtext); ZOR_FN(drawnumber); ZOR_FN(drawline); ZOR_FN(stickline); ZOR_FN(drawband);
ZOR_FN(drawsl); ZOR_FN(drawnumberfix); ZOR_FN(drawtextfix); ZOR_FN(vertline); ZOR_FN(polyline);
ZOR_FN(drawkline); ZOR_FN(drawrectrel); ZOR_FN(drawgbk);
}  // namespace fn
#undef ZOR_FN

// Memory kept between runs on the same thread: empty capacity only, never values. A paint
// reuses the buffers of the previous one instead of paying page faults for fresh memory
// (over 1.9 million minute bars a series is 15 MB, and fresh pages would cost more than the
// arithmetic). What is kept is bounded by what one run may hold (kMaxRunBytes).
constexpr size_t kKeptRunBytes = size_t(kMaxRunBytes);
std::vector<double> takeDoubles(size_t n);  // n elements of unspecified value
// The fused kernels' registers kept for the thread, or an empty vector (a run nested in
// another would find them taken).
std::vector<double> takeKernelMemory();
void giveKernelMemory(std::vector<double>&& v);
void giveDoubles(std::vector<double>&& v);
std::vector<int> takeInts(size_t n);
void giveInts(std::vector<int>&& v);

// A function's scratch array of n elements (unspecified values), returned on destruction.
template <class T>
class Scratch {
 public:
  explicit Scratch(size_t n) {
    if constexpr (std::is_same_v<T, double>) v_ = takeDoubles(n);
    else v_ = takeInts(n);
  }
  ~Scratch() {
    if constexpr (std::is_same_v<T, double>) giveDoubles(std::move(v_));
    else giveInts(std::move(v_));
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  std::vector<T>& vec() { return v_; }
  T& operator[](size_t i) { return v_[i]; }
  T* data() { return v_.data(); }

 private:
  std::vector<T> v_;
};

// Shared loop helpers.
inline void fillSeries(double* out, int n, double v) {
  for (int i = 0; i < n; ++i) out[i] = v;
}

}  // namespace zor
