// Fused element-wise evaluation. An operator together with the operators and element-wise
// calls below it (ABS, MAX, MIN, IF, IFF, IFN, REF with a number or a name as period, and the
// linear recursive smoothings EMA, SMA, ... whose running value is carried from block to
// block) runs as one small program over blocks of bars: every step works on a block held in a register of
// kBlock doubles, and only the final step writes the result series. A chain such as
// MAX(MAX(H-L,ABS(H-REF(C,1))),ABS(REF(C,1)-L)) thus reads its inputs once and writes once,
// instead of making a series per node.
//
// The values are exactly those of the node-by-node evaluation: each step applies the same
// operation to the same operands, element by element. The nodes that are not fused (other
// calls, variables, shared expressions) are evaluated in the order the node-by-node
// evaluation meets them, so messages and drawings come in the same order.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("tree-vectorize")
#endif

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <memory>

#include "formula/library.h"

namespace zor {

namespace {

constexpr int kBlock = 256;
constexpr int kRegisters = 24;
constexpr int kMaxLeaves = 64;
constexpr int kMaxSteps = 128;
constexpr int kMaxInlined = 16;

enum StepCode : uint8_t {
  KOr, KAnd, KGreater, KLess, KGreaterEq, KLessEq, KEqual, KNotEqual, KAdd, KSub, KMul, KDiv,  // = BinaryOp
  KNegate, KNot, KAbs, KMax, KMin, KIf, KIfn, KCopy,
  KSmooth,  // y = y*keep + x*alpha, y carried from block to block
};

// An operand: a leaf (>= 0) or a register (-1 - r).
struct Step {
  uint8_t code;
  int8_t dst;  // register
  int16_t src[3];
  double keep = 0, alpha = 0, state = 0;  // KSmooth
};

struct Leaf {
  SeriesValue value;
  bool clean = false;  // holds only finite values and noValue (SeriesValue::clean)
  bool shifted = false;
  int64_t shift = 0;  // REF's period: the leaf reads bar i - shift
};

enum FusedCall : int8_t { CallNone, CallAbs, CallMax, CallMin, CallIf, CallIfn, CallRef, CallSmooth };

FusedCall fusedCallOf(const ExprNode& node) {
  if (node.kind != NodeCall || node.function < 0) return CallNone;
  size_t count = 0;
  const LibraryFunction& f = libraryFunctions(count)[node.function];
  const size_t args = node.children.size();
  if (f.fn == fn::abs_ && args <= 1) return CallAbs;
  if (f.fn == fn::max_ && args <= 2) return CallMax;
  if (f.fn == fn::min_ && args <= 2) return CallMin;
  if (f.fn == fn::if_ && args <= 3) return CallIf;
  if (f.fn == fn::ifn && args <= 3) return CallIfn;
  if (args >= 1 && args <= size_t(f.maxArgs) &&
      (f.fn == fn::ema || f.fn == fn::sma || f.fn == fn::xma || f.fn == fn::mema || f.fn == fn::tma || f.fn == fn::ama)) {
    return CallSmooth;
  }
  if (f.fn == fn::ref && args == 2 &&
      (node.children[1].kind == NodeNumber || node.children[1].kind == NodeVariable)) {
    return CallRef;
  }
  return CallNone;
}

inline double finite(double r) { return std::fabs(r) <= DBL_MAX ? r : noValue; }

// The steps, built for the baseline instruction set and, where the compiler can target it, for
// AVX2 (four doubles per instruction instead of two); a run takes the wider form when the
// processor has it.
namespace portable {
#include "formula/fused_steps.inc"
}  // namespace portable

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define ZOR_WIDE_STEPS 1
#pragma GCC push_options
#pragma GCC target("avx2")
namespace wide {
#include "formula/fused_steps.inc"
}  // namespace wide
#pragma GCC pop_options
#endif

using StepFn = void (*)(uint8_t code, double* o, const double* a, const double* b, const double* c, int len);

StepFn chooseSteps(bool wide) {
#ifdef ZOR_WIDE_STEPS
  if (wide && __builtin_cpu_supports("avx2")) return wide::runStep;
#endif
  (void)wide;
  return portable::runStep;
}

StepFn& stepFunction() {
  static StepFn steps = chooseSteps(true);
  return steps;
}

// Builds the program of one fused tree, evaluating the other nodes as they are met.
class KernelBuilder {
 public:
  explicit KernelBuilder(EvalContext& ctx) : ctx_(ctx) {
    for (int r = kRegisters - 1; r >= 0; --r) free_[freeCount_++] = int8_t(r);
  }

  // The operand holding the node's value. The root is always fused; below it a node is
  // fused while the program has room for it, else it becomes a leaf.
  int16_t operand(const ExprNode& node, bool root = false) {
    --pending_;  // this operand's slot is being filled
    if (node.kind == NodeVariable) {
      auto it = ctx_.variables.find(node.text);
      if (it != ctx_.variables.end() && it->second.expr) {  // an inlined statement
        const ExprNode* expr = it->second.expr;
        // Computed once per block: later uses in this program read the same operand.
        for (int k = 0; k < inlinedCount_; ++k) {
          if (inlined_[k] == expr) return inlinedOperand_[k];
        }
        ++pending_;
        const int16_t o = operand(*expr);
        // A register is kept for the rest of the program only while one stays free, so every
        // step still finds a register to write.
        if (inlinedCount_ < kMaxInlined && (o >= 0 || freeCount_ >= 1)) {
          if (o < 0) kept_[-1 - o] = true;
          inlined_[inlinedCount_] = expr;
          inlinedOperand_[inlinedCount_++] = o;
        }
        return o;
      }
    }
    const FusedCall call = fusedCallOf(node);
    const int slots = operandCount(node, call);
    const bool fuse = root || (node.shared < 0 && slots > 0 && freeCount_ >= 1 && planned_ < kMaxSteps &&
                               leafCount_ + pending_ + slots <= kMaxLeaves);
    if (!fuse) return leaf(ctx_.evaluate(node));
    ++planned_;
    pending_ += slots;
    int16_t src[3] = {0, 0, 0};
    uint8_t code;
    if (node.kind == NodeBinary || node.kind == NodeUnary) {
      for (int k = 0; k < slots; ++k) src[k] = operand(node.children[size_t(k)]);
      code = uint8_t(node.op == OpNegate ? KNegate : node.op == OpNot ? KNot : node.op);
    } else if (call == CallRef) {
      --pending_;
      SeriesValue x = ctx_.evaluate(node.children[0]);
      SeriesValue p = ctx_.evaluate(node.children[1]);  // a number or a name: no effects
      int16_t l;
      if (p.data) {  // a period per bar: the library's REF, its result a leaf
        SeriesValue args[2] = {x, p};
        SeriesValue r;
        r.buffer = ctx_.acquire();
        r.data = ctx_.bufferData(r.buffer);
        if (ctx_.charge(ctx_.n)) {
          CallArgs call{ctx_, node, args, 2, ctx_.n};
          fn::ref(call, ctx_.bufferData(r.buffer));
          r.clean = call.clean;
        }
        ctx_.releaseValue(args[0]);
        ctx_.releaseValue(args[1]);
        l = leaf(r);
      } else if (!isValid(p.constant)) {  // a missing period: every bar missing
        ctx_.releaseValue(x);
        l = leaf(missingValue());
      } else {
        l = shiftedLeaf(x, roundToInt(p.constant, 1));
      }
      hasCall_ = true;
      if (!root) {  // the shifted leaf itself is the operand; no step
        --planned_;
        return l;
      }
      src[0] = l;
      code = KCopy;
    } else if (call == CallSmooth) {
      src[0] = operand(node.children[0]);
      // The weights come from the other arguments, evaluated after the first as a call's are.
      SeriesValue args[3];
      const int given = int(node.children.size());
      for (int k = 1; k < given; ++k) args[k] = ctx_.evaluate(node.children[size_t(k)]);
      CallArgs weights{ctx_, node, args, given, ctx_.n};
      double keep = 0, alpha = 0;
      size_t count = 0;
      linearSmoothingWeights(libraryFunctions(count)[node.function].fn, weights, keep, alpha);
      for (int k = 1; k < given; ++k) ctx_.releaseValue(args[k]);
      for (int k = 0; k < slots; ++k) {
        if (src[k] < 0 && !kept_[-1 - src[k]]) free_[freeCount_++] = int8_t(-1 - src[k]);
      }
      Step st{KSmooth, free_[--freeCount_], {src[0], 0, 0}};
      clean_[st.dst] = false;  // a smoothing may grow past the largest double
      st.keep = keep;
      st.alpha = alpha;
      st.state = noValue;
      hasCall_ = true;
      steps_[stepCount_++] = st;
      return int16_t(-1 - st.dst);
    } else {
      static constexpr uint8_t kCodes[] = {0, KAbs, KMax, KMin, KIf, KIfn};
      code = kCodes[call];
      const int given = int(node.children.size());
      for (int k = 0; k < slots; ++k) {
        if (k < given) {
          src[k] = operand(node.children[size_t(k)]);
        } else {
          --pending_;
          src[k] = leaf(missingValue());
        }
      }
      hasCall_ = true;
    }
    // Operand registers are free again once read; the step may write into one of them.
    for (int k = 0; k < slots; ++k) {
      if (src[k] < 0 && !kept_[-1 - src[k]]) free_[freeCount_++] = int8_t(-1 - src[k]);
    }
    Step s{code, free_[--freeCount_], {src[0], src[1], src[2]}};
    clean_[s.dst] = stepIsClean(code, src);
    steps_[stepCount_++] = s;
    return int16_t(-1 - s.dst);
  }

  // Runs the program; the result is a constant when every leaf is one and no call was fused.
  SeriesValue run(int16_t root) {
    SeriesValue r;
    const int n = ctx_.n;
    if (ctx_.failed()) {
      releaseLeaves();
      r.constant = noValue;
      return r;
    }
    bool allConstant = !hasCall_;
    for (int k = 0; k < leafCount_; ++k) allConstant = allConstant && !leaves_[k].value.data;
    double* regs = registers();
    if (allConstant) {
      const double* ptr[kMaxLeaves];
      for (int k = 0; k < leafCount_; ++k) ptr[k] = &leaves_[k].value.constant;
      execute(ptr, regs, &r.constant, 1);
      return r;
    }
    if (!ctx_.charge(int64_t(n) * stepCount_)) {
      releaseLeaves();
      r.constant = noValue;
      return r;
    }
    // The result overwrites an owned leaf that is read in place, else a new buffer.
    for (int k = 0; k < leafCount_ && r.buffer < 0; ++k) {
      if (leaves_[k].value.buffer >= 0 && !leaves_[k].shifted) {
        r.buffer = leaves_[k].value.buffer;
        leaves_[k].value.buffer = -1;
      }
    }
    if (r.buffer < 0) r.buffer = ctx_.acquire();
    double* out = ctx_.bufferData(r.buffer);
    r.data = out;
    // Constant leaves read from a register filled once.
    double* constants = regs + kRegisters * kBlock;
    double* shiftArea = constants + kMaxLeaves * kBlock;
    for (int k = 0; k < leafCount_; ++k) {
      if (!leaves_[k].value.data) fillSeries(constants + k * kBlock, kBlock, leaves_[k].value.constant);
    }
    const double* ptr[kMaxLeaves];
    for (int base = 0; base < n; base += kBlock) {
      const int len = std::min(kBlock, n - base);
      for (int k = 0; k < leafCount_; ++k) {
        const Leaf& l = leaves_[k];
        if (!l.shifted) {
          ptr[k] = l.value.data ? l.value.data + base : constants + k * kBlock;
          continue;
        }
        const int64_t from = int64_t(base) - l.shift;
        if (l.value.data && from >= 0 && from + len <= n) {
          ptr[k] = l.value.data + from;
          continue;
        }
        double* area = shiftArea + k * kBlock;
        for (int j = 0; j < len; ++j) {
          const int64_t at = from + j;
          area[j] = at < 0 || at >= n ? noValue : l.value.data ? l.value.data[at] : l.value.constant;
        }
        ptr[k] = area;
      }
      execute(ptr, regs, out + base, len);
    }
    releaseLeaves();
    // Operators write finite values or noValue; the other steps pass values on.
    r.clean = clean_[steps_[stepCount_ - 1].dst];
    return r;
  }

 private:
  static int operandCount(const ExprNode& node, FusedCall call) {
    if (node.kind == NodeBinary) return 2;
    if (node.kind == NodeUnary) return 1;
    static constexpr int kArgs[] = {0, 1, 2, 2, 3, 3, 1, 1};
    return kArgs[call];
  }

  bool operandIsClean(int16_t s) const { return s >= 0 ? leaves_[s].clean : clean_[-1 - s]; }

  // Arithmetic turns what is not finite into noValue and comparisons give 0 or 1; the other
  // steps pass values on, clean when the values they pass are.
  bool stepIsClean(uint8_t code, const int16_t* src) const {
    switch (code) {
      case KNegate:
      case KAbs:
      case KCopy: return operandIsClean(src[0]);
      case KMax:
      case KMin: return operandIsClean(src[0]) && operandIsClean(src[1]);
      case KIf:
      case KIfn: return operandIsClean(src[1]) && operandIsClean(src[2]);
      case KSmooth: return false;
      default: return true;
    }
  }

  SeriesValue missingValue() {
    SeriesValue v;
    v.constant = noValue;
    return v;
  }

  int16_t leaf(SeriesValue v) {
    // Equal constants and equal series read in place share one leaf.
    for (int k = 0; k < leafCount_; ++k) {
      const Leaf& l = leaves_[k];
      if (l.shifted || l.value.buffer >= 0 || v.buffer >= 0 || l.value.data != v.data) continue;
      if (v.data || l.value.constant == v.constant) return int16_t(k);
    }
    leaves_[leafCount_].value = v;
    leaves_[leafCount_].clean = v.data ? v.clean : isCleanNumber(v.constant);
    return int16_t(leafCount_++);
  }

  int16_t shiftedLeaf(SeriesValue v, int64_t shift) {
    for (int k = 0; k < leafCount_; ++k) {
      const Leaf& l = leaves_[k];
      if (!l.shifted || l.shift != shift || l.value.buffer >= 0 || v.buffer >= 0 || l.value.data != v.data) continue;
      if (v.data || l.value.constant == v.constant) return int16_t(k);
    }
    leaves_[leafCount_].value = v;
    leaves_[leafCount_].clean = v.data ? v.clean : isCleanNumber(v.constant);  // bars before the first read noValue
    leaves_[leafCount_].shifted = true;
    leaves_[leafCount_].shift = shift;
    return int16_t(leafCount_++);
  }

  void releaseLeaves() {
    for (int k = 0; k < leafCount_; ++k) ctx_.releaseValue(leaves_[k].value);
  }

  double* registers() {
    const size_t size = size_t(kRegisters + 2 * kMaxLeaves) * kBlock;
    if (ctx_.kernelMemory.size() < size) {
      ctx_.kernelMemory = takeKernelMemory();
      ctx_.kernelMemory.resize(size);  // zeros only the first time on the thread
    }
    return ctx_.kernelMemory.data();
  }

  // The steps over one block; the last one writes to `out`.
  void execute(const double* const* ptr, double* regs, double* out, int len) {
    auto at = [&](int16_t s) -> const double* { return s >= 0 ? ptr[s] : regs + (-1 - s) * kBlock; };
    const StepFn steps = stepFunction();
    for (int k = 0; k < stepCount_; ++k) {
      Step& s = steps_[k];
      double* o = k + 1 == stepCount_ ? out : regs + s.dst * kBlock;
      if (s.code == KSmooth) {
        linearSmoothBlock(at(s.src[0]), len, o, s.keep, s.alpha, s.state);
      } else {
        steps(s.code, o, at(s.src[0]), at(s.src[1]), at(s.src[2]), len);
      }
    }
  }

  EvalContext& ctx_;
  Leaf leaves_[kMaxLeaves];
  int leafCount_ = 0;
  Step steps_[kMaxSteps];
  int stepCount_ = 0;
  int8_t free_[kRegisters];
  int freeCount_ = 0;
  int planned_ = 0;  // fused nodes entered; each adds one step
  bool kept_[kRegisters] = {};  // registers holding an inlined statement's value
  bool clean_[kRegisters] = {};  // the step writing the register gives clean values
  const ExprNode* inlined_[kMaxInlined];
  int16_t inlinedOperand_[kMaxInlined];
  int inlinedCount_ = 0;
  int pending_ = 1;  // operands not yet started, each needing at most one leaf
  bool hasCall_ = false;
};

}  // namespace

bool anyNonFinite(const double* values, int n) {
  // v*0 is a zero for a finite v and a NaN for an infinity or a NaN, and a NaN stays in a sum:
  // eight independent sums of them, which the compiler packs into vector registers, find
  // either kind at a few elements per cycle.
  double s0 = 0, s1 = 0, s2 = 0, s3 = 0, s4 = 0, s5 = 0, s6 = 0, s7 = 0;
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const double* v = values + i;
    s0 += v[0] * 0.0;
    s1 += v[1] * 0.0;
    s2 += v[2] * 0.0;
    s3 += v[3] * 0.0;
    s4 += v[4] * 0.0;
    s5 += v[5] * 0.0;
    s6 += v[6] * 0.0;
    s7 += v[7] * 0.0;
  }
  double total = ((s0 + s1) + (s2 + s3)) + ((s4 + s5) + (s6 + s7));
  for (; i < n; ++i) total += values[i] * 0.0;
  return !(total == 0);
}

void cleanFunctionResult(double* values, int n) {
  // A read-only scan first: most results hold neither an infinity nor a NaN to make noValue.
  if (!anyNonFinite(values, n)) return;
  for (int i = 0; i < n; ++i) values[i] = finite(values[i]);
}

bool useWideSteps(bool enabled) {
  stepFunction() = chooseSteps(enabled);
  return wideSteps();
}

bool wideSteps() { return stepFunction() != portable::runStep; }

bool isFusedNode(const ExprNode& node) {
  return node.kind == NodeBinary || node.kind == NodeUnary || fusedCallOf(node) != CallNone;
}

bool isElementwiseNode(const ExprNode& node) {
  return isFusedNode(node) && fusedCallOf(node) != CallSmooth;
}

SeriesValue EvalContext::evaluateFused(const ExprNode& node) {
  // On the heap: a builder holds some kilobytes, and fused trees nest through the calls
  // between them (ABS(MA(ABS(MA(...))))) as deep as the parser allows.
  auto builder = std::make_unique<KernelBuilder>(*this);
  const int16_t root = builder->operand(node, true);
  return builder->run(root);
}

}  // namespace zor
