// Common subexpressions: every node gets a value number, equal for nodes that compute the
// same pure expression over the same variable bindings; numbers met more than once get a slot
// (ExprNode::shared) so that a run computes them once.
//
// A variable's number is the statement that last assigned its name before the statement being
// numbered (or the name itself when no statement did: a parameter, a data name or an unknown
// name), so `A:=C; X:MA(A,5); A:=O; Y:MA(A,5);` shares nothing.
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "formula/library.h"
#include "formula/parser.h"

namespace zor {

namespace {

struct KeyHash {
  size_t operator()(const std::vector<int64_t>& k) const {
    uint64_t h = 1469598103934665603ull;
    for (int64_t v : k) h = (h ^ uint64_t(v)) * 1099511628211ull;
    return size_t(h ^ (h >> 29));
  }
};

class Numbering {
 public:
  explicit Numbering(const std::vector<FormulaStatement>& statements) : statements_(statements) {}

  // The node's value number; -1 for a node with effects (never shared). Every node's number
  // is also appended to `order`, children before their parent.
  int64_t number(const ExprNode& node, size_t statement) {
    int64_t v = -1;
    switch (node.kind) {
      case NodeNumber: {
        int64_t bits;
        std::memcpy(&bits, &node.number, 8);
        v = intern({0, bits});
        break;
      }
      case NodeString: v = intern({1, nameId(node.string)}); break;
      case NodeVariable: v = intern({2, binding(node.text, statement)}); break;
      default: {
        std::vector<int64_t> key{3, node.kind, node.op, node.function};
        bool pure = node.kind != NodeCall || (node.function >= 0 && !isDrawingCallName(node.text));
        for (const ExprNode& c : node.children) {
          const int64_t cv = number(c, statement);
          if (cv < 0) pure = false;
          key.push_back(cv);
        }
        if (pure) v = intern(std::move(key));
      }
    }
    order.push_back(v);
    return v;
  }

  std::vector<int32_t> uses;
  std::vector<int64_t> order;

 private:
  int64_t intern(std::vector<int64_t>&& key) {
    auto it = ids_.emplace(std::move(key), int64_t(uses.size())).first;
    if (it->second == int64_t(uses.size())) uses.push_back(0);
    ++uses[size_t(it->second)];
    return it->second;
  }
  int64_t nameId(const std::string& s) { return names_.emplace(s, int64_t(names_.size())).first->second; }
  // Statement index (>= 0) of the latest assignment of `name` before `statement`, else a
  // negative id for the name.
  int64_t binding(const std::string& name, size_t statement) {
    for (size_t k = statement; k-- > 0;) {
      if (statements_[k].name == name) return int64_t(k);
    }
    return -1 - nameId(name);
  }

  const std::vector<FormulaStatement>& statements_;
  std::unordered_map<std::vector<int64_t>, int64_t, KeyHash> ids_;
  std::unordered_map<std::string, int64_t> names_;
};

// A shifted read of a variable (REF(CLOSE,1)) costs nothing inside fused arithmetic, so it is
// recomputed rather than kept.
bool cheapToRepeat(const ExprNode& node) {
  if (node.kind != NodeCall || node.children.size() != 2) return false;
  if (node.text != "REF" && node.text != "REFV") return false;
  return node.children[0].kind == NodeVariable && node.children[1].kind == NodeNumber;
}

// Inlining is for short expressions: a name used twice in the next statement, and so on, must
// not double the work at each step.
constexpr int kMaxInlinedNodes = 24;

// Marks the statements a run inlines: not an output, named, the only assignment of a name that
// is neither a parameter nor a data name, and made only of operators, fused calls, numbers,
// data names, parameters and names of earlier statements. Such a statement cannot fail and has
// no effects, so computing it where it is used changes nothing but the work. The names it reads
// are assigned once, earlier, so they mean the same wherever it is used.
void markInlinedStatements(CompiledFormula& program) {
  std::unordered_map<std::string, int> assignments;
  for (const FormulaStatement& st : program.statements) {
    if (!st.name.empty()) ++assignments[st.name];
  }
  auto isParam = [&](const std::string& name) {
    for (const FormulaParam& p : program.params) {
      if (p.name == name) return true;
    }
    return false;
  };
  // Names assigned once by a statement already passed: expanded node count when inlined, 1 when
  // stored (a stored value never changes afterwards, so reading it later is the same).
  std::unordered_map<std::string, int> definedOnce;
  for (FormulaStatement& st : program.statements) {
    const bool once = !st.name.empty() && assignments[st.name] == 1;
    if (st.isOutput || !once || isParam(st.name) || isDataName(st.name)) {
      if (once) definedOnce[st.name] = 1;
      continue;
    }
    int total = 0;
    bool ok = true;
    std::vector<const ExprNode*> stack{&st.expr};
    while (ok && !stack.empty()) {
      const ExprNode& node = *stack.back();
      stack.pop_back();
      if (node.kind == NodeNumber) {
        ++total;
      } else if (node.kind == NodeVariable) {
        auto it = definedOnce.find(node.text);
        if (it != definedOnce.end()) total += it->second;
        else if (assignments.count(node.text) == 0 && (isParam(node.text) || isDataName(node.text))) ++total;
        else ok = false;
      } else if (isElementwiseNode(node)) {
        ++total;
        for (const ExprNode& c : node.children) stack.push_back(&c);
      } else {
        ok = false;
      }
      if (total > kMaxInlinedNodes) ok = false;
    }
    st.inlined = ok;
    definedOnce[st.name] = ok ? total : 1;
  }
}

}  // namespace

void markSharedValues(CompiledFormula& program) {
  markInlinedStatements(program);
  Numbering numbering(program.statements);
  for (size_t s = 0; s < program.statements.size(); ++s) numbering.number(program.statements[s].expr, s);
  // Second walk in the same order (children before their parent): numbers used twice or more
  // get a slot.
  std::vector<int32_t> slotOf(numbering.uses.size(), -1);
  int32_t slots = 0;
  size_t next = 0;
  struct Frame {
    ExprNode* node;
    size_t child;
  };
  std::vector<Frame> stack;
  for (FormulaStatement& st : program.statements) {
    stack.push_back({&st.expr, 0});
    while (!stack.empty()) {
      Frame& f = stack.back();
      if (f.child < f.node->children.size()) {
        ExprNode* c = &f.node->children[f.child++];
        stack.push_back({c, 0});
        continue;
      }
      ExprNode& node = *f.node;
      stack.pop_back();
      const int64_t v = numbering.order[next++];
      const bool computed = node.kind == NodeCall || node.kind == NodeBinary || node.kind == NodeUnary;
      if (computed && v >= 0 && numbering.uses[size_t(v)] >= 2 && !cheapToRepeat(node)) {
        if (slotOf[size_t(v)] < 0) slotOf[size_t(v)] = slots++;
        node.shared = slotOf[size_t(v)];
      }
    }
  }
  program.sharedValues = slots;
}

}  // namespace zor
