// Compile errors carry their position beside the message: the number the message prints where
// it prints one, else the place the error is about, -1 for the text as a whole.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "formula/formula.h"
#include "formula/parser.h"

namespace zor {
namespace {

// The number after "位置 " in a message, -1 when it prints none.
long long printedPosition(const std::string& message) {
  const std::string mark = "位置 ";
  size_t at = message.find(mark);
  if (at == std::string::npos) return -1;
  return std::atoll(message.c_str() + at + mark.size());
}

TEST(FormulaErrorPosition, AgreesWithTheMessageForEveryKind) {
  const std::string deep = "X:" + std::string(1001, '(') + "C" + std::string(1001, ')') + ";";
  struct Case {
    std::string text;
    std::string message;
    long long position;
  } cases[] = {
      // lexer
      {"X:C+?;", "无法识别的字符 '?' (位置 4)", 4},
      {"X:C; {note", "注释 { 未闭合", 5},
      {"X:C; DRAWTEXT(1,C,'abc);", "字符串 ' 未闭合", 18},
      // parser: the token the error is about
      {"X:C,2;", "修饰符位置应为标识符", 4},
      {"X:C Y;", "语句之间需要用分号 ';' 分隔（位置 4）", 4},
      {"X:(C+O;", "缺少右括号 ')'", 6},
      {"X:MA(C,5;", "函数 MA 缺少右括号 ')'", 8},
      {"X:C+;", "表达式语法错误：位置 4 处为 ';'", 4},
      {"X:C+", "表达式语法错误：位置 4 处为 '<结束>'", 4},
      {"X\xEF\xBC\x9A" "C+;", "表达式语法错误：位置 4 处为 ';'", 4},  // counted in the normalised text
      {deep, "表达式嵌套过深（位置 1002）", 1002},
      // the text as a whole
      {"{ only a note }", "公式内容为空", -1},
      {"A:=C;", "公式既没有输出线也没有绘图语句。输出线写法：`名称:表达式;`；绘图写法：`STICKLINE(...);`、`DRAWTEXT(...);` 等。", -1},
      {std::string(70000, ' '), "公式过长（超过 65536 字节）", -1},
  };
  for (const Case& c : cases) {
    CompiledFormula compiled;
    FormulaError error;
    EXPECT_FALSE(compileFormula(c.text, {}, compiled, error)) << c.message;
    EXPECT_EQ(error.message, c.message);
    EXPECT_EQ(error.position, c.position) << c.message;
    if (printedPosition(c.message) >= 0) {
      EXPECT_EQ(error.position, printedPosition(c.message)) << c.message;
    }
    // The text-only form shows the same message.
    std::string text;
    EXPECT_FALSE(compileFormula(c.text, {}, compiled, text));
    EXPECT_EQ(text, c.message);
  }
  // Too many nodes: the position is that of the node that passed the limit.
  std::string many = "X:MAX(C";
  for (int k = 0; k < 20100; ++k) many += ",C";
  CompiledFormula compiled;
  FormulaError error;
  ASSERT_FALSE(compileFormula(many + ");", {}, compiled, error));
  EXPECT_EQ(error.message, "公式过于复杂（表达式节点超过 20000 个）");
  EXPECT_GT(error.position, 0);
  EXPECT_LT(error.position, int64_t(many.size()));
  EXPECT_TRUE(compileFormula("X:C;", {}, compiled, error));
  EXPECT_EQ(error.position, -1);
  EXPECT_TRUE(error.message.empty());
}

}  // namespace
}  // namespace zor
