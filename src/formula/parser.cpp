// Recursive-descent parser over the tokens of one formula, and compileFormula with its two
// program checks. Binary operators are parsed by precedence climbing over one table, so a
// chain such as A+B+C+... costs a loop, not a recursion per term.
//
// Limits: the parser counts nesting (each parenthesis, argument list and unary operator
// entered, and each binary operator whose left operand is itself a binary node) and the
// height of every node it builds. Both stay within kMaxFormulaNesting, so the evaluator's and
// the destructor's recursion stay within about a thousand frames whatever the text.
#include "formula/parser.h"

#include <cstring>
#include <memory>
#include <string_view>

#include "formula/library.h"
#include "platform/text.h"

namespace zor {

namespace {

struct BinaryOperator {
  std::string_view text;
  bool identifier;  // written as a word (OR, AND)
  int32_t op;
  int priority;     // higher binds tighter
};
// Keep in the order of BinaryOp.
constexpr BinaryOperator kBinaryOperators[] = {
    {"OR", true, OpOr, 1},       {"||", false, OpOr, 1},      {"AND", true, OpAnd, 2},     {"&&", false, OpAnd, 2},
    {">", false, OpGreater, 3},  {"<", false, OpLess, 3},     {">=", false, OpGreaterEq, 3}, {"<=", false, OpLessEq, 3},
    {"=", false, OpEqual, 3},    {"==", false, OpEqual, 3},   {"<>", false, OpNotEqual, 3}, {"!=", false, OpNotEqual, 3},
    {"+", false, OpAdd, 4},      {"-", false, OpSub, 4},      {"*", false, OpMul, 5},      {"/", false, OpDiv, 5},
};

// Names that may be written without parentheses and then mean a call without arguments.
constexpr std::string_view kBareCallNames[] = {"DATE", "TIME", "YEAR", "MONTH", "DAY", "HOUR", "MINUTE", "WEEK",
                                          "FROMOPEN", "CURRBARSCOUNT", "TOTALBARSCOUNT", "BARSCOUNT",
                                          "ISLASTBAR", "DRAWNULL", "ISNULL"};

struct ColourName {
  const char* name;
  int32_t rgb;
};
constexpr ColourName kColourNames[] = {
    {"COLORBLACK", 0x000000},    {"COLORBLUE", 0x0000FF},       {"COLORGREEN", 0x00FF00},
    {"COLORCYAN", 0x00FFFF},     {"COLORRED", 0xFF0000},        {"COLORMAGENTA", 0xFF00FF},
    {"COLORBROWN", 0x804000},    {"COLORWHITE", 0xFFFFFF},      {"COLORGRAY", 0x808080},
    {"COLORLIGRAY", 0xC0C0C0},   {"COLORLIRED", 0xFF9696},      {"COLORLIGREEN", 0x96FF96},
    {"COLORLIBLUE", 0x9696FF},   {"COLORLICYAN", 0x96FFFF},     {"COLORLIMAGENTA", 0xFF96FF},
    {"COLORYELLOW", 0xFFFF00},   {"COLORLIGHTGRAY", 0xC0C0C0},  {"COLORLIGHTRED", 0xFF9696},
    {"COLORLIGHTGREEN", 0x96FF96}, {"COLORLIGHTBLUE", 0x9696FF},
};

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Applies one modifier identifier to the statement; unknown ones are ignored.
void applyModifier(FormulaStatement& st, const std::string& m) {
  struct StyleName {
    const char* name;
    int32_t style;
  };
  static constexpr StyleName kStyles[] = {
      {"COLORSTICK", StyleColorStick}, {"VOLSTICK", StyleVolStick}, {"STICK", StyleStick},
      {"CIRCLEDOT", StyleCircleDot},   {"POINTDOT", StylePointDot}, {"DOTLINE", StyleDotLine},
      {"LINEDOT", StyleDotLine},       {"CROSSDOT", StyleCrossDot}, {"NODRAW", StyleNoDraw},
  };
  for (const StyleName& s : kStyles) {
    if (m == s.name) {
      st.style = s.style;
      return;
    }
  }
  if (m.size() > 9 && startsWith(m, "LINETHICK")) {
    // The value is held at 6 once it passes 5, so a long digit run cannot overflow.
    int value = 0;
    for (size_t k = 9; k < m.size() && m[k] >= '0' && m[k] <= '9'; ++k) {
      value = value * 10 + (m[k] - '0');
      if (value > 5) value = 6;
    }
    if (value >= 1 && value <= 5) st.thickness = value;
    return;
  }
  if (startsWith(m, "PRECIS")) return;
  if (m.size() == 11 && startsWith(m, "COLOR")) {
    int32_t rgb = 0;
    bool hex = true;
    for (size_t k = 5; k < 11 && hex; ++k) {
      int d = hexDigit(m[k]);
      if (d < 0) hex = false;
      rgb = rgb * 16 + d;
    }
    if (hex) {
      st.colour = rgb;
      return;
    }
  }
  for (const ColourName& c : kColourNames) {
    if (m == c.name) {
      st.colour = c.rgb;
      return;
    }
  }
}

class Parser {
 public:
  Parser(const std::vector<FormulaToken>& tokens, FormulaError& error) : toks_(tokens), error_(error) {}

  bool run(std::vector<FormulaStatement>& statements) {
    while (cur().kind != TokenEnd) {
      FormulaStatement st;
      if (cur().kind == TokenIdentifier && isAssign(peek())) {
        st.name = cur().text;
        st.isOutput = peek().text == ":";
        pos_ += 2;
      }
      subexpr(0, st.expr);
      if (failed()) return false;
      while (isOperator(cur(), ",")) {
        ++pos_;
        if (cur().kind != TokenIdentifier) return fail("修饰符位置应为标识符", cur());
        applyModifier(st, cur().text);
        ++pos_;
      }
      if (isOperator(cur(), ";")) {
        ++pos_;
      } else if (cur().kind != TokenEnd && !(cur().kind == TokenIdentifier && isAssign(peek()))) {
        return fail("语句之间需要用分号 ';' 分隔（位置 " + std::to_string(cur().position) + "）", cur());
      }
      statements.push_back(std::move(st));
    }
    return true;
  }

 private:
  const FormulaToken& cur() const { return toks_[pos_]; }
  // The End token is last, so looking past it stays on it.
  const FormulaToken& peek() const { return toks_[pos_ + 1 < toks_.size() ? pos_ + 1 : pos_]; }
  static bool isOperator(const FormulaToken& t, std::string_view text) { return t.kind == TokenOperator && t.text == text; }
  static bool isAssign(const FormulaToken& t) { return isOperator(t, ":") || isOperator(t, ":="); }
  bool failed() const { return !error_.message.empty(); }
  // Keeps the first message, with the position of the token it is about.
  bool fail(std::string message, const FormulaToken& at) {
    if (error_.message.empty()) {
      error_.message = std::move(message);
      error_.position = at.position;
    }
    return false;
  }

  bool enter(const FormulaToken& at) {
    if (++depth_ > kMaxFormulaNesting) return fail(nestingMessage(at), at);
    return true;
  }
  static std::string nestingMessage(const FormulaToken& at) {
    return strPrintf("表达式嵌套过深（位置 %lld）", (long long)at.position);
  }

  // Counts the node and checks its height; false (with the message) past a limit.
  bool admit(ExprNode& node, const FormulaToken& at) {
    int32_t h = 0;
    for (const ExprNode& c : node.children) h = c.height > h ? c.height : h;
    node.height = h + 1;
    if (node.height > kMaxFormulaNesting) return fail(nestingMessage(at), at);
    if (++nodes_ > kMaxFormulaNodes) return fail("公式过于复杂（表达式节点超过 20000 个）", at);
    return true;
  }

  const BinaryOperator* binaryAt(const FormulaToken& t) const {
    if (t.kind != TokenOperator && t.kind != TokenIdentifier) return nullptr;
    for (const BinaryOperator& b : kBinaryOperators) {
      if (b.identifier == (t.kind == TokenIdentifier) && t.text == b.text) return &b;
    }
    return nullptr;
  }

  // The parse functions write into `out` instead of returning a node, and build new nodes on
  // the heap, so that each level of recursion keeps only a few words on the stack.
  void subexpr(int limit, ExprNode& out) {
    unary(out);
    int chained = 0;
    while (!failed()) {
      const FormulaToken& opTok = cur();
      const BinaryOperator* b = binaryAt(opTok);
      if (!b || b->priority <= limit) break;
      if (out.kind == NodeBinary) {
        ++chained;
        if (!enter(opTok)) break;
      }
      ++pos_;
      auto node = std::make_unique<ExprNode>();
      node->kind = NodeBinary;
      node->text = opTok.text;
      node->op = b->op;
      node->children.reserve(2);
      node->children.push_back(std::move(out));
      node->children.emplace_back();
      subexpr(b->priority, node->children[1]);
      if (failed()) break;
      if (!admit(*node, opTok)) break;
      out = std::move(*node);
    }
    depth_ -= chained;
  }

  // Prefix operators are collected in a loop and applied after the operand, so a long run of
  // them costs no recursion.
  void unary(ExprNode& out) {
    struct Prefix {
      size_t token;
      int32_t op;  // -1 for a prefix + (no node)
    };
    std::vector<Prefix> prefixes;
    for (;;) {
      const FormulaToken& t = cur();
      int32_t op;
      if (isOperator(t, "-")) {
        op = OpNegate;
      } else if (isOperator(t, "+")) {
        op = -1;
      } else if (isOperator(t, "!") || (t.kind == TokenIdentifier && t.text == "NOT")) {
        op = OpNot;
      } else {
        break;
      }
      if (!enter(t)) {
        depth_ -= int(prefixes.size()) + 1;
        return;
      }
      prefixes.push_back({pos_, op});
      ++pos_;
    }
    primary(out);
    for (size_t k = prefixes.size(); k-- > 0 && !failed();) {
      if (prefixes[k].op < 0) continue;
      auto u = std::make_unique<ExprNode>();
      u->kind = NodeUnary;
      u->op = prefixes[k].op;
      u->text = prefixes[k].op == OpNegate ? "-" : "NOT";
      u->children.push_back(std::move(out));
      if (!admit(*u, toks_[prefixes[k].token])) break;
      out = std::move(*u);
    }
    depth_ -= int(prefixes.size());
  }

  void primary(ExprNode& out) {
    const FormulaToken& t = cur();
    if (t.kind == TokenNumber) {
      out.kind = NodeNumber;
      out.number = t.number;
      ++pos_;
      admit(out, t);
      return;
    }
    if (t.kind == TokenString) {
      out.kind = NodeString;
      out.string = t.text;
      ++pos_;
      admit(out, t);
      return;
    }
    if (isOperator(t, "(")) {
      if (!enter(t)) return;
      ++pos_;
      subexpr(0, out);
      --depth_;
      if (!failed() && !isOperator(cur(), ")")) {
        fail("缺少右括号 ')'", cur());
        return;
      }
      ++pos_;
      return;
    }
    if (t.kind == TokenIdentifier) {
      out.text = t.text;
      if (isOperator(peek(), "(")) {
        call(out);
        return;
      }
      out.kind = NodeVariable;
      for (std::string_view bare : kBareCallNames) {
        if (out.text == bare) {
          out.kind = NodeCall;
          out.function = findLibraryFunction(out.text);
          break;
        }
      }
      ++pos_;
      admit(out, t);
      return;
    }
    syntaxError(t);
  }

  void call(ExprNode& out) {
    const FormulaToken& name = cur();
    out.kind = NodeCall;
    out.function = findLibraryFunction(out.text);
    if (!enter(peek())) return;
    pos_ += 2;
    if (!isOperator(cur(), ")")) {
      for (;;) {
        out.children.emplace_back();
        subexpr(0, out.children.back());
        if (failed() || !isOperator(cur(), ",")) break;
        ++pos_;
      }
    }
    --depth_;
    if (failed()) return;
    if (!isOperator(cur(), ")")) {
      fail("函数 " + out.text + " 缺少右括号 ')'", cur());
      return;
    }
    ++pos_;
    admit(out, name);
  }

  void syntaxError(const FormulaToken& t) {
    fail("表达式语法错误：位置 " + std::to_string(t.position) + " 处为 '" +
             (t.kind == TokenEnd ? std::string("<结束>") : t.text) + "'",
         t);
  }

  const std::vector<FormulaToken>& toks_;
  FormulaError& error_;
  size_t pos_ = 0;
  int depth_ = 0;
  int nodes_ = 0;
};

// The tree's height is bounded by the parser, so this recursion is too.
bool containsDrawingCall(const ExprNode& node) {
  if (node.kind == NodeCall && isDrawingCallName(node.text)) return true;
  for (const ExprNode& c : node.children) {
    if (containsDrawingCall(c)) return true;
  }
  return false;
}

}  // namespace

bool isDrawingCallName(const std::string& n) {
  return startsWith(n, "DRAW") || n == "STICKLINE" || n == "PARTLINE" || n == "PLOYLINE" || n == "POLYLINE" ||
         n == "VERTLINE" || n == "FILLRGN";
}

bool parseFormula(const std::vector<FormulaToken>& tokens, std::vector<FormulaStatement>& statements,
                  std::string& message) {
  FormulaError error;
  const bool ok = parseFormula(tokens, statements, error);
  message = std::move(error.message);
  return ok;
}

bool parseFormula(const std::vector<FormulaToken>& tokens, std::vector<FormulaStatement>& statements,
                  FormulaError& error) {
  statements.clear();
  error = FormulaError();
  if (tokens.empty() || tokens.back().kind != TokenEnd) {
    error.message = "表达式语法错误：位置 0 处为 '<结束>'";
    error.position = 0;
    return false;
  }
  Parser parser(tokens, error);
  return parser.run(statements);
}

bool compileFormula(const std::string& text, const std::vector<FormulaParam>& params, CompiledFormula& out,
                    std::string& message) {
  FormulaError error;
  const bool ok = compileFormula(text, params, out, error);
  message = std::move(error.message);
  return ok;
}

bool compileFormula(const std::string& text, const std::vector<FormulaParam>& params, CompiledFormula& out,
                    FormulaError& error) {
  error = FormulaError();
  out = CompiledFormula();
  if (text.size() > kMaxFormulaBytes) {
    error.message = "公式过长（超过 65536 字节）";
    return false;
  }
  std::vector<FormulaToken> tokens;
  if (!tokenizeFormula(text, tokens, error)) return false;
  if (!parseFormula(tokens, out.statements, error)) {
    out.statements.clear();
    return false;
  }
  if (out.statements.empty()) {
    error.message = "公式内容为空";
    return false;
  }
  bool drawsOrOutputs = false;
  for (const FormulaStatement& st : out.statements) {
    if (st.isOutput || containsDrawingCall(st.expr)) {
      drawsOrOutputs = true;
      break;
    }
  }
  if (!drawsOrOutputs) {
    out.statements.clear();
    error.message = "公式既没有输出线也没有绘图语句。输出线写法：`名称:表达式;`；绘图写法：`STICKLINE(...);`、`DRAWTEXT(...);` 等。";
    return false;
  }
  out.params = params;
  // Parameter names are matched against upper-cased formula text.
  for (FormulaParam& p : out.params) p.name = toUpperAscii(p.name);
  markSharedValues(out);
  out.compiled = true;
  return true;
}

}  // namespace zor
