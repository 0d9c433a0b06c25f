// Import of formula text: cleaning, picking statements out of free text, and the import and
// insert actions with their reports. The corpus under tests/data/formula_lib/import holds one
// file per style users paste; CorpusImportsOrIsRefused pins the outcome of each.
#include <gtest/gtest.h>

#include <string>

#include "formula/formula_file.h"
#include "formula/formula_import.h"
#include "formula/formula_params.h"
#include "formula/formula_store.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "temp_dir.h"
#include "test_ui.h"

namespace zor {
namespace {

std::string corpusPath(const std::string& name) { return std::string(ZOR_TEST_DATA) + "/formula_lib/import/" + name; }

std::string paramsText(const std::vector<FormulaParam>& params) {
  std::string out;
  for (const FormulaParam& p : params)
    out += (out.empty() ? "" : " ") + p.name + strPrintf("=%g(%g..%g)", p.defaultValue, p.minimum, p.maximum);
  return out;
}

TEST(ImportClean, FullWidthPunctuationBecomesAscii) {
  EXPECT_EQ(cleanFormulaText("DIF：EMA（C，12）；"), "DIF:EMA(C,12);");
  EXPECT_EQ(cleanFormulaText("！（）＊＋，－．／：；＜＝＞"), "!()*+,-./:;<=>");
  // Everything else is copied: other full-width forms, ideographic space, quotes, GBK bytes.
  for (const char* kept : {"＃＄％＆［］｛｝", "　“‘’”、。", "\xEF\xBC", "\xA3\xBA", "abc"})
    EXPECT_EQ(cleanFormulaText(kept), kept);
}

TEST(ImportExtract, StatementsAreKeptAndCommentaryLeftOut) {
  struct {
    const char* what;
    const char* text;
    const char* source;
    const char* name;
  } cases[] = {
      {"web page copy",
       "MACD指标公式\n作者：某人\nDIF:EMA(CLOSE,SHORT)-EMA(CLOSE,LONG);\nDEA:EMA(DIF,MID);\n"
       "MACD:(DIF-DEA)*2,COLORSTICK;\n使用方法：金叉买入\n",
       "DIF:EMA(CLOSE,SHORT)-EMA(CLOSE,LONG);\nDEA:EMA(DIF,MID);\nMACD:(DIF-DEA)*2,COLORSTICK;\n", "默认"},
      {"name label", "公式名称：我的指标\nX:C;\n", "X:C;\n", "我的指标"},
      {"empty name label names nothing", "名称：\nX:C;\n", "X:C;\n", "默认"},
      {"first label wins", "指标名：甲\n名称：乙\nX:C;\n", "X:C;\n", "甲"},
      {"label must start the line", "我的名称：乙\nX:C;\n", "我的名称:乙\nX:C;\n", "默认"},
      {"links are left out", "见 https://a.b/c:d\nwww.x.cn:80\nX:C;\n", "X:C;\n", "默认"},
      {"open parenthesis carries the next line", "X:MA(C,\n5);\n", "X:MA(C,\n5);\n", "默认"},
      {"brace comment kept whole", "{第一行\n作者：某\n\n第四行}\nX:C;\n", "{第一行\n作者:某\n\n第四行}\nX:C;\n", "默认"},
      {"full-width statement", "DIF：EMA（C，12）；\n", "DIF:EMA(C,12);\n", "默认"},
      {"line ending in a comma", "X:MA(C,5)\n+MA(C,10),\nCOLORRED;\n", "X:MA(C,5)\n+MA(C,10),\nCOLORRED;\n", "默认"},
      {"unbalanced parenthesis in a note", "说明（见下文\nX:C;\n闲话\n", "X:C;\n", "默认"},
      {"parenthesis inside quotes", "DRAWTEXT(C>O,L,'(');\n闲话\n", "DRAWTEXT(C>O,L,'(');\n", "默认"},
      {"parenthesis after //", "X:C; // 注（\n闲话\n", "X:C; // 注(\n", "默认"},
      {"ideographic indentation", "　　作者：某人\n\xC2\xA0名称：缩进\n　X:C;\n", "　X:C;\n", "缩进"},
      {"headings are left out", "源码如下：\nX:C;\n参数表：\n", "X:C;\n", "默认"},
      {"carriage returns dropped", "X:C;\r\nY:O;\r\n", "X:C;\nY:O;\n", "默认"},
      {"long names are cut to whole characters",
       "名称：一二三四五六七八九十甲乙\nX:C;\n", "X:C;\n", "一二三四五六七八九十"},
  };
  for (const auto& c : cases) {
    ImportResult r = extractFormulaFromText(c.text, "默认", true);
    EXPECT_EQ(r.source, c.source) << c.what;
    EXPECT_EQ(r.name, c.name) << c.what;
  }
  EXPECT_EQ(extractFormulaFromText("X:C;", "", true).name, "导入公式");
}

TEST(ImportExtract, ParametersFromTheTextAndByConvention) {
  struct {
    const char* text;
    bool ok;
    const char* params;
    const char* added;
  } cases[] = {
      {"DIF:EMA(CLOSE,SHORT)-EMA(CLOSE,LONG);\nDEA:EMA(DIF,MID);\n", true,
       "SHORT=12(1..250) LONG=26(1..250) MID=9(1..250)", "SHORT LONG MID"},
      {"N1  1  100  5\nN2\t1\t250\t20\nX:MA(C,N1)+MA(C,N2)+N3;\n", true, "N1=5(1..100) N2=20(1..250) N3=5(1..250)", "N3"},
      {"参数：N=12，M=26\nX:EMA(C,N)-EMA(C,M);\n", true, "N=12(1..250) M=26(1..250)", ""},
      {"N=500 M=0.5\nX:MA(C,N)*M;\n", true, "N=500(1..500) M=0.5(0.5..250)", ""},
      {"N:=12;\nX:MA(C,N);\n", true, "", ""},                 // a variable, not a parameter
      {"MA 5 10 20\nX:C;\n", true, "", ""},                    // a function name is no table row
      {"K 20 80 50\nX:MA(C,N);\n", true, "N=9(1..250)", "N"},  // rows only serve names in use
      {"作者：某人\n买入条件：K线上穿均线\n", false, "", ""},
  };
  for (const auto& c : cases) {
    ImportResult r = extractFormulaFromText(c.text, "T", true);
    EXPECT_EQ(r.ok, c.ok) << c.text << r.error;
    EXPECT_EQ(paramsText(r.params), c.params) << c.text;
    EXPECT_EQ(joinNames(r.added, " "), c.added) << c.text;
  }
}

TEST(ImportExtract, Refusals) {
  struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"只有说明文字\n（没有公式）\n", "没找到公式语句（文件里可能只有说明文字）"},
      {"", "没找到公式语句（文件里可能只有说明文字）"},
      {"作者：某人\n买入条件：K线上穿均线\n", "未定义的标识符 'K线上穿均线'"},
      {"X:CROSS(KDJ.K,KDJ.D);",
       "无法识别的字符 '.' (位置 11)\n（KDJ.K 是对其他指标输出的引用，本程序不支持这种写法；请把所引用指标的计算语句写进公式里。）"},
      {"X:C+;", "表达式语法错误：位置 4 处为 ';'"},
  };
  for (const auto& c : cases) {
    ImportResult r = extractFormulaFromText(c.text, "T", true);
    EXPECT_FALSE(r.ok) << c.text;
    EXPECT_EQ(r.error, c.error) << c.text;
  }
  // Without completion an undeclared name is not a compile error.
  ImportResult r = extractFormulaFromText("X:MA(C,N);", "T", false);
  EXPECT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(r.params.empty());
}

TEST(ImportName, FileNameWithoutDirectoryAndExtension) {
  struct {
    const char* path;
    const char* name;
  } cases[] = {{"C:\\公式\\我的.指标.txt", "我的.指标"}, {"/a/b/c.txt", "c"}, {"noext", "noext"},
               {"d:\\x\\.hidden", ".hidden"},         {"a/b\\c", "c"},       {"x.", "x"}};
  for (const auto& c : cases) EXPECT_EQ(formulaNameFromPath(c.path), c.name) << c.path;
}

struct ImportFixture : ::testing::Test {
  TempDir dir{"导入"};
  FormulaStore store;
  TestUi ui;
  void SetUp() override { store.path = dir.file("userformula.txt"); }
  std::string names() const {
    std::string out;
    for (const FormulaDef& d : store.formulas) out += (out.empty() ? "" : " ") + d.name + (d.temporary ? "*" : "");
    return out;
  }
  const ShownBox& lastBox() const { return ui.boxes.back(); }
};

TEST_F(ImportFixture, CorpusImportsOrIsRefused) {
  const std::string refused = "没能从文件里识别出公式，原因：\n\n";
  const std::string filled =
      "已导入 1 条公式。\n\n以下参数在网上原文里没给值，已按岳衡舟惯例自动补上，可以到「公式管理器 → 修改」里改：\n  ";
  struct {
    const char* file;
    const char* name;    // the formula imported, nullptr when refused
    std::string report;  // the box's text
    const char* params;
  } cases[] = {
      {"网页MACD.txt", "网页MACD", filled + "SHORT、LONG、MID", "SHORT=12(1..250) LONG=26(1..250) MID=9(1..250)"},
      {"fullwidth_kdj.txt", "全角KDJ", filled + "N、M1、M2", "N=9(1..250) M1=3(1..250) M2=3(1..250)"},
      {"chinese_vars.txt", "chinese_vars", "已导入 1 条公式。", ""},
      {"comments.txt", "comments", filled + "N", "N=9(1..250)"},
      {"no_semicolon.txt", "no_semicolon", "已导入 1 条公式。", ""},
      {"lowercase.txt", "lowercase", "已导入 1 条公式。", ""},
      {"bom_crlf.txt", "带BOM的指标", filled + "N", "N=9(1..250)"},
      {"gbk_forum.txt", "gbk_forum", "已导入 1 条公式。", ""},
      {"ideographic_spaces.txt", "缩进的指标", filled + "N、P", "N=9(1..250) P=2(1..250)"},
      {"params_as_lines.txt", "params_as_lines", "已导入 1 条公式。", ""},
      {"param_table.txt", "双均线", "已导入 1 条公式。", "N1=5(1..100) N2=20(1..250)"},
      {"param_assignments.txt", "param_assignments", "已导入 1 条公式。", "N=12(1..250) M=26(1..250)"},
      {"two_line_statement.txt", "two_line_statement", "已导入 1 条公式。", ""},
      {"drawings.txt", "drawings", filled + "N", "N=9(1..250)"},
      {"refers_other.txt", nullptr,
       refused + "无法识别的字符 '.' (位置 11)\n（KDJ.K 是对其他指标输出的引用，本程序不支持这种写法；请把所引用指标的计算语句写进公式里。）",
       ""},
      {"prose_only.txt", nullptr, refused + "没找到公式语句（文件里可能只有说明文字）", ""},
      {"finance.txt", nullptr,
       refused + "公式里的 FINANCE() 需要财务数据（本程序只做本地历史行情回放，不含财报），本程序没有该数据。请删掉依赖它的语句后重试。",
       ""},
      {"too_many_params.txt", nullptr, refused + "自动补参数后仍然无法运行（未定义的标识符 'A9'）", ""},
      {"forum_signature.txt", nullptr, refused + "未定义的标识符 '股海老兵'", ""},
      {"html_entities.txt", nullptr, refused + "无法识别的字符 '&' (位置 6)", ""},
      {"unclosed_paren.txt", nullptr, refused + "函数 MA 缺少右括号 ')'", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    FormulaStore fresh;
    fresh.path = dir.file("userformula.txt");
    removeFile(fresh.path);
    ui.boxes.clear();
    int count = importFormulaFile(fresh, corpusPath(c.file), true, ui);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, c.report);
    EXPECT_EQ(ui.boxes[0].caption, "导入公式");
    if (!c.name) {
      EXPECT_EQ(count, 0);
      EXPECT_TRUE(ui.boxes[0].flags & MsgWarning);
      EXPECT_TRUE(fresh.formulas.empty());
      EXPECT_FALSE(fileExists(fresh.path)) << "a refused import writes nothing";
      continue;
    }
    EXPECT_EQ(count, 1);
    EXPECT_TRUE(ui.boxes[0].flags & MsgInfo);
    ASSERT_EQ(fresh.formulas.size(), 1u);
    const FormulaDef& def = fresh.formulas[0];
    EXPECT_EQ(def.name, c.name);
    EXPECT_EQ(def.description, "导入");
    EXPECT_EQ(def.type, 0);
    EXPECT_EQ(def.drawMethod, 0);
    EXPECT_EQ(def.decimals, 2);
    EXPECT_EQ(paramsText(def.params), c.params);
    // What was imported runs, and the saved file reads back to the same formula.
    FormulaInput in;
    for (int i = 0; i < 50; ++i) {
      double c0 = 10 + 0.1 * (i % 7);
      in.open.push_back(c0 - 0.05);
      in.close.push_back(c0);
      in.high.push_back(c0 + 0.2);
      in.low.push_back(c0 - 0.2);
      in.volume.push_back(1000 + i);
      in.amount.push_back(c0 * (1000 + i));
    }
    std::vector<OutputLine> lines;
    std::vector<DrawingItem> drawings;
    std::string error;
    EXPECT_TRUE(compileAndRunFormula(def, in, lines, drawings, error)) << error;
    std::string bytes;
    ASSERT_TRUE(readFile(fresh.path, bytes));
    EXPECT_EQ(bytes, formulaBlockText(def));
  }
}

TEST_F(ImportFixture, SameTextInEveryEncodingImportsTheSameFormula) {
  std::string text = "名称：量比\n作者：某人\n量比:VOL/MA(VOL,N);\n";
  dir.write("utf8.txt", text);
  dir.write("bom.txt", "\xEF\xBB\xBF" + text);
  dir.write("gbk.txt", utf8ToGbk(text));
  for (const char* f : {"utf8.txt", "bom.txt", "gbk.txt"}) {
    EXPECT_EQ(importFormulaFile(store, dir.file(f), false, ui), 1) << f;
  }
  ASSERT_EQ(store.formulas.size(), 3u);
  for (const FormulaDef& d : store.formulas) {
    EXPECT_EQ(d.name, "量比");
    EXPECT_EQ(d.source, "量比:VOL/MA(VOL,N);\n");
    EXPECT_EQ(paramsText(d.params), "N=9(1..250)");
  }
}

TEST_F(ImportFixture, BlockFileReportsWhatFailed) {
  EXPECT_EQ(importFormulaFile(store, corpusPath("blocks.txt"), true, ui), 2);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(lastBox().caption, "导入公式");
  EXPECT_EQ(lastBox().text,
            "已导入 2 条公式。\n\n以下参数在网上原文里没给值，已按岳衡舟惯例自动补上，可以到「公式管理器 → 修改」里改：\n  "
            "块甲.M\n\n以下公式未能导入：\n【块乙】公式里的 FINANCE() 需要财务数据（本程序只做本地历史行情回放，不含财报），"
            "本程序没有该数据。请删掉依赖它的语句后重试。\n");
  EXPECT_EQ(names(), "块甲 块丙");
  EXPECT_EQ(paramsText(store.formulas[0].params), "N=7(1..100) M=3(1..250)") << "PARAM:n is read as N";
  EXPECT_EQ(store.formulas[1].usage, "仅作演示");
  EXPECT_EQ(store.formulas[1].drawMethod, 1);
  std::string bytes;
  ASSERT_TRUE(readFile(store.path, bytes));
  EXPECT_EQ(bytes, formulaBlockText(store.formulas[0]) + formulaBlockText(store.formulas[1]));
}

TEST_F(ImportFixture, BlockFileEdgeCases) {
  FormulaDef good;
  good.name = "好";
  good.source = "X:C;";
  FormulaDef bad = good;
  bad.name = "坏";
  bad.source = "X:C+;";
  std::string g = formulaBlockText(good), b = formulaBlockText(bad);
  struct {
    const char* what;
    std::string file;
    const char* caption;
    std::string text;
    const char* names;
  } cases[] = {
      {"only failures", b, "导入失败", "【坏】表达式语法错误：位置 4 处为 ';'\n", ""},
      {"no usable block", "###FORMULA###\nDESC:无名\n###END###\n", "导入公式", "文件里没有可用的公式。", ""},
      {"block cut off by the end of the file", g + g.substr(0, g.size() - 10), "导入公式",
       "已导入 1 条公式。\n\n以下公式未能导入：\n【好】缺少结束标记 ###END###（文件可能不完整）\n", "好"},
      {"block without end marker before another", g.substr(0, g.size() - 10) + b, "导入公式",
       "已导入 1 条公式。\n\n以下公式未能导入：\n【坏】表达式语法错误：位置 4 处为 ';'\n", "好"},
      {"marker inside a line is free text", "说明 ###FORMULA### 在行内\nX:C;\n", "导入公式", "已导入 1 条公式。",
       "inline"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FormulaStore fresh;
    fresh.path = dir.file("userformula.txt");
    removeFile(fresh.path);
    ui.boxes.clear();
    dir.write("inline.txt", c.file);
    importFormulaFile(fresh, dir.file("inline.txt"), true, ui);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, c.caption);
    EXPECT_EQ(ui.boxes[0].text, c.text);
    std::string n;
    for (const FormulaDef& d : fresh.formulas) n += (n.empty() ? "" : " ") + d.name;
    EXPECT_EQ(n, c.names);
  }
}

TEST_F(ImportFixture, PermanentImportAsksBeforeReplacing) {
  FormulaDef old;
  old.name = "MYMA";
  old.source = "OLD:C;";
  upsertUserFormula(store, old, ui);
  dir.write("in.txt", "###FORMULA###\nNAME:myma\nTEXT:\nNEW:O;\n###END###\n###FORMULA###\nNAME:OTHER\nTEXT:\nX:C;\n###END###\n");

  ui.answers = {ResultNo};
  EXPECT_EQ(importFormulaFile(store, dir.file("in.txt"), true, ui), 1);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].text, "以下公式与已有的用户公式同名：\n  myma\n\n【是】全部替换    【否】跳过这些公式");
  EXPECT_EQ(ui.boxes[0].caption, "导入公式");
  EXPECT_EQ(ui.boxes[0].flags & (MsgQuestion | MsgYesNo), unsigned(MsgQuestion | MsgYesNo));
  EXPECT_EQ(ui.boxes[1].text, "已导入 1 条公式。");
  EXPECT_EQ(findFormula(store, "MYMA")->source, "OLD:C;") << "No keeps the old source";
  EXPECT_EQ(names(), "MYMA OTHER");

  // Skipping everything is still a report of what happened, not "nothing usable".
  ui.boxes.clear();
  ui.answers = {ResultNo};
  EXPECT_EQ(importFormulaFile(store, dir.file("in.txt"), true, ui), 0);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].text, "以下公式与已有的用户公式同名：\n  myma、OTHER\n\n【是】全部替换    【否】跳过这些公式");
  EXPECT_EQ(ui.boxes[1].text, "已导入 0 条公式。");

  ui.boxes.clear();
  ui.answers = {ResultYes};
  EXPECT_EQ(importFormulaFile(store, dir.file("in.txt"), true, ui), 2);
  EXPECT_EQ(findFormula(store, "MYMA")->source, "NEW:O;");
  EXPECT_EQ(names(), "myma OTHER");
}

TEST_F(ImportFixture, TemporaryImportAppendsWithoutSavingOrAsking) {
  FormulaDef old;
  old.name = "MYMA";
  old.source = "OLD:C;";
  upsertUserFormula(store, old, ui);
  std::string before;
  readFile(store.path, before);
  dir.write("tmp.txt", "名称：MYMA\nNEW:MA(C,N);\n");
  ui.boxes.clear();
  EXPECT_EQ(importFormulaFile(store, dir.file("tmp.txt"), false, ui), 1);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text,
            "已导入 1 条公式。\n（临时导入：仅本次运行有效，退出后不保存）\n\n以下参数在网上原文里没给值，已按岳衡舟惯例自动补上，"
            "可以到「公式管理器 → 修改」里改：\n  N");
  EXPECT_EQ(names(), "MYMA MYMA*");
  EXPECT_EQ(findFormula(store, "myma")->source, "OLD:C;") << "lookups keep finding the first";
  std::string after;
  readFile(store.path, after);
  EXPECT_EQ(after, before);
}

TEST_F(ImportFixture, UnreadableFile) {
  EXPECT_EQ(importFormulaFile(store, dir.file("missing.txt"), true, ui), 0);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "文件打不开。");
  EXPECT_EQ(ui.boxes[0].caption, "导入公式");
}

TEST_F(ImportFixture, InsertFormulaFromFile) {
  FormulaDef def;
  def.name = "块";
  def.source = "A:MA(C,N);\nB:C*P;";
  def.params = {{"N", 1, 100, 5}, {"P", 0.1, 9, 1.5}};
  dir.write("block.txt", formulaBlockText(def) + formulaBlockText(FormulaDef{}));
  dir.write("free.txt", "作者：某\nX:MA(C,N);\n");
  dir.write("prose.txt", "只有说明\n");
  dir.write("empty.txt", "###FORMULA###\nNAME:空\nTEXT:\n###END###\n");
  struct {
    const char* file;
    bool ok;
    const char* inserted;
    const char* text;
  } cases[] = {
      {"block.txt", true, "A:MA(C,N);\nB:C*P;",
       "已把「块」的公式内容插入到编辑区。\n\n原公式带 2 个参数：N=5 P=1.5\n需要的话点「参数精灵」可以自动填进参数表。"},
      {"free.txt", true, "X:MA(C,N);\n",
       "已把「free」的公式内容插入到编辑区。\n\n原公式带 1 个参数：N=9\n需要的话点「参数精灵」可以自动填进参数表。"},
      {"prose.txt", false, "", "没能从文件里识别出公式：\n\n没找到公式语句（文件里可能只有说明文字）"},
      {"empty.txt", false, "", "文件里没有公式内容。"},
      {"missing.txt", false, "", "文件打不开。"},
  };
  for (const auto& c : cases) {
    ui.boxes.clear();
    std::string inserted;
    bool ok = insertFormulaFromFile(dir.file(c.file), ui, [&](const std::string& s) { inserted += s; });
    EXPECT_EQ(ok, c.ok) << c.file;
    EXPECT_EQ(inserted, c.inserted) << c.file;
    ASSERT_EQ(ui.boxes.size(), 1u) << c.file;
    EXPECT_EQ(ui.boxes[0].text, c.text) << c.file;
    EXPECT_EQ(ui.boxes[0].caption, "引入公式");
    EXPECT_TRUE(ui.boxes[0].flags & (c.ok ? MsgInfo : MsgWarning)) << c.file;
  }
}

}  // namespace
}  // namespace zor
