// The built-in formula table: names, descriptions, draw methods, parameters, groups and the
// shape of the sources, checked against the published list.
#include <gtest/gtest.h>

#include <string>

#include "formula/builtin_formulas.h"
#include "platform/text.h"

namespace zor {
namespace {

std::string paramText(const FormulaDef& def) {
  std::string out;
  for (const FormulaParam& p : def.params) {
    if (!out.empty()) out += ' ';
    out += strPrintf("%s %g..%g %g", p.name.c_str(), p.minimum, p.maximum, p.defaultValue);
  }
  return out;
}

TEST(BuiltinTable, NamesDescriptionsDrawMethodsParametersAndGroups) {
  struct Row {
    const char* name;
    const char* description;
    int draw;
    const char* group;
    const char* params;
  } rows[] = {
      {"MA", "均线", 1, "均线型",
       "N1 0..250 5 N2 0..250 10 N3 0..250 20 N4 0..250 60 N5 0..250 0 N6 0..250 0 N7 0..250 0 N8 0..250 0"},
      {"MA2", "均线2", 1, "均线型", ""},
      {"BBI", "多空均线", 1, "均线型", ""},
      {"EXPMA", "指数平均数", 1, "均线型", ""},
      {"BOLL", "布林线", 0, "其他类型", "N 1..200 20 P 0.1..20 2"},
      {"SAR", "抛物线指标", 1, "停损型", "N 1..100 10 S 1..20 2 M 5..100 20"},
      {"唐奇安", "唐奇安通道", 1, "路径型", "N 1..500 20"},
      {"WAVE", "波段线", 1, "均线型", ""},
      {"MACD", "平滑异同平均线", 0, "趋势型", "N1 1..200 12 N2 1..400 26 N3 1..200 9"},
      {"KDJ", "随机指标", 0, "超买超卖型", "N1 1..200 9 N2 1..200 3"},
      {"SKDJ", "慢速随机指标", 0, "超买超卖型", "N1 1..200 9 N2 1..200 3"},
      {"RSI", "相对强弱指标", 0, "超买超卖型", "N1 1..200 6 N2 1..400 12 N3 1..400 24"},
      {"WR", "威廉指标", 0, "超买超卖型", "N1 1..200 10 N2 1..200 6"},
      {"LWR", "LWR威廉指标", 0, "超买超卖型", "N1 1..200 10 N2 1..200 6"},
      {"BIAS", "乖离率", 0, "超买超卖型", "N1 1..200 6 N2 1..400 12 N3 1..400 24"},
      {"CCI", "商品路径指标", 0, "超买超卖型", "N1 1..200 14"},
      {"OBV", "累积能量线", 0, "能量型", "N 1..500 30"},
      {"VOL", "成交量", 0, "成交量型", ""},
      {"AMO", "成交金额", 0, "成交量型", ""},
      {"PSY", "心理线", 0, "超买超卖型", "N 1..100 12 M 1..100 6"},
      {"VR", "成交量变异率", 0, "能量型", "N 1..200 26 M 1..100 6"},
      {"MTM", "动量线", 0, "趋势型", "N 1..200 12 M 1..100 6"},
      {"ROC", "变动率指标", 0, "超买超卖型", "N 1..200 12 M 1..100 6"},
      {"DMA", "平均差", 0, "趋势型", "N1 1..200 10 N2 1..400 50 M 1..100 10"},
      {"TRIX", "三重指数平滑平均线", 0, "趋势型", "N 1..100 12 M 1..100 9"},
      {"DMI", "趋向指标", 0, "趋势型", "N 1..100 14 M 1..100 6"},
      {"EMV", "简易波动指标", 0, "趋势型", "N 1..100 14 M 1..100 9"},
      {"ASI", "振动升降指标", 0, "趋势型", "N 1..500 7"},
      {"BRAR", "情绪指标", 0, "能量型", "N 1..200 26"},
      {"CR", "带状能量线", 0, "能量型", "N 1..200 26"},
      {"MASS", "梅斯线", 0, "能量型", ""},
      {"DPO", "区间震荡线", 0, "趋势型", "N 1..200 20 M 1..100 6"},
      {"ATR", "真实波幅", 0, "能量型", "N 1..200 14"},
      {"CYF", "市场能量", 0, "能量型", ""},
      {"FSL", "分水岭", 0, "其他类型", ""},
      {"MCST", "市场成本", 0, "其他类型", ""},
  };
  const auto& list = builtinFormulas();
  ASSERT_EQ(list.size(), std::size(rows));
  for (size_t i = 0; i < list.size(); ++i) {
    const FormulaDef& def = list[i];
    SCOPED_TRACE(rows[i].name);
    EXPECT_EQ(def.name, rows[i].name);
    EXPECT_EQ(def.description, rows[i].description);
    EXPECT_EQ(def.drawMethod, rows[i].draw);
    EXPECT_STREQ(formulaGroup(def.name, def.drawMethod), rows[i].group);
    EXPECT_EQ(paramText(def), rows[i].params);
    EXPECT_EQ(def.type, 0);
    EXPECT_EQ(def.decimals, 2);
    EXPECT_EQ(def.axis, 0);
    EXPECT_TRUE(def.version.empty() && def.usage.empty() && def.password.empty() && def.yDividers.empty());
    EXPECT_FALSE(def.favourite);
    EXPECT_TRUE(def.builtin);
    EXPECT_FALSE(def.temporary);
  }
  EXPECT_EQ(&builtinFormulas(), &list) << "one list for the whole run";
}

TEST(BuiltinTable, SourcesAreOneStatementPerLineEndedByOneLineFeed) {
  for (const FormulaDef& def : builtinFormulas()) {
    SCOPED_TRACE(def.name);
    const std::string& s = def.source;
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(s.back(), '\n');
    EXPECT_EQ(s.find("\n\n"), std::string::npos);
    EXPECT_EQ(s.find_first_of("\r\t"), std::string::npos);
    size_t start = 0;
    while (start < s.size()) {
      size_t nl = s.find('\n', start);
      std::string line = s.substr(start, nl - start);
      EXPECT_EQ(line.back(), ';') << line;
      // The only blanks are the ones around AND.
      std::string withoutAnd = line;
      for (size_t p; (p = withoutAnd.find(" AND ")) != std::string::npos;) withoutAnd.replace(p, 5, "&");
      EXPECT_EQ(withoutAnd.find(' '), std::string::npos) << line;
      EXPECT_EQ(toUpperAscii(line), line);
      start = nl + 1;
    }
  }
}

TEST(BuiltinTable, SourcesThatDifferFromTheirUsualSpelling) {
  // RSI's gain is (D+|D|)/2 so that the first bar has no gain at all rather than a zero gain;
  // MCST reads shares and yuan, weighting turnover per lot.
  EXPECT_EQ(findBuiltinFormula("RSI")->source,
            "LC:=REF(CLOSE,1);\n"
            "RSI1:SMA((CLOSE-LC+ABS(CLOSE-LC))/2,N1,1)/SMA(ABS(CLOSE-LC),N1,1)*100;\n"
            "RSI2:SMA((CLOSE-LC+ABS(CLOSE-LC))/2,N2,1)/SMA(ABS(CLOSE-LC),N2,1)*100;\n"
            "RSI3:SMA((CLOSE-LC+ABS(CLOSE-LC))/2,N3,1)/SMA(ABS(CLOSE-LC),N3,1)*100;\n");
  EXPECT_EQ(findBuiltinFormula("MCST")->source, "MCST:DMA(AMOUNT/VOL,MIN(1,VOL/100/CAPITAL));\n");
  EXPECT_EQ(findBuiltinFormula("MACD")->source,
            "DIF:EMA(CLOSE,N1)-EMA(CLOSE,N2);\nDEA:EMA(DIF,N3);\nMACD:(DIF-DEA)*2,COLORSTICK;\n");
}

TEST(BuiltinTable, FindIgnoresAsciiCaseOnly) {
  struct {
    const char* name;
    const char* found;
  } cases[] = {
      {"macd", "MACD"}, {"Macd", "MACD"}, {"MACD", "MACD"}, {"MACD ", nullptr}, {"", nullptr},
      {"唐奇安", "唐奇安"}, {"唐奇", nullptr}, {"boll", "BOLL"}, {"ma2", "MA2"}, {"MA3", nullptr},
  };
  for (const auto& c : cases) {
    const FormulaDef* def = findBuiltinFormula(c.name);
    if (!c.found) {
      EXPECT_EQ(def, nullptr) << c.name;
    } else {
      ASSERT_NE(def, nullptr) << c.name;
      EXPECT_EQ(def->name, c.found);
    }
  }
}

TEST(BuiltinTable, GroupRuleByNameAndDrawMethod) {
  struct {
    const char* name;
    int draw;
    const char* group;
  } cases[] = {
      {"BOLL", 1, "路径型"},  {"BOLL", 5, "路径型"},  {"BOLL", 0, "其他类型"}, {"MA", 5, "均线型"},
      {"MA", 0, "其他类型"},  {"SAR", 0, "其他类型"}, {"KDJ", 1, "其他类型"}, {"KDJ", 2, "超买超卖型"},
      {"VOL", 4, "成交量型"}, {"macd", 0, "其他类型"}, {"MYMA", 1, "其他类型"}, {"唐奇安", 0, "其他类型"},
  };
  for (const auto& c : cases) EXPECT_STREQ(formulaGroup(c.name, c.draw), c.group) << c.name << " " << c.draw;
  ASSERT_EQ(formulaGroupOrder().size(), 8u);
  EXPECT_STREQ(formulaGroupOrder().front(), "均线型");
  EXPECT_STREQ(formulaGroupOrder().back(), "其他类型");
}

}  // namespace
}  // namespace zor
