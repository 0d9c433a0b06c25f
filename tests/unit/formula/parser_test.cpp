#include "formula/parser.h"

#include <gtest/gtest.h>

#include <string>

namespace zor {
namespace {

// The tree as a short prefix form: (op a b), (NOT a), NAME(args), variables and numbers.
std::string shape(const ExprNode& n) {
  switch (n.kind) {
    case NodeNumber: {
      std::string s = std::to_string(n.number);
      s.erase(s.find_last_not_of('0') + 1);
      if (s.back() == '.') s.pop_back();
      return s;
    }
    case NodeString: return "'" + n.string + "'";
    case NodeVariable: return n.text;
    case NodeCall: {
      std::string s = n.text + "(";
      for (size_t i = 0; i < n.children.size(); ++i) s += (i ? "," : "") + shape(n.children[i]);
      return s + ")";
    }
    case NodeBinary: return "(" + n.text + " " + shape(n.children[0]) + " " + shape(n.children[1]) + ")";
    case NodeUnary: return "(" + n.text + " " + shape(n.children[0]) + ")";
  }
  return "?";
}

CompiledFormula compileOk(const std::string& text) {
  CompiledFormula f;
  std::string error;
  EXPECT_TRUE(compileFormula(text, {}, f, error)) << text << ": " << error;
  return f;
}

std::string compileError(const std::string& text) {
  CompiledFormula f;
  std::string error;
  EXPECT_FALSE(compileFormula(text, {}, f, error)) << text;
  EXPECT_FALSE(f.compiled);
  return error;
}

TEST(Parser, ExpressionShapes) {
  struct Case {
    const char* text;
    const char* want;
  } cases[] = {
      {"X:-C*2;", "(* (- C) 2)"},
      {"X:NOT C>O;", "(> (NOT C) O)"},
      {"X:!C;", "(NOT C)"},
      {"X:--C;", "(- (- C))"},
      {"X:NOT NOT C;", "(NOT (NOT C))"},
      {"X:+C;", "C"},
      {"X:C>O AND C>REF(C,1) OR V>0;", "(OR (AND (> C O) (> C REF(C,1))) (> V 0))"},
      {"X:A||B&&C;", "(|| A (&& B C))"},
      {"X:A-B-C;", "(- (- A B) C)"},
      {"X:A>B>C;", "(> (> A B) C)"},
      {"X:A+B*C-D/E;", "(- (+ A (* B C)) (/ D E))"},
      {"X:(A+B)*C;", "(* (+ A B) C)"},
      {"X:A<>B;", "(<> A B)"},
      {"X:A!=B;", "(!= A B)"},
      {"X:A==B;", "(== A B)"},
      {"X:A=B;", "(= A B)"},
      {"X:A>=B;", "(>= A B)"},
      {"X:A<=B;", "(<= A B)"},
      {"X:DATE;", "DATE()"},
      {"X:DATE();", "DATE()"},
      {"X:BARSCOUNT+ISNULL;", "(+ BARSCOUNT() ISNULL())"},
      {"X:CLOSE;", "CLOSE"},
      {"X:CLOSE();", "CLOSE()"},
      {"X:'ABC';", "'ABC'"},
      {"X:MA(C,5);", "MA(C,5)"},
      {"X:F();", "F()"},
      {"X:NOT(REF(C,1));", "(NOT REF(C,1))"},
  };
  for (const Case& c : cases) {
    CompiledFormula f = compileOk(c.text);
    ASSERT_EQ(f.statements.size(), 1u) << c.text;
    EXPECT_EQ(shape(f.statements[0].expr), c.want) << c.text;
  }
}

TEST(Parser, StatementsNamesAndSeparators) {
  CompiledFormula f = compileOk("A:=C; A:A*2;");
  ASSERT_EQ(f.statements.size(), 2u);
  EXPECT_EQ(f.statements[0].name, "A");
  EXPECT_FALSE(f.statements[0].isOutput);
  EXPECT_EQ(f.statements[1].name, "A");
  EXPECT_TRUE(f.statements[1].isOutput);

  f = compileOk("MA5:MA(C,5) MA10:MA(C,10);");
  ASSERT_EQ(f.statements.size(), 2u);
  EXPECT_EQ(f.statements[1].name, "MA10");

  f = compileOk("STICKLINE(C>O,C,O,8,0);X:C");
  ASSERT_EQ(f.statements.size(), 2u);
  EXPECT_TRUE(f.statements[0].name.empty());
  EXPECT_FALSE(f.statements[0].isOutput);

  f = compileOk("x:c,colorred y:o;");
  ASSERT_EQ(f.statements.size(), 2u);
  EXPECT_EQ(f.statements[0].colour, 0xFF0000);
}

TEST(Parser, Modifiers) {
  struct Case {
    const char* text;
    int32_t colour, thickness, style;
  } cases[] = {
      {"X:C;", -1, 1, StyleLine},
      {"X:C,COLORSTICK;", -1, 1, StyleColorStick},
      {"X:C,VOLSTICK;", -1, 1, StyleVolStick},
      {"X:C,STICK;", -1, 1, StyleStick},
      {"X:C,CIRCLEDOT;", -1, 1, StyleCircleDot},
      {"X:C,POINTDOT;", -1, 1, StylePointDot},
      {"X:C,DOTLINE;", -1, 1, StyleDotLine},
      {"X:C,LINEDOT;", -1, 1, StyleDotLine},
      {"X:C,CROSSDOT;", -1, 1, StyleCrossDot},
      {"X:C,NODRAW;", -1, 1, StyleNoDraw},
      {"X:C,LINETHICK9;", -1, 1, StyleLine},
      {"X:C,LINETHICK0;", -1, 1, StyleLine},
      {"X:C,LINETHICK5;", -1, 5, StyleLine},
      {"X:C,LINETHICK99999999999;", -1, 1, StyleLine},
      {"X:C,LINETHICK3,COLOR00ff00;", 0x00FF00, 3, StyleLine},
      {"X:C,LINETHICK;", -1, 1, StyleLine},
      {"X:C,COLOR00FF0;", -1, 1, StyleLine},
      {"X:C,COLOR12345G;", -1, 1, StyleLine},
      {"X:C,COLORFF0000;", 0xFF0000, 1, StyleLine},
      {"X:C,COLORRED,COLORBLUE;", 0x0000FF, 1, StyleLine},
      {"X:C,STICK,NODRAW;", -1, 1, StyleNoDraw},
      {"X:C,PRECIS2,FOO;", -1, 1, StyleLine},
      {"X:C,COLORBROWN;", 0x804000, 1, StyleLine},
      {"X:C,COLORLIGHTGRAY;", 0xC0C0C0, 1, StyleLine},
      {"X:C,COLORLIMAGENTA;", 0xFF96FF, 1, StyleLine},
      {"X:C,COLORYELLOW;", 0xFFFF00, 1, StyleLine},
      {"X:C,colorgreen,linethick2,colorstick;", 0x00FF00, 2, StyleColorStick},
      {"STICKLINE(C>O,C,O,6,0),COLORRED;", 0xFF0000, 1, StyleLine},
  };
  for (const Case& c : cases) {
    CompiledFormula f = compileOk(c.text);
    ASSERT_EQ(f.statements.size(), 1u) << c.text;
    EXPECT_EQ(f.statements[0].colour, c.colour) << c.text;
    EXPECT_EQ(f.statements[0].thickness, c.thickness) << c.text;
    EXPECT_EQ(f.statements[0].style, c.style) << c.text;
  }
}

TEST(Parser, ColourNameTable) {
  struct Case {
    const char* name;
    int32_t rgb;
  } cases[] = {
      {"COLORBLACK", 0x000000},   {"COLORBLUE", 0x0000FF},      {"COLORGREEN", 0x00FF00},     {"COLORCYAN", 0x00FFFF},
      {"COLORRED", 0xFF0000},     {"COLORMAGENTA", 0xFF00FF},   {"COLORBROWN", 0x804000},     {"COLORWHITE", 0xFFFFFF},
      {"COLORGRAY", 0x808080},    {"COLORLIGRAY", 0xC0C0C0},    {"COLORLIRED", 0xFF9696},     {"COLORLIGREEN", 0x96FF96},
      {"COLORLIBLUE", 0x9696FF},  {"COLORLICYAN", 0x96FFFF},    {"COLORLIMAGENTA", 0xFF96FF}, {"COLORYELLOW", 0xFFFF00},
      {"COLORLIGHTGRAY", 0xC0C0C0}, {"COLORLIGHTRED", 0xFF9696}, {"COLORLIGHTGREEN", 0x96FF96}, {"COLORLIGHTBLUE", 0x9696FF},
  };
  for (const Case& c : cases) {
    CompiledFormula f = compileOk(std::string("X:C,") + c.name + ";");
    EXPECT_EQ(f.statements[0].colour, c.rgb) << c.name;
  }
}

TEST(Parser, ProgramChecks) {
  compileOk("X:=DRAWNULL;");
  compileOk("STICKLINE(C>O,C,O,8,0);");
  compileOk("A:=POLYLINE(C>O,C);");
  compileOk("FILLRGN(C>O,C,O);");
  compileOk("A:=IF(C>O,DRAWTEXT(1,C,'X'),0);");
  compileOk("X:\"ABC\";");
  const char* neither =
      "公式既没有输出线也没有绘图语句。输出线写法：`名称:表达式;`；绘图写法：`STICKLINE(...);`、`DRAWTEXT(...);` 等。";
  EXPECT_EQ(compileError("MA(C,5);"), neither);
  EXPECT_EQ(compileError("A:=C;B:=A+1;"), neither);
  EXPECT_EQ(compileError(""), "公式内容为空");
  EXPECT_EQ(compileError("  { only a comment } // and another"), "公式内容为空");
}

TEST(Parser, Errors) {
  struct Case {
    std::string text;
    std::string want;
  } cases[] = {
      {"X:C,2;", "修饰符位置应为标识符"},
      {"X:C,;", "修饰符位置应为标识符"},
      {"X:C Y;", "语句之间需要用分号 ';' 分隔（位置 4）"},
      {"X:C 5;", "语句之间需要用分号 ';' 分隔（位置 4）"},
      {"X:C)", "语句之间需要用分号 ';' 分隔（位置 3）"},
      {"X:(C+O;", "缺少右括号 ')'"},
      {"X:MA(C,5;", "函数 MA 缺少右括号 ')'"},
      {"X:MA(C 5);", "函数 MA 缺少右括号 ')'"},
      {"X:C+;", "表达式语法错误：位置 4 处为 ';'"},
      {"X:C+", "表达式语法错误：位置 4 处为 '<结束>'"},
      {";", "表达式语法错误：位置 0 处为 ';'"},
      {"X:;", "表达式语法错误：位置 2 处为 ';'"},
      {"X:[1];", "表达式语法错误：位置 2 处为 '['"},
      {"X:MA(C,,5);", "表达式语法错误：位置 7 处为 ','"},
      {"X:C;;", "表达式语法错误：位置 4 处为 ';'"},
      {"X:)", "表达式语法错误：位置 2 处为 ')'"},
      // Positions count the normalised text (the full-width colon is one byte).
      {"X\xEF\xBC\x9A" "C+;", "表达式语法错误：位置 4 处为 ';'"},
      // Lexer messages come first.
      {"X:C+?;", "无法识别的字符 '?' (位置 4)"},
  };
  for (const Case& c : cases) EXPECT_EQ(compileError(c.text), c.want) << c.text;
}

TEST(Parser, LimitsGiveMessagesInsteadOfCrashes) {
  auto repeat = [](const std::string& s, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += s;
    return out;
  };
  // Over the size limit, whatever the text.
  EXPECT_EQ(compileError("X:" + repeat("(", 100000) + "C" + repeat(")", 100000) + ";"), "公式过长（超过 65536 字节）");
  EXPECT_EQ(compileError("X:C" + repeat("+C", 100000) + ";"), "公式过长（超过 65536 字节）");
  EXPECT_EQ(compileError(std::string(10 << 20, ' ')), "公式过长（超过 65536 字节）");
  // Exactly at the size limit is fine.
  std::string padded = "X:C;";
  padded += std::string(kMaxFormulaBytes - padded.size(), ' ');
  compileOk(padded);

  // Nesting: 1,000 levels pass, the token that passes the limit is named.
  compileOk("X:" + repeat("(", 1000) + "C" + repeat(")", 1000) + ";");
  EXPECT_EQ(compileError("X:" + repeat("(", 30000) + "C" + repeat(")", 30000) + ";"), "表达式嵌套过深（位置 1002）");
  EXPECT_EQ(compileError("X:" + repeat("ABS(", 5000) + "C" + repeat(")", 5000) + ";"), "表达式嵌套过深（位置 4005）");
  EXPECT_EQ(compileError("X:" + repeat("-", 20000) + "C;"), "表达式嵌套过深（位置 1002）");
  EXPECT_EQ(compileError("X:" + repeat("NOT ", 5000) + "C;"), "表达式嵌套过深（位置 4002）");
  // A long chain of terms: the operator that makes the tree too deep.
  EXPECT_EQ(compileError("X:C" + repeat("+C", 20000) + ";"), "表达式嵌套过深（位置 2001）");
  compileOk("X:C" + repeat("+C", 900) + ";");
  // A tree deepened through right operands and parentheses together still stops.
  std::string mixed = "X:";
  for (int k = 0; k < 600; ++k) mixed += "C+(";
  mixed += "C" + repeat(")+C", 600) + ";";
  EXPECT_NE(compileError(mixed).find("表达式嵌套过深"), std::string::npos);

  // Node count.
  EXPECT_EQ(compileError("X:MAX(" + repeat("1,", 25000) + "1);"), "公式过于复杂（表达式节点超过 20000 个）");
  EXPECT_EQ(compileError(repeat("1;", 21000) + "X:C;"), "公式过于复杂（表达式节点超过 20000 个）");
}

TEST(Parser, TreeHeightStaysWithinTheLimit) {
  // Whatever passes the parser is at most kMaxFormulaNesting nodes deep.
  std::string text = "X:";
  for (int k = 0; k < 400; ++k) text += "-(C+";
  text += "C";
  for (int k = 0; k < 400; ++k) text += ")";
  text += ";";
  CompiledFormula f;
  std::string error;
  if (compileFormula(text, {}, f, error)) {
    EXPECT_LE(f.statements[0].expr.height, kMaxFormulaNesting);
  } else {
    EXPECT_NE(error.find("表达式嵌套过深"), std::string::npos);
  }
}

TEST(Parser, ParametersAreCopiedUpperCase) {
  CompiledFormula f;
  std::string error;
  std::vector<FormulaParam> params = {{"n", 1, 100, 7}, {"Long", 1, 100, 26}};
  ASSERT_TRUE(compileFormula("X:MA(C,N);", params, f, error)) << error;
  ASSERT_EQ(f.params.size(), 2u);
  EXPECT_EQ(f.params[0].name, "N");
  EXPECT_EQ(f.params[1].name, "LONG");
  EXPECT_EQ(f.params[1].defaultValue, 26);
  EXPECT_TRUE(f.compiled);
}

}  // namespace
}  // namespace zor
