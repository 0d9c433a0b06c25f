// The program form of a formula: statements with expression trees and line attributes, as
// compileFormula builds them and the evaluator runs them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formula/formula.h"
#include "formula/lexer.h"

namespace zor {

// Keep the values: they are part of the program form other tools inspect.
enum NodeKind : int32_t {
  NodeNumber = 0,
  NodeString = 1,
  NodeVariable = 2,
  NodeCall = 3,
  NodeBinary = 4,
  NodeUnary = 5,
};

// Operators resolved when parsing, so the evaluator never compares texts. Keep in the order
// of kBinaryOperators in parser.cpp.
enum BinaryOp : int32_t {
  OpOr, OpAnd, OpGreater, OpLess, OpGreaterEq, OpLessEq, OpEqual, OpNotEqual, OpAdd, OpSub, OpMul, OpDiv,
  OpNegate, OpNot,  // unary
};

struct ExprNode {
  int32_t kind = NodeNumber;
  double number = 0;      // NodeNumber: the literal's value
  std::string text;       // Variable and Call: the identifier; Binary and Unary: the operator as written
  std::string string;     // NodeString: the literal's content
  std::vector<ExprNode> children;  // Call: arguments; Binary: left, right; Unary: the operand
  int32_t op = -1;        // Binary and Unary: the BinaryOp
  int32_t function = -1;  // Call: index in the function library, -1 for a name it lacks
  int32_t height = 1;     // levels of nodes from here down to the deepest leaf
  // Slot of a value that the formula computes more than once (the same pure expression over
  // the same variables, such as REF(CLOSE,1) written three times): a run computes it once and
  // hands the kept series to every later occurrence. -1 when the node is computed each time.
  int32_t shared = -1;
};

struct FormulaStatement {
  std::string name;       // empty for an unnamed statement
  bool isOutput = false;  // NAME:expr
  ExprNode expr;
  int32_t colour = -1;    // 0xRRGGBB, -1 when no colour was given
  int32_t thickness = 1;
  int32_t style = StyleLine;
  // A named element-wise statement that is not an output: a run does not store its series but
  // computes its expression where the name is used, fused into the arithmetic there.
  bool inlined = false;
};

struct CompiledFormula {
  std::vector<FormulaStatement> statements;
  std::vector<FormulaParam> params;  // names upper case
  int32_t sharedValues = 0;  // slots used by ExprNode::shared
  bool compiled = false;
};

// Limits that turn pathological text into a message instead of a stack overflow or a hang.
constexpr size_t kMaxFormulaBytes = 65536;
constexpr int kMaxFormulaNodes = 20000;
constexpr int kMaxFormulaNesting = 1000;

// Parses the tokens of one formula; on failure `error` holds one message.
bool parseFormula(const std::vector<FormulaToken>& tokens, std::vector<FormulaStatement>& statements,
                  std::string& error);
// The same, with the error's position (FormulaError in formula.h).
bool parseFormula(const std::vector<FormulaToken>& tokens, std::vector<FormulaStatement>& statements,
                  FormulaError& error);

// Finds the expressions that the statements compute more than once and numbers their slots
// (ExprNode::shared, CompiledFormula::sharedValues). Calls of drawing functions, unknown
// functions and whatever contains them are never shared: they have effects beyond their value.
// Also marks the statements that runs inline (FormulaStatement::inlined).
void markSharedValues(CompiledFormula& program);

// True when a call of `upperName` makes its statement a drawing statement.
bool isDrawingCallName(const std::string& upperName);

}  // namespace zor
