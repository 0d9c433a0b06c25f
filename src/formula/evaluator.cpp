// The evaluator: runs the statements of a compiled formula over one set of bars.
//
// Values are n-element series or constants (see library.h). Intermediate series live in a
// pool of n-element buffers that the run reuses, so a formula allocates about as many
// buffers as it holds at its deepest point, not one per node. A result that nobody else
// needs is overwritten in place by the operator that consumes it. Operators and element-wise
// calls run fused (fused_kernel.cpp); an expression the formula repeats is computed once per
// run (shared_values.cpp) and its series kept until the run ends.
//
// Arithmetic never produces an infinity: a result that is not finite becomes noValue at
// once, so a single overflow cannot poison the running sums of the functions it feeds.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("tree-vectorize")  // the input checks and result cleaning below
#endif

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cstdint>
#include <cstring>

#include "formula/library.h"
#include "platform/text.h"

namespace zor {

const char* const kTooMuchWorkMessage = "公式计算量过大，已停止（请减小周期参数）";

namespace {

enum DataName : int8_t { DataClose, DataOpen, DataHigh, DataLow, DataVolume, DataAmount, DataCapital, DataNone };

struct DataNameEntry {
  const char* name;
  DataName data;
};
// Sorted by name. The names of data this program does not have read as noValue when written
// without parentheses.
constexpr DataNameEntry kDataNames[] = {
    {"ADVANCE", DataNone},   {"AMO", DataAmount},      {"AMOUNT", DataAmount},   {"ASKPRICE", DataNone},
    {"ASKVOL", DataNone},    {"BIDPRICE", DataNone},   {"BIDVOL", DataNone},     {"BUYVOL", DataNone},
    {"C", DataClose},        {"CAPITAL", DataCapital}, {"CLOSE", DataClose},     {"COST", DataNone},
    {"COSTEX", DataNone},    {"DECLINE", DataNone},    {"DYNAINFO", DataNone},   {"FINANCE", DataNone},
    {"H", DataHigh},         {"HIGH", DataHigh},       {"INDEXC", DataNone},     {"INDEXH", DataNone},
    {"INDEXL", DataNone},    {"INDEXO", DataNone},     {"INDEXV", DataNone},     {"ISBUYORDER", DataNone},
    {"ISSELLORDER", DataNone}, {"L", DataLow},         {"LOW", DataLow},         {"O", DataOpen},
    {"OPEN", DataOpen},      {"SELLVOL", DataNone},    {"V", DataVolume},        {"VOL", DataVolume},
    {"VOLUME", DataVolume},  {"WINNER", DataNone},
};
constexpr double kCapital = 2000000;

bool findDataName(const std::string& name, DataName& out) {
  const DataNameEntry* end = kDataNames + sizeof kDataNames / sizeof kDataNames[0];
  const DataNameEntry* it = std::lower_bound(kDataNames, end, name,
                                             [](const DataNameEntry& e, const std::string& k) { return k.compare(e.name) > 0; });
  if (it == end || name != it->name) return false;
  out = it->data;
  return true;
}

SeriesValue constantValue(double v) {
  SeriesValue s;
  s.constant = v;
  return s;
}

// isfinite in a form compilers turn into a compare and a blend (NaN compares false).
inline double finiteOrNoValue(double r) { return std::fabs(r) <= DBL_MAX ? r : noValue; }

}  // namespace

// ---- memory kept between runs ----

namespace {

struct RunMemory {
  std::vector<double> kernel;
  std::vector<std::vector<double>> doubles;
  std::vector<std::vector<int>> ints;
  size_t bytes = 0;
};

RunMemory& runMemory() {
  thread_local RunMemory memory;
  return memory;
}

constexpr size_t kKeptRunVectors = 128;

// The smallest kept vector with room for n elements, else a new vector: growing a smaller
// one would copy its stale values into fresh pages and free memory the next run wants back.
//
// A small request (a function's scratch of a few thousand elements) that only a much larger
// vector could serve gets a new vector instead: cut down, the large one would come back
// short, and the next run taking it for a series would fill the rest with zeros. Small
// vectors come from the heap cheaply; it is the large ones that are worth keeping.
template <class T>
std::vector<T> takeVector(std::vector<std::vector<T>>& kept, size_t& bytes, size_t n) {
  size_t pick = kept.size();
  for (size_t k = 0; k < kept.size(); ++k) {
    if (kept[k].capacity() >= n && (pick == kept.size() || kept[k].capacity() < kept[pick].capacity())) pick = k;
  }
  constexpr size_t kSmallBytes = 128 << 10;
  if (pick < kept.size() && n * sizeof(T) <= kSmallBytes && kept[pick].capacity() > 4 * n) pick = kept.size();
  std::vector<T> v;
  if (pick < kept.size()) {
    v.swap(kept[pick]);
    kept[pick].swap(kept.back());
    kept.pop_back();
    bytes -= v.capacity() * sizeof(T);
  }
  v.resize(n);
  return v;
}

// Kept while there is room; a full pool gives up its smallest vectors for a larger one, so
// that runs over more bars than before do not find it full of vectors too small to use.
template <class T>
void giveVector(std::vector<std::vector<T>>& kept, size_t& bytes, std::vector<T>&& v) {
  const size_t size = v.capacity() * sizeof(T);
  if (size == 0 || size > kKeptRunBytes) return;  // v frees itself
  while (!kept.empty() && (kept.size() >= kKeptRunVectors || bytes + size > kKeptRunBytes)) {
    size_t smallest = 0;
    for (size_t k = 1; k < kept.size(); ++k) {
      if (kept[k].capacity() < kept[smallest].capacity()) smallest = k;
    }
    if (kept[smallest].capacity() * sizeof(T) >= size) return;  // v frees itself
    bytes -= kept[smallest].capacity() * sizeof(T);
    kept[smallest].swap(kept.back());
    kept.pop_back();
  }
  if (kept.size() >= kKeptRunVectors || bytes + size > kKeptRunBytes) return;  // the other pool holds the room
  bytes += size;
  kept.push_back(std::move(v));
}

}  // namespace

// The fused kernels' registers: a few hundred kilobytes that every run on the thread needs.
// They are kept apart from the series: cut from a kept series, they would leave it short, and
// the next run taking that series for n bars would have to fill the rest with zeros.
std::vector<double> takeKernelMemory() {
  std::vector<double> v;
  v.swap(runMemory().kernel);
  return v;
}
void giveKernelMemory(std::vector<double>&& v) {
  if (v.capacity() > runMemory().kernel.capacity()) runMemory().kernel = std::move(v);
}

std::vector<double> takeDoubles(size_t n) { return takeVector(runMemory().doubles, runMemory().bytes, n); }
void giveDoubles(std::vector<double>&& v) { giveVector(runMemory().doubles, runMemory().bytes, std::move(v)); }
void recycleOutputLines(std::vector<OutputLine>& lines) {
  for (OutputLine& l : lines) giveDoubles(std::move(l.values));
  lines.clear();
}
std::vector<int> takeInts(size_t n) { return takeVector(runMemory().ints, runMemory().bytes, n); }
void giveInts(std::vector<int>&& v) { giveVector(runMemory().ints, runMemory().bytes, std::move(v)); }

// ---- the context ----

EvalContext::~EvalContext() {
  for (std::vector<double>& b : buffers) giveDoubles(std::move(b));
  for (std::vector<double>& b : stored) giveDoubles(std::move(b));
  for (std::vector<double>& b : cleanInput) giveDoubles(std::move(b));
  giveDoubles(std::move(missingSeries));
  giveKernelMemory(std::move(kernelMemory));
}

bool EvalContext::charge(int64_t count) {
  steps += count;
  if (steps > kMaxRunSteps) {
    fail(kTooMuchWorkMessage);
    return false;
  }
  return true;
}

// Buffers hold unspecified values when handed out: every writer writes all n elements.
int32_t EvalContext::acquire() {
  if (!freeBuffers.empty()) {
    int32_t b = freeBuffers.back();
    freeBuffers.pop_back();
    return b;
  }
  bytes += int64_t(n) * 8;
  if (bytes > kMaxRunBytes) fail(kTooMuchWorkMessage);  // the buffer is still usable
  buffers.push_back(takeDoubles(size_t(n)));
  return int32_t(buffers.size() - 1);
}

void EvalContext::release(int32_t buffer) { freeBuffers.push_back(buffer); }

std::vector<double> EvalContext::take(int32_t buffer) {
  std::vector<double> v;
  v.swap(buffers[size_t(buffer)]);
  return v;
}

const double* EvalContext::inputSeries(int which) {
  if (checkedInput[which]) return checkedInput[which];
  const FormulaInput& in = *input;
  const std::vector<double>* all[6] = {&in.open, &in.high, &in.low, &in.close, &in.volume, &in.amount};
  const double* p = all[which]->data();
  // An infinity, or a NaN other than noValue itself, needs a clean copy. On the bits: the
  // exponent all ones marks both, and noValue is the one NaN that may stay.
  constexpr uint64_t kMagnitude = 0x7FFFFFFFFFFFFFFFull, kInfinity = 0x7FF0000000000000ull;
  constexpr uint64_t kNoValueBits = 0x7FF8000000000000ull;
  // First a scan that compiles to vector compares: no NaN and no infinity, nothing to clean.
  const bool nonFinite = anyNonFinite(p, n);
  int i = 0, a0 = 0, a1 = 0;
  auto odd = [&](int k) {
    uint64_t b;
    std::memcpy(&b, p + k, 8);
    return int((b & kMagnitude) >= kInfinity) & int(b != kNoValueBits);
  };
  if (nonFinite) {
    for (; i + 2 <= n; i += 2) {
      a0 |= odd(i);
      a1 |= odd(i + 1);
    }
    for (; i < n; ++i) a0 |= odd(i);
  }
  if (a0 | a1) {
    std::vector<double>& c = cleanInput[which];
    c = takeDoubles(size_t(n));
    for (int k = 0; k < n; ++k) c[size_t(k)] = finiteOrNoValue(p[k]);
    p = c.data();
  }
  checkedInput[which] = p;
  return p;
}

const double* EvalContext::missing() {
  if (missingSeries.empty()) {
    missingSeries = takeDoubles(size_t(n));
    fillSeries(missingSeries.data(), n, noValue);
  }
  return missingSeries.data();
}

// ---- call arguments ----

const double* CallArgs::series(int k) {
  if (k >= count) return ctx.missing();
  SeriesValue& v = values[k];
  if (!v.data) {
    int32_t b = ctx.acquire();
    double* d = ctx.bufferData(b);
    fillSeries(d, n, v.constant);
    v.data = d;
    v.buffer = b;
  }
  return v.data;
}

double CallArgs::scalar(int k, double fallback) const {
  if (k >= count) return fallback;
  const SeriesValue& v = values[k];
  if (!v.data) return isValid(v.constant) ? v.constant : fallback;
  for (int i = n - 1; i >= 0; --i) {
    if (isValid(v.data[i])) return v.data[i];
  }
  return fallback;
}

int CallArgs::period(int k, int fallback) const { return roundToInt(scalar(k, noValue), fallback); }

bool CallArgs::periodAt(double v, int& out) {
  if (!isValid(v)) return false;
  out = roundToInt(v, 0);
  return true;
}

// ---- evaluation ----

SeriesValue EvalContext::evaluate(const ExprNode& node) {
  // After the first message the run fails anyway; nothing more needs computing.
  if (failed()) return constantValue(noValue);
  if (node.shared >= 0 && size_t(node.shared) < sharedReady.size()) {
    const size_t slot = size_t(node.shared);
    if (!sharedReady[slot]) {
      SeriesValue v = isFusedNode(node) ? evaluateFused(node) : evaluateCall(node);
      if (failed()) {
        releaseValue(v);
        return constantValue(noValue);
      }
      v.buffer = -1;  // the buffer stays with the run: later occurrences read it
      v.shared = true;
      sharedValues[slot] = v;
      sharedReady[slot] = 1;
    }
    return sharedValues[slot];
  }
  switch (node.kind) {
    case NodeNumber:
      return constantValue(node.number);
    case NodeString:
      return constantValue(noValue);
    case NodeVariable: {
      auto it = variables.find(node.text);
      if (it != variables.end()) return it->second.expr ? evaluate(*it->second.expr) : it->second;
      DataName d;
      if (findDataName(node.text, d)) {
        SeriesValue v = constantValue(noValue);
        v.clean = true;  // checked on first use
        switch (d) {
          case DataClose: v.data = inputSeries(InClose); break;
          case DataOpen: v.data = inputSeries(InOpen); break;
          case DataHigh: v.data = inputSeries(InHigh); break;
          case DataLow: v.data = inputSeries(InLow); break;
          case DataVolume: v.data = inputSeries(InVolume); break;
          case DataAmount: v.data = inputSeries(InAmount); break;
          case DataCapital: v.constant = kCapital; break;
          case DataNone: break;
        }
        return v;
      }
      fail("未定义的标识符 '" + node.text + "'");
      return constantValue(noValue);
    }
    case NodeUnary:
    case NodeBinary:
      return evaluateFused(node);
    case NodeCall:
      return isFusedNode(node) ? evaluateFused(node) : evaluateCall(node);
    default:
      return constantValue(noValue);
  }
}

SeriesValue EvalContext::evaluateCall(const ExprNode& node) {

  // A call: every argument is evaluated, left to right, also those the function does not read
  // (they may draw or fail); only the ones it reads are kept.
  size_t tableSize = 0;
  const LibraryFunction* table = libraryFunctions(tableSize);
  const LibraryFunction* f = node.function >= 0 ? &table[node.function] : nullptr;
  const int keep = f ? f->maxArgs : 0;
  constexpr int kMaxKept = 6;
  SeriesValue args[kMaxKept];
  int given = 0;
  for (const ExprNode& child : node.children) {
    SeriesValue v = evaluate(child);
    if (given < keep && given < kMaxKept) {
      args[given++] = v;
    } else {
      releaseValue(v);
    }
  }
  auto releaseArgs = [&] {
    for (int k = 0; k < given; ++k) releaseValue(args[k]);
  };
  if (failed()) {
    releaseArgs();
    return constantValue(noValue);
  }
  if (!f) {
    fail("未实现的公式函数 '" + node.text + "'（请在 formula 的函数分派里补上）");
    return constantValue(noValue);
  }
  if (!charge(n)) {
    releaseArgs();
    return constantValue(noValue);
  }
  SeriesValue r;
  r.buffer = acquire();
  r.data = bufferData(r.buffer);
  CallArgs call{*this, node, args, given, n};
  f->fn(call, bufferData(r.buffer));
  r.clean = call.clean;
  releaseArgs();
  return r;
}

// ---- runs ----

bool isLibraryFunctionName(std::string_view upperName) { return findLibraryFunction(upperName) >= 0; }

bool isDataName(const std::string& upperName) {
  DataName d;
  return findDataName(upperName, d);
}

bool runFormula(const CompiledFormula& compiled, const FormulaInput& input, const std::vector<double>& paramValues,
                std::vector<OutputLine>& outLines, std::vector<DrawingItem>& outDrawings, std::string& error) {
  for (OutputLine& line : outLines) giveDoubles(std::move(line.values));  // their memory serves this run
  outLines.clear();
  outDrawings.clear();
  error.clear();
  if (!compiled.compiled) {
    error = "Program 未编译";
    return false;
  }
  const size_t count = input.close.size();
  if (count == 0) {
    error = "数据为空";
    return false;
  }
  const std::vector<double>* series[6] = {&input.open, &input.high, &input.low, &input.close, &input.volume, &input.amount};
  for (const std::vector<double>* s : series) {
    if (s->size() != count) {
      error = "输入数据长度不一致";
      return false;
    }
  }
  if (count > size_t(kMaxRunSteps)) {
    error = kTooMuchWorkMessage;
    return false;
  }

  EvalContext ctx;
  ctx.input = &input;
  ctx.n = int(count);
  ctx.error = &error;
  ctx.drawings = &outDrawings;
  ctx.sharedValues.assign(size_t(compiled.sharedValues), SeriesValue());
  ctx.sharedReady.assign(size_t(compiled.sharedValues), 0);

  for (size_t i = 0; i < compiled.params.size(); ++i) {
    double v = i < paramValues.size() ? paramValues[i] : compiled.params[i].defaultValue;
    ctx.variables[toUpperAscii(compiled.params[i].name)] = constantValue(v);
  }

  size_t outputs = 0;
  for (const FormulaStatement& st : compiled.statements) outputs += st.isOutput ? 1 : 0;
  outLines.reserve(outputs);  // variables point into the output lines' values
  ctx.stored.reserve(compiled.statements.size());

  const int n = ctx.n;
  for (const FormulaStatement& st : compiled.statements) {
    if (st.inlined) {
      SeriesValue v;
      v.expr = &st.expr;
      ctx.variables[st.name] = v;
      continue;
    }
    ctx.colour = st.colour;
    SeriesValue v = ctx.evaluate(st.expr);
    if (ctx.failed() || !ctx.charge(n)) return false;
    SeriesValue named;  // what the statement's name will refer to
    std::vector<double> values;
    if (!v.data) {
      named = constantValue(finiteOrNoValue(v.constant));
      if (st.isOutput) {
        values = takeDoubles(size_t(n));
        fillSeries(values.data(), n, named.constant);
        ctx.bytes += int64_t(n) * 8;
      }
    } else if (v.buffer >= 0) {
      values = ctx.take(v.buffer);
      // Operators give finite values or noValue, and some functions vouch for theirs; the
      // rest is cleaned here.
      if (!v.clean) cleanFunctionResult(values.data(), n);
    } else if (st.isOutput || !v.clean) {
      // A borrowed value: the input's, another statement's or a kept shared value.
      values = takeDoubles(size_t(n));
      std::copy(v.data, v.data + n, values.begin());
      if (!v.clean) cleanFunctionResult(values.data(), n);
      ctx.bytes += int64_t(n) * 8;
    } else {
      named = v;
    }
    named.clean = true;
    if (ctx.bytes > kMaxRunBytes) {
      ctx.fail(kTooMuchWorkMessage);
      return false;
    }
    if (st.isOutput) {
      OutputLine line;
      line.name = st.name;
      line.values = std::move(values);
      line.colour = st.colour;
      line.thickness = st.thickness;
      line.style = st.style;
      line.polyline = st.expr.kind == NodeCall && (st.expr.text == "POLYLINE" || st.expr.text == "PLOYLINE");
      outLines.push_back(std::move(line));
      if (named.data == nullptr && v.data) named.data = outLines.back().values.data();
    } else if (!values.empty()) {
      ctx.stored.push_back(std::move(values));
      named.data = ctx.stored.back().data();
    }
    if (!st.name.empty()) {
      named.buffer = -1;
      ctx.variables[st.name] = named;
    }
  }
  return true;
}

bool compileAndRunFormula(const FormulaDef& def, const FormulaInput& input, std::vector<OutputLine>& outLines,
                          std::vector<DrawingItem>& outDrawings, std::string& error) {
  CompiledFormula compiled;
  if (!compileFormula(def.source, def.params, compiled, error)) {
    for (OutputLine& line : outLines) giveDoubles(std::move(line.values));
    outLines.clear();
    outDrawings.clear();
    return false;
  }
  std::vector<double> defaults;
  defaults.reserve(def.params.size());
  for (const FormulaParam& p : def.params) defaults.push_back(p.defaultValue);
  return runFormula(compiled, input, defaults, outLines, outDrawings, error);
}

}  // namespace zor
