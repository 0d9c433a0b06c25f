// Parameter completion: conventional defaults, the trial bars, which names may become
// parameters, and the pass limit.
#include <gtest/gtest.h>

#include <string>

#include "formula/formula_params.h"

namespace zor {
namespace {

std::string declared(const std::vector<FormulaParam>& params) {
  std::string out;
  for (const FormulaParam& p : params) {
    if (!out.empty()) out += ' ';
    out += p.name + "=" + std::to_string(int(p.defaultValue));
    EXPECT_EQ(p.minimum, 1) << p.name;
    EXPECT_EQ(p.maximum, 250) << p.name;
  }
  return out;
}

TEST(ParamDefaults, ConventionalValues) {
  struct {
    const char* name;
    double value;
  } cases[] = {{"N", 9},     {"M", 3},     {"M1", 3},  {"M2", 3},  {"M3", 3}, {"M4", 5}, {"P", 2},
               {"SHORT", 12}, {"LONG", 26}, {"MID", 9}, {"K", 5},   {"n", 5},  {"", 5},   {"N1", 5}};
  for (const auto& c : cases) EXPECT_EQ(defaultParamValue(c.name), c.value) << c.name;
}

TEST(ParamDefaults, TrialInput) {
  FormulaInput in = makeTrialInput(60);
  ASSERT_EQ(in.close.size(), 60u);
  for (const auto* s : {&in.open, &in.high, &in.low, &in.volume, &in.amount}) EXPECT_EQ(s->size(), 60u);
  EXPECT_EQ(in.open[0], 10);
  EXPECT_DOUBLE_EQ(in.close[0], 10.02);
  EXPECT_DOUBLE_EQ(in.high[0], 10.17);
  EXPECT_DOUBLE_EQ(in.low[0], 9.85);
  EXPECT_EQ(in.volume[0], 100000);
  EXPECT_EQ(in.volume[17], 100000);
  EXPECT_EQ(in.volume[16], 180000);
  EXPECT_DOUBLE_EQ(in.amount[3], in.close[3] * in.volume[3] * 100);
  for (int i = 1; i < 60; ++i) EXPECT_EQ(in.open[i], in.close[i - 1]);
  EXPECT_EQ(in.dates[0], 20260101);
  EXPECT_EQ(in.dates[59], 20260160) << "trial dates count by plain addition";
  EXPECT_EQ(in.times[59], 0);
}

TEST(ParamDefaults, UndefinedIdentifierInMessage) {
  struct {
    const char* message;
    const char* name;  // nullptr: none
  } cases[] = {
      {"未定义的标识符 'N'", "N"},
      {"未定义的标识符 'K线上穿均线'", "K线上穿均线"},
      {"未定义的标识符 ''", nullptr},
      {"未定义的标识符 'ABC", nullptr},
      {"未实现的公式函数 'FOO'（请在 formula 的函数分派里补上）", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    auto got = undefinedIdentifierIn(c.message);
    if (!c.name) EXPECT_FALSE(got.has_value()) << c.message;
    else EXPECT_EQ(got.value_or("<none>"), c.name);
  }
}

TEST(ParamDefaults, OnlyIdentifierLikeNamesThatAreNoFunctionBecomeParameters) {
  struct {
    const char* name;
    bool ok;
  } cases[] = {
      {"N", true},         {"SHORT", true},     {"_X1", true},          {"ABCDEFGHIJKLMNOPQRSTUVW", true},
      {"ABCDEFGHIJKLMNOPQRSTUVWX", false},      {"", false},            {"K线", false},
      {"周期", false},     {"MA", false},       {"EMA", false},         {"DRAWTEXT", false},
      {"STICKLINE", false}, {"FINANCE", false}, {"CROSS", false},       {"A.B", false},
  };
  for (const auto& c : cases) EXPECT_EQ(isDeclarableParamName(c.name), c.ok) << c.name;
}

TEST(ParamCompletion, DeclaresUndefinedNamesInOrderOfUse) {
  struct {
    const char* source;
    const char* declared;
  } cases[] = {
      {"DIF:EMA(C,SHORT)-EMA(C,LONG); DEA:EMA(DIF,MID);", "SHORT=12 LONG=26 MID=9"},
      {"X:MA(C,N)+REF(C,M);", "N=9 M=3"},
      {"X:C*P;", "P=2"},
      {"X:C+K;", "K=5"},
      {"x:ma(c,n)+m1;", "N=9 M1=3"},  // the lexer upper-cases names
      {"X:DATE;", ""},
      {"X:TIME;", ""},
      {"X:A1+A2+A3+A4+A5+A6+A7+A8;", "A1=5 A2=5 A3=5 A4=5 A5=5 A6=5 A7=5 A8=5"},
  };
  for (const auto& c : cases) {
    std::vector<FormulaParam> params;
    std::vector<std::string> added;
    std::string error;
    EXPECT_TRUE(compileWithParamCompletion(c.source, params, added, error)) << c.source << ": " << error;
    EXPECT_EQ(declared(params), c.declared) << c.source;
    EXPECT_EQ(joinNames(added, " "), [&] {
      std::string names;
      for (const FormulaParam& p : params) names += (names.empty() ? "" : " ") + p.name;
      return names;
    }());
    EXPECT_TRUE(error.empty());
  }
}

TEST(ParamCompletion, DeclaredParametersNeedNoPass) {
  std::vector<FormulaParam> params = {{"N", 2, 50, 7}};
  std::vector<std::string> added;
  std::string error;
  EXPECT_TRUE(compileWithParamCompletion("X:MA(C,N);", params, added, error));
  EXPECT_TRUE(added.empty());
  ASSERT_EQ(params.size(), 1u);
  EXPECT_EQ(params[0].defaultValue, 7);
}

TEST(ParamCompletion, Failures) {
  struct {
    const char* source;
    const char* error;
    const char* declared;
  } cases[] = {
      // Nine names: the ninth is declared but never proved, and the message names it.
      {"X:A1+A2+A3+A4+A5+A6+A7+A8+A9;", "自动补参数后仍然无法运行（未定义的标识符 'A9'）",
       "A1=5 A2=5 A3=5 A4=5 A5=5 A6=5 A7=5 A8=5 A9=5"},
      // Prose is never turned into a parameter.
      {"买入条件：K线上穿均线", "未定义的标识符 'K线上穿均线'", ""},
      {"X:N+ABCDEFGHIJKLMNOPQRSTUVWXYZABCD;", "未定义的标识符 'ABCDEFGHIJKLMNOPQRSTUVWXYZABCD'", "N=9"},
      // A function name written without parentheses stays an error.
      {"X:C+MA;", "未定义的标识符 'MA'", ""},
      {"X:FINANCE(1);",
       "公式里的 FINANCE() 需要财务数据（本程序只做本地历史行情回放，不含财报），本程序没有该数据。请删掉依赖它的语句后重试。",
       ""},
      {"X:C+;", "表达式语法错误：位置 4 处为 ';'", ""},
  };
  for (const auto& c : cases) {
    std::vector<FormulaParam> params;
    std::vector<std::string> added;
    std::string error;
    EXPECT_FALSE(compileWithParamCompletion(c.source, params, added, error)) << c.source;
    EXPECT_EQ(error, c.error) << c.source;
    EXPECT_EQ(declared(params), c.declared) << c.source;
  }
}

}  // namespace
}  // namespace zor
