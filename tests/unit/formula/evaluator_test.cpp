// The evaluator: operators, data names, parameters, statements and run errors.
#include <chrono>

#include "formula_test_support.h"

namespace zor::test {
namespace {

const Series kClose = {10, 12, NA, 11, 0, 13};

TEST(Evaluator, Operators) {
  // Bars: A = 3, 0, NA, -2, 5 and B = 1, 0, 4, NA, 5.
  FormulaInput in = inputFromCloses({3, 0, NA, -2, 5});
  in.open = {1, 0, 4, NA, 5};
  struct Case {
    const char* text;
    Series want;
  } cases[] = {
      {"X:C+O;", {4, 0, NA, NA, 10}},
      {"X:C-O;", {2, 0, NA, NA, 0}},
      {"X:C*O;", {3, 0, NA, NA, 25}},
      {"X:C/O;", {3, 0, NA, NA, 1}},
      {"X:O/C;", {1.0 / 3, 0, NA, NA, 1}},  // division by zero gives 0
      {"X:C>O;", {1, 0, 0, 0, 0}},
      {"X:C<O;", {0, 0, 0, 0, 0}},
      {"X:C>=O;", {1, 1, 0, 0, 1}},
      {"X:C<=O;", {0, 1, 0, 0, 1}},
      {"X:C=O;", {0, 1, 0, 0, 1}},
      {"X:C==O;", {0, 1, 0, 0, 1}},
      {"X:C<>O;", {1, 0, 0, 0, 0}},
      {"X:C!=O;", {1, 0, 0, 0, 0}},
      {"X:C AND O;", {1, 0, 0, 0, 1}},
      {"X:C&&O;", {1, 0, 0, 0, 1}},
      {"X:C OR O;", {1, 0, 1, 1, 1}},
      {"X:C||O;", {1, 0, 1, 1, 1}},
      {"X:-C;", {-3, 0, NA, 2, -5}},
      {"X:NOT C;", {0, 1, 1, 0, 0}},
      {"X:!O;", {0, 1, 0, 1, 0}},
      {"X:2*3+1;", {7, 7, 7, 7, 7}},
      {"X:1/0;", {0, 0, 0, 0, 0}},
      {"X:C+1/0;", {3, 0, NA, -2, 5}},
      {"X:\"ABC\";", {NA, NA, NA, NA, NA}},
      {"X:\"ABC\"+1;", {NA, NA, NA, NA, NA}},
      {"X:C>CLOSE();", {0, 0, 0, 0, 0}},
      {"X:IF(C>O,CLOSE(),O);", {NA, 0, 4, NA, 5}},
      {"X:1E400;", {NA, NA, NA, NA, NA}},
      {"X:1E300*1E300;", {NA, NA, NA, NA, NA}},
      {"X:C*1E308*10;", {NA, 0, NA, NA, NA}},
  };
  for (const Case& c : cases) EXPECT_TRUE(seriesNear(runLine(c.text, in), c.want)) << c.text;
}

TEST(Evaluator, DataNames) {
  FormulaInput in = randomBars(5);
  struct Case {
    const char* name;
    const Series* want;
  } cases[] = {
      {"CLOSE", &in.close}, {"C", &in.close},  {"OPEN", &in.open}, {"O", &in.open},
      {"HIGH", &in.high},   {"H", &in.high},   {"LOW", &in.low},   {"L", &in.low},
      {"VOL", &in.volume},  {"V", &in.volume}, {"VOLUME", &in.volume}, {"AMOUNT", &in.amount},
      {"AMO", &in.amount},
  };
  for (const Case& c : cases) EXPECT_TRUE(seriesNear(runLine(std::string("X:") + c.name + ";", in), *c.want)) << c.name;
  EXPECT_TRUE(seriesNear(runLine("X:CAPITAL;", in), Series(5, 2000000)));
  for (const char* none : {"DYNAINFO", "FINANCE", "COST", "WINNER", "COSTEX", "INDEXC", "INDEXO", "INDEXH", "INDEXL",
                           "INDEXV", "ADVANCE", "DECLINE", "ASKPRICE", "ASKVOL", "BIDPRICE", "BIDVOL", "BUYVOL",
                           "SELLVOL", "ISBUYORDER", "ISSELLORDER"}) {
    EXPECT_TRUE(seriesNear(runLine(std::string("X:") + none + ";", in), Series(5, NA))) << none;
  }
  // Written with parentheses the price names give no value; the other data names are unknown.
  EXPECT_TRUE(seriesNear(runLine("X:CLOSE()+VOL();", in), Series(5, NA)));
  RunResult r = runText("X:COST(10);", in);
  EXPECT_EQ(r.error, "未实现的公式函数 'COST'（请在 formula 的函数分派里补上）");
}

TEST(Evaluator, StatementsAndVariables) {
  FormulaInput in = inputFromCloses(kClose);
  EXPECT_TRUE(seriesNear(runLine("A:=C; A:=A+1; X:A;", in), {11, 13, NA, 12, 1, 14}));
  EXPECT_TRUE(seriesNear(runLine("A:=C; A:A*2;", in), {20, 24, NA, 22, 0, 26}));
  EXPECT_TRUE(seriesNear(runLine("X:C/0;", in), {0, 0, NA, 0, 0, 0}));
  EXPECT_TRUE(seriesNear(runLine("X:C>REF(C,1);", in), {0, 1, 0, 0, 0, 1}));
  EXPECT_TRUE(seriesNear(runLine("X:NOT(REF(C,1));", in), {1, 0, 0, 1, 0, 1}));
  // A constant statement read later is still the same value on every bar.
  EXPECT_TRUE(seriesNear(runLine("K:=3; X:C+K;", in), {13, 15, NA, 14, 3, 16}));

  RunResult r = runText("X:C; X:O; Y:1; STICKLINE(1,C,O,1,0);", in);
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(r.lines.size(), 3u);  // two lines named X, in order; the drawing adds none
  EXPECT_EQ(r.lines[0].name, "X");
  EXPECT_EQ(r.lines[1].name, "X");
  EXPECT_EQ(r.lines[2].name, "Y");
  EXPECT_TRUE(seriesNear(r.line(2), Series(6, 1)));

  r = runText("X:C,COLORRED,LINETHICK3,COLORSTICK; P:POLYLINE(C>5,C); Q:PARTLINE(C>5,C);", in);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.lines[0].colour, 0xFF0000);
  EXPECT_EQ(r.lines[0].thickness, 3);
  EXPECT_EQ(r.lines[0].style, StyleColorStick);
  EXPECT_FALSE(r.lines[0].polyline);
  EXPECT_TRUE(r.lines[1].polyline);  // painted as one joined line
  EXPECT_FALSE(r.lines[2].polyline);
}

TEST(Evaluator, Parameters) {
  FormulaInput in = inputFromCloses({1, 2, 3, 4, 5, 6});
  std::vector<FormulaParam> params = {{"N", 1, 100, 2}, {"M", 1, 100, 3}};
  RunResult r = runText("X:MA(C,N)+M;", in, params, {});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(seriesNear(r.line(0), {4, 4.5, 5.5, 6.5, 7.5, 8.5}));
  r = runText("X:MA(C,N)+M;", in, params, {1});  // shorter than the table: M keeps its default
  EXPECT_TRUE(seriesNear(r.line(0), {4, 5, 6, 7, 8, 9}));
  r = runText("X:MA(C,N)+M;", in, params, {1, 10});
  EXPECT_TRUE(seriesNear(r.line(0), {11, 12, 13, 14, 15, 16}));

  // A parameter named C shadows the alias; CLOSE still reads the close.
  r = runText("X:C; Y:CLOSE;", in, {{"C", 0, 100, 7}});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(seriesNear(r.line(0), Series(6, 7)));
  EXPECT_TRUE(seriesNear(r.line(1), in.close));

  // Lower-case parameter names are found (formula text is upper-cased).
  r = runText("X:MA(C,N);", in, {{"n", 1, 100, 1}});
  EXPECT_TRUE(r.ok) << r.error;

  r = runText("X:MA(C,P);", in, params);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "未定义的标识符 'P'");

  // The default-parameter entry.
  FormulaDef def;
  def.source = "X:C*K;";
  def.params = {{"k", 0, 10, 2}};
  std::vector<OutputLine> lines;
  std::vector<DrawingItem> drawings;
  std::string error;
  ASSERT_TRUE(compileAndRunFormula(def, in, lines, drawings, error)) << error;
  EXPECT_TRUE(seriesNear(lines[0].values, {2, 4, 6, 8, 10, 12}));
  def.source = "X:C+;";
  EXPECT_FALSE(compileAndRunFormula(def, in, lines, drawings, error));
  EXPECT_EQ(error, "表达式语法错误：位置 4 处为 ';'");
}

TEST(Evaluator, RunErrors) {
  FormulaInput in = inputFromCloses(kClose);
  std::vector<OutputLine> lines;
  std::vector<DrawingItem> drawings;
  std::string error;
  CompiledFormula none;
  EXPECT_FALSE(runFormula(none, in, {}, lines, drawings, error));
  EXPECT_EQ(error, "Program 未编译");

  CompiledFormula f;
  ASSERT_TRUE(compileFormula("X:C;", {}, f, error));
  EXPECT_FALSE(runFormula(f, FormulaInput(), {}, lines, drawings, error));
  EXPECT_EQ(error, "数据为空");
  FormulaInput uneven = in;
  uneven.volume.pop_back();
  EXPECT_FALSE(runFormula(f, uneven, {}, lines, drawings, error));
  EXPECT_EQ(error, "输入数据长度不一致");
  // A compiled formula runs again with other inputs; the error is cleared on entry.
  EXPECT_TRUE(runFormula(f, in, {}, lines, drawings, error));
  EXPECT_TRUE(error.empty());

  struct Case {
    const char* text;
    const char* want;
  } cases[] = {
      {"X:Y;", "未定义的标识符 'Y'"},
      {"X:Y; Y:=C;", "未定义的标识符 'Y'"},
      {"X:C+Y+Z;", "未定义的标识符 'Y'"},
      {"X:FOO(Y);", "未定义的标识符 'Y'"},  // arguments are evaluated before the call
      {"X:FOO(1);", "未实现的公式函数 'FOO'（请在 formula 的函数分派里补上）"},
      {"FILLRGN(C>O,C,O);", "未实现的公式函数 'FILLRGN'（请在 formula 的函数分派里补上）"},
      {"DRAWXYZ(1);", "未实现的公式函数 'DRAWXYZ'（请在 formula 的函数分派里补上）"},
      {"X:FINANCE(1);", "公式里的 FINANCE() 需要财务数据（本程序只做本地历史行情回放，不含财报），本程序没有该数据。请删掉依赖它的语句后重试。"},
      {"X:MA(C,5,FINANCE(1));", "公式里的 FINANCE() 需要财务数据（本程序只做本地历史行情回放，不含财报），本程序没有该数据。请删掉依赖它的语句后重试。"},
      {"X:GET(1);", "公式里的 GET() 需要跨周期/跨品种取数（需要多周期数据源），本程序没有该数据。请删掉依赖它的语句后重试。"},
      {"X:INBLOCK('A');", "公式里的 INBLOCK() 需要板块归属数据（需要板块库），本程序没有该数据。请删掉依赖它的语句后重试。"},
      {"X:SETCODE(1);", "公式里的 SETCODE() 需要切换品种（需要全市场行情服务），本程序没有该数据。请删掉依赖它的语句后重试。"},
      {"X:BETA(1);", "公式里的 BETA() 需要大盘指数序列（需要指数数据），本程序没有该数据。请删掉依赖它的语句后重试。"},
      {"X:CALCSTOCKINDEX('A',1);", "公式里的 CALCSTOCKINDEX() 需要指定品种的指标值（需要全市场行情服务），本程序没有该数据。请删掉依赖它的语句后重试。"},
      {"X:DYNAINFO(12);", "DYNAINFO(12) 本程序暂无对应数据"},
      {"X:DYNAINFO(2.4);", "DYNAINFO(2) 本程序暂无对应数据"},
  };
  for (const Case& c : cases) {
    RunResult r = runText(c.text, in);
    EXPECT_FALSE(r.ok) << c.text;
    EXPECT_EQ(r.error, c.want) << c.text;
  }
}

// Pathological formulas end with a message, not a hang or an exhausted memory.
TEST(Evaluator, WorkLimits) {
  const char* tooMuch = "公式计算量过大，已停止（请减小周期参数）";
  FormulaInput rising = inputFromCloses({});
  for (int i = 0; i < 200000; ++i) rising.close.push_back(1 + i * 0.001);
  rising = inputFromCloses(rising.close);

  auto start = std::chrono::steady_clock::now();
  RunResult r = runText("X:AVEDEV(C,100000);", rising);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, tooMuch);
  r = runText("X:TOPRANGE(C); Y:SUMBARS(V,1E20); Z:HHVBARS(C,BARSCOUNT(C)); W:LOWRANGE(C);", rising);
  EXPECT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.line(0).back(), 200000);
  EXPECT_TRUE(isNoValue(r.line(1).back()));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));  // a hang, not a speed test

  // Too many series held at once.
  FormulaInput big = inputFromCloses(Series(2000000, 1));
  std::string many;
  for (int k = 0; k < 40; ++k) many += "X:C;";
  r = runText(many, big);
  EXPECT_EQ(r.error, tooMuch);

  // A long text repeated on every bar.
  FormulaInput bars = inputFromCloses(Series(100000, 1));
  r = runText("DRAWTEXT(1,C,'" + std::string(60000, 'A') + "');", bars);
  EXPECT_EQ(r.error, tooMuch);

  // The deepest formula the parser accepts evaluates.
  std::string deep = "X:";
  for (int k = 0; k < 998; ++k) deep += "ABS(";
  deep += "-C";
  for (int k = 0; k < 998; ++k) deep += ")";
  r = runText(deep + ";", inputFromCloses(kClose));
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(seriesNear(r.line(0), {10, 12, NA, 11, 0, 13}));
}

TEST(Evaluator, InfinitiesInTheInputAreMissing) {
  FormulaInput in = inputFromCloses({1, INFINITY, 3, -INFINITY});
  RunResult r = runText("X:C; Y:MA(C,2);", in);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(seriesNear(r.line(0), {1, NA, 3, NA}));
  EXPECT_TRUE(seriesNear(r.line(1), {1, 1, 3, 3}));
}

TEST(Evaluator, LibraryNames) {
  for (const char* name : {"MA", "EMA", "STICKLINE", "DRAWTEXT", "DRAWTEXT_FIX", "POLYLINE", "PLOYLINE", "FINANCE",
                           "ZIG", "SARTURN", "CON2STR", "CLOSE", "BARSCOUNT", "ROUND2", "EXPMEMA"}) {
    EXPECT_TRUE(isLibraryFunctionName(name)) << name;
  }
  for (const char* name : {"N", "M", "SHORT", "ma", "FILLRGN", "DRAWXYZ", "COST", "", "MA "}) {
    EXPECT_FALSE(isLibraryFunctionName(name)) << name;
  }
}

}  // namespace
}  // namespace zor::test
